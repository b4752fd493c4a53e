#pragma once
// The browser's everyday commands and the keys that give them, wherever the
// focus is in the main window (the page included) or the toolbar; which keys
// the browser takes before the page; the zoom steps; and the texts the
// commands show in the status bar.
#include <QString>

#include <cstdint>

namespace MCommands {

enum class Command {
    None,
    GoBack,
    GoForward,
    Refresh,
    RefreshCompletely,  // past the cache
    Escape,             // stop the load, close the find box, end a page's full screen
    GoHome,
    FocusAddress,
    Find,
    FindNext,
    FindPrevious,
    ZoomIn,
    ZoomOut,
    ZoomReset,
    Print,
    FullScreen,      // the main window full screen and back
    Close,           // the main window, as the user closes it
    RestoreAddress,  // the address box shows the shown page's address again, selected
};

// Where the focus is when the key is pressed.
enum class FocusPlace {
    Page,  // anywhere in the main window but the find box
    FindBox,
    AddressBox,  // the toolbar's
    Toolbar,     // anywhere else in the toolbar
};

// The command of a key (virtual-key code, shift state 1 Shift, 2 Ctrl,
// 4 Alt) pressed there; None for a key that has no command there.
Command CommandOfKey(int16_t KeyCode, int16_t Shift, FocusPlace Place);

// Whether the browser acts on the key before the page, which then never sees
// it: closing, full screen and the browser's own back and forward keys (the
// mouse's buttons among them). A page gets every other key first.
bool BrowserFirst(int16_t KeyCode, int16_t Shift);

// The zoom of a page as it is made.
inline constexpr double NormalZoom = 1.0;

// The zoom factor one step up (iStep 1) or down (-1) from dblFactor, in the
// engine's usual steps from 25% to 500%; at either end it stays there.
double NextZoomFactor(double dblFactor, int iStep);

// "Zoom 110%".
QString ZoomText(double dblFactor);
// "3 of 12", or "Not found" when there is no match.
QString FindResultText(int lngActiveMatch, int lngNumberOfMatches);

}  // namespace MCommands
