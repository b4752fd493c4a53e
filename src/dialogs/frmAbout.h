#pragma once
// The about box: the product's name, logo and version, the date of the
// executable, the browser engine with its version, the author, the copyright
// and the home page. Opened modally from the main window's window menu; OK
// hides it, so a later opening shows the same texts again.
#include "controls/HyperLblCtl.h"
#include "controls/SoftButton.h"
#include "platform/forms/Forms.h"
#include "platform/intrinsics/Image.h"
#include "platform/intrinsics/Label.h"

class frmAbout : public platform::Form {
    Q_OBJECT
public:
    frmAbout();

    HyperLblCtl* HyperLblCtl1;
    HyperLblCtl* HyperLblCtl3;
    HyperLblCtl* HyperLblCtl2;
    SoftButton* cmdOk;
    platform::Label* Label6;
    platform::Label* lblIEVersion;
    platform::Label* lblBuildDate;
    platform::Label* Label5;
    platform::Image* IELogo;
    platform::Label* Label4;
    platform::Label* Label3;
    platform::Label* Label2;
    platform::Label* lblVersion;
    platform::Label* Label1;
    platform::Image* SWLogo;

protected:
    void Form_Load() override;

private:
    void cmdOk_Click();
};
