#pragma once
// The options dialog: the home page, the search page and whether the
// floating toolbar is shown. A borderless window with a drawn title band,
// moved by dragging its caption; opened modeless from the main window's
// window menu after Init; OK stores the preferences and shows or hides the
// toolbar at once, Cancel only hides the dialog.
#include "chrome/ChromeForm.h"
#include "controls/SoftButton.h"
#include "controls/SoftText.h"
#include "platform/intrinsics/Frame.h"
#include "platform/intrinsics/Label.h"
#include "platform/intrinsics/OptionButton.h"

class frmOptions : public ChromeForm {
    Q_OBJECT
public:
    frmOptions();

    // Fills the dialog from the stored preferences.
    void Init();

    platform::Label* lblCaption;
    platform::Frame* Frame1;
    platform::Frame* Frame3;
    SoftText* txtHomepage;
    platform::Frame* Frame4;
    SoftText* txtSearchpage;
    platform::Frame* Frame2;
    platform::Label* Label1;
    platform::OptionButton* optShow;
    platform::OptionButton* optHide;
    SoftButton* cmdOk;
    SoftButton* cmdCancel;

protected:
    void Form_Load() override;
    void Form_Unload(int16_t& Cancel) override;

private:
    void cmdOk_Click();
    void cmdCancel_Click();
};
