#include "dialogs/frmAbout.h"

#include "dialogs/MWin32.h"
#include "platform/drawing/Resources.h"
#include "platform/system/Runtime.h"
#include "platform/system/VersionInfo.h"
#include "shell/frmMain.h"

namespace {
constexpr float kClientWidth = 3225;
constexpr float kClientHeight = 2895;

// The browser icon's resource id, and the sizes at which the two icons show.
constexpr int kBrowserIcon = 107;
constexpr int kAppIconPixels = 32;
constexpr int kBrowserIconPixels = 48;

constexpr platform::OLE_COLOR kLinkColor = 0x00FF0000;  // blue

constexpr int16_t kAlignRight = 1;
constexpr int16_t kAlignCenter = 2;

const QString kDefaultFont = QStringLiteral("MS Sans Serif");
constexpr double kDefaultFontSize = 8.25;
constexpr double kTitleFontSize = 13.5;
const QString kSmallFont = QStringLiteral("Arial");
constexpr double kSmallFontSize = 6.75;

// Who wrote the program and where it lives.
const QString kAuthorName = QStringLiteral("Ewan Marsh");
const QString kAuthorMail = QStringLiteral("mailto:ewan@skerrywind.org");
const QString kHomePage = QStringLiteral("https://skerrywind.org/");

// A link of the box: blue text on the window's colour.
platform::PropertyBag LinkBag(const QString& strURL, const QString& strLabel)
{
    const HyperLblCtl::Stored link{
        .LinkURL = strURL, .Label = strLabel, .LabelColor = kLinkColor, .BackColor = platform::COLOR_WINDOW};
    return link.Bag();
}
}  // namespace

