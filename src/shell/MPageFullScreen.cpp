#include "shell/MPageFullScreen.h"

#include "platform/forms/Forms.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

namespace MPageFullScreen {

namespace {
bool bActive = false;
// Whether entering hid the toolbar, which leaving shows again.
bool bToolbarHidden = false;
// Whether the window was full screen already (F11), as it stays after.
bool bWindowWasFullScreen = false;
}  // namespace

bool Active()
{
    return bActive;
}

void Enter(frmMain& frm)
{
    if (bActive)
        return;
    bActive = true;
    bWindowWasFullScreen = frm.FullScreen();
    bToolbarHidden = platform::FormRegistry::IsLoaded<frmToolBar>() && platform::Forms<frmToolBar>().Visible();
    if (bToolbarHidden)
        platform::Forms<frmToolBar>().Hide();
    frm.StatusBar->SetVisible(false);
    frm.SetFullScreen(true);
}

void Leave(frmMain& frm)
{
    if (!bActive)
        return;
    bActive = false;
    frm.StatusBar->SetVisible(true);
    // The window takes back its placement from before by itself.
    if (!bWindowWasFullScreen)
        frm.SetFullScreen(false);
    if (bToolbarHidden)
        platform::Forms<frmToolBar>().Show(platform::vbModeless, &frm);
}

}  // namespace MPageFullScreen
