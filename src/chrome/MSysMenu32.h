#pragma once
// The main window's window menu extension: a separator, "Skerrywind
// Options..." and the about item after the menu's own items, and a window
// procedure in front of the window's own that opens the options dialog and
// the about box for those two commands.
#include "platform/forms/WindowProc.h"

#include <QString>

class QWidget;

namespace MSysMenu32 {

// The window procedure that was in place before SysMenuHook; null while unhooked.
extern platform::WNDPROC lngOldWndProc;

// Extends the window's menu and puts SysMenuWndProc in front of its procedure.
void SysMenuHook(QWidget* hWnd, const QString& sAboutCaption);
// Restores the previous procedure and the default menu; nothing when unhooked.
void SysMenuUnhook(QWidget* hWnd);
// Command 1 shows the about box modally, command 2 the options dialog
// modeless, both owned by the main window; everything else goes to the
// previous procedure.
platform::LRESULT SysMenuWndProc(QWidget* hWnd, uint32_t uMsg, platform::WPARAM wParam, platform::LPARAM lParam);

}  // namespace MSysMenu32
