#pragma once
// The floating toolbar: a small borderless window, owned by the main window,
// that drives the main window's browser with six picture buttons (back,
// forward, stop, refresh, home, search), an address box and a Go button. It
// draws its own title band and moves when its caption is dragged.
#include "chrome/ChromeForm.h"
#include "controls/SoftButton.h"
#include "controls/SoftText.h"
#include "platform/intrinsics/CommandButton.h"
#include "platform/intrinsics/Label.h"

#include <cstdint>

class frmToolBar : public ChromeForm {
    Q_OBJECT
public:
    frmToolBar();

    // DrawActiveTitleBar, DrawInActiveTitleBar and FrameMe come with the chrome.
    void LoadResIcons();

    platform::Label* lblCaption;
    platform::CommandButton* cmdBack;
    platform::CommandButton* cmdForward;
    platform::CommandButton* cmdStop;
    platform::CommandButton* cmdRefresh;
    platform::CommandButton* cmdHome;
    platform::CommandButton* cmdSearch;
    SoftText* txtURL;
    SoftButton* cmdGo;

protected:
    void Form_Load() override;
    void Form_Unload(int16_t& Cancel) override;
    void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) override;

private:
    void cmdBack_Click();
    void cmdForward_Click();
    void cmdStop_Click();
    void cmdRefresh_Click();
    void cmdHome_Click();
    void cmdSearch_Click();
    void cmdGo_Click();
    // The caption drag, its errors trapped and reported.
    void lblCaption_MouseMove(int16_t Button, int16_t Shift, float X, float Y) override;
    void lblCaption_MouseUp(int16_t Button, int16_t Shift, float X, float Y) override;
};
