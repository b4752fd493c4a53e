#pragma once
// A page element filling the screen (a video's full-screen button, a
// script's requestFullscreen()): the main window goes full screen with the
// page filling it, the status bar and the toolbar hidden meanwhile. Leaving
// puts the window back exactly as it was (position, size, maximised or not,
// toolbar). A page that enters and leaves in a loop changes nothing more:
// entering again while full screen keeps the placement from before the first.
class frmMain;

namespace MPageFullScreen {

void Enter(frmMain& frm);
// Nothing happens when no page fills the screen.
void Leave(frmMain& frm);
bool Active();

}  // namespace MPageFullScreen