frmAbout::frmAbout() : Form(QStringLiteral("frmAbout"))
{
    SetDialogFrameWithoutTitle();
    SetBackColor(platform::COLOR_WINDOW);
    SetClientSize(kClientWidth, kClientHeight);
    SetStartUpPosition(platform::vbStartUpOwner);
    // It shows no title; assistive tools are told this one.
    SetDialogRole(true);
    setAccessibleName(QStringLiteral("About Skerrywind"));

    HyperLblCtl1 = new HyperLblCtl(this, QStringLiteral("HyperLblCtl1"), LinkBag(kHomePage, kHomePage));
    HyperLblCtl1->Move(550, 2640, 2595, 195);

    HyperLblCtl3 = new HyperLblCtl(this, QStringLiteral("HyperLblCtl3"), LinkBag(kAuthorMail, kAuthorName));
    HyperLblCtl3->Move(1560, 1080, 975, 195);

    HyperLblCtl2 = new HyperLblCtl(this, QStringLiteral("HyperLblCtl2"), LinkBag(kAuthorMail, kAuthorName));
    HyperLblCtl2->Move(2040, 840, 975, 195);

    cmdOk = new SoftButton(this, QStringLiteral("cmdOk"),
                           SoftButton::Stored{.Caption = QStringLiteral("OK"), .Border = SoftButton::btFlatDark}.Bag());
    cmdOk->Move(1920, 2160, 1215, 375);
    connect(cmdOk, &SoftButton::Click, this, &frmAbout::cmdOk_Click);

    Label6 = new platform::Label(this, QStringLiteral("Label6"));
    Label6->Move(120, 2640, 735, 255);
    Label6->SetCaption(QStringLiteral("Visit:"));

    lblIEVersion = new platform::Label(this, QStringLiteral("lblIEVersion"));
    lblIEVersion->Move(120, 1800, 1935, 255);
    lblIEVersion->SetFont(kSmallFont, kSmallFontSize);
    lblIEVersion->SetForeColor(platform::COLOR_GRAYTEXT);
    lblIEVersion->SetCaption(QStringLiteral("x.xx.xx.xx.xx"));

    lblBuildDate = new platform::Label(this, QStringLiteral("lblBuildDate"));
    lblBuildDate->Move(120, 2320, 1695, 255);
    lblBuildDate->SetForeColor(platform::COLOR_GRAYTEXT);
    lblBuildDate->SetCaption(QStringLiteral("dd-mmm-yyy"));

    Label5 = new platform::Label(this, QStringLiteral("Label5"));
    Label5->Move(120, 2160, 1695, 375);
    Label5->SetFont(kDefaultFont, kDefaultFontSize, true);
    Label5->SetCaption(QStringLiteral("EXE Built on:"));

    IELogo = new platform::Image(this, QStringLiteral("IELogo"));
    IELogo->Move(2400, 1440, 735, 615);
    IELogo->setAccessibleName(platform::EngineName());

    // The engine this program really uses, by its own name.
    Label4 = new platform::Label(this, QStringLiteral("Label4"));
    Label4->Move(120, 1440, 2055, 735);
    Label4->SetFont(kDefaultFont, kDefaultFontSize, true);
    Label4->setWordWrap(true);
    Label4->SetCaption(QStringLiteral("Uses ") + platform::EngineName() + QStringLiteral(" browser technology"));

    Label3 = new platform::Label(this, QStringLiteral("Label3"));
    Label3->Move(120, 1080, 4455, 615);
    Label3->SetCaption(QStringLiteral("Copyright © 2026"));

    Label2 = new platform::Label(this, QStringLiteral("Label2"));
    Label2->Move(120, 840, 4455, 735);
    Label2->SetCaption(QStringLiteral("Designed and written by"));

    lblVersion = new platform::Label(this, QStringLiteral("lblVersion"));
    lblVersion->Move(960, 400, 1935, 255);
    lblVersion->SetAlignment(kAlignRight);
    lblVersion->SetFont(kDefaultFont, kDefaultFontSize, true);
    lblVersion->SetForeColor(platform::COLOR_GRAYTEXT);
    lblVersion->SetCaption(QStringLiteral("v1.x.x"));

    Label1 = new platform::Label(this, QStringLiteral("Label1"));
    Label1->Move(960, 120, 2175, 615);
    Label1->SetAlignment(kAlignCenter);
    Label1->SetFont(kDefaultFont, kTitleFontSize, true);
    Label1->SetCaption(QStringLiteral("Skerrywind"));

    SWLogo = new platform::Image(this, QStringLiteral("SWLogo"));
    SWLogo->Move(120, 120, 735, 615);
    SWLogo->setAccessibleName(QStringLiteral("Skerrywind"));

    // Labels and images are windowless: the windowed controls lie above them,
    // so the links stay clickable where a wide label reaches over them.
    HyperLblCtl1->ZOrder(0);
    HyperLblCtl3->ZOrder(0);
    HyperLblCtl2->ZOrder(0);
    cmdOk->ZOrder(0);

    // Keyboard order.
    setTabOrder(HyperLblCtl1, cmdOk);
    setTabOrder(cmdOk, HyperLblCtl2);
    setTabOrder(HyperLblCtl2, HyperLblCtl3);
}

void frmAbout::Form_Load()
{
    // 1. The main window's icon.
    SWLogo->SetPicture(platform::Forms<frmMain>().Icon(), kAppIconPixels);
    // 2. The browser icon.
    IELogo->SetPicture(platform::LoadResIcon(kBrowserIcon), kBrowserIconPixels);
    // 3. The engine's version.
    lblIEVersion->SetCaption(QStringLiteral("Version Installed: ") + MWin32::GetShlwapiVersion());
    // 4. The program's version.
    lblVersion->SetCaption(QStringLiteral("v") + MWin32::GetAppVersion());
    // 5. The date of the executable.
    lblBuildDate->SetCaption(MWin32::GetExeBuildDate());
    // 6. Let pending window events run.
    platform::DoEvents();
}

void frmAbout::cmdOk_Click()
{
    // Ends the modal display; the form stays loaded with its texts.
    Hide();
}
