#include "shell/MPageFullScreen.h"

#include "platform/forms/Forms.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

namespace MPageFullScreen {

namespace {
// The main window as it was before the page filled the screen.
struct Placement {
    float Left = 0;
    float Top = 0;
    float Width = 0;
    float Height = 0;
    bool bToolbarHidden = false;
};
bool bActive = false;
Placement before;
}  // namespace

bool Active()
{
    return bActive;
}

void Enter(frmMain& frm)
{
    if (bActive)
        return;
    before = {frm.Left(), frm.Top(), frm.Width(), frm.Height(), false};
    bActive = true;
    if (platform::FormRegistry::IsLoaded<frmToolBar>() && platform::Forms<frmToolBar>().Visible()) {
        platform::Forms<frmToolBar>().Hide();
        before.bToolbarHidden = true;
    }
    frm.StatusBar->SetVisible(false);
    frm.SetFullScreen(true);
}

void Leave(frmMain& frm)
{
    if (!bActive)
        return;
    bActive = false;
    frm.StatusBar->SetVisible(true);
    frm.SetFullScreen(false);
    // A maximised window returns to its maximised size by itself.
    if (frm.WindowState() == platform::vbNormal) {
        frm.Move(before.Left, before.Top);
        frm.SetWidth(before.Width);
        frm.SetHeight(before.Height);
    }
    if (before.bToolbarHidden)
        platform::Forms<frmToolBar>().Show(platform::vbModeless, &frm);
}

}  // namespace MPageFullScreen
