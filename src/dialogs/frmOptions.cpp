#include "dialogs/frmOptions.h"

#include "settings/MReg.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

namespace {
constexpr float kClientWidth = 4710;
constexpr float kClientHeight = 3615;

// What a page box shows for an empty preference.
const QString kNotSet = QStringLiteral("[NOT SET]");

constexpr platform::OLE_COLOR kCaptionTextColor = 0x00FFFFFF;  // white
constexpr int16_t kAlignCenter = 2;
const QString kDefaultFont = QStringLiteral("MS Sans Serif");
constexpr double kDefaultFontSize = 8.25;
const QString kNoteFont = QStringLiteral("Arial");

platform::PropertyBag ButtonBag(const char* caption)
{
    return SoftButton::Stored{.Caption = caption, .Border = SoftButton::btFlatDark}.Bag();
}

// The preference a page box stands for: its text as typed, except that the
// marker itself (in exactly this letter case) and an empty box mean none.
QString PageOf(const QString& sText)
{
    if (sText != kNotSet && !sText.isEmpty())
        return sText;
    return QString();
}
}  // namespace

frmOptions::frmOptions() : ChromeForm(QStringLiteral("frmOptions"))
{
    SetBackColor(platform::COLOR_WINDOW);
    SetClientSize(kClientWidth, kClientHeight);
    SetCaption(QStringLiteral("Skerrywind Options"));
    SetDialogRole(true);

    lblCaption = new platform::Label(this, QStringLiteral("lblCaption"));
    lblCaption->Move(0, 30, 4695, 225);
    lblCaption->SetFont(kDefaultFont, kDefaultFontSize, true);
    lblCaption->SetForeColor(kCaptionTextColor);
    lblCaption->SetAlignment(kAlignCenter);
    lblCaption->SetCaption(QStringLiteral("Skerrywind Options"));
    SetCaptionBand(lblCaption);

    Frame1 = new platform::Frame(this, QStringLiteral("Frame1"));
    Frame1->Move(120, 360, 4455, 1740);
    Frame1->SetCaption(QStringLiteral("Defaults"));
    Frame1->SetBackColor(platform::COLOR_WINDOW);
    Frame1->SetFont(kDefaultFont, kDefaultFontSize, true);

    Frame3 = new platform::Frame(Frame1, QStringLiteral("Frame3"));
    Frame3->Move(120, 240, 4215, 660);
    Frame3->SetCaption(QStringLiteral("Homepage"));
    Frame3->SetBackColor(platform::COLOR_WINDOW);

    txtHomepage = new SoftText(Frame3, QStringLiteral("txtHomepage"), SoftText::Stored{}.Bag());
    txtHomepage->Move(120, 240, 3975, 285);

    Frame4 = new platform::Frame(Frame1, QStringLiteral("Frame4"));
    Frame4->Move(120, 960, 4215, 660);
    Frame4->SetCaption(QStringLiteral("Search Page"));
    Frame4->SetBackColor(platform::COLOR_WINDOW);

    txtSearchpage = new SoftText(Frame4, QStringLiteral("txtSearchpage"), SoftText::Stored{}.Bag());
    txtSearchpage->Move(120, 240, 3975, 285);

    Frame2 = new platform::Frame(this, QStringLiteral("Frame2"));
    Frame2->Move(120, 2160, 4455, 800);
    Frame2->SetCaption(QStringLiteral("Floating Toolbar"));
    Frame2->SetBackColor(platform::COLOR_WINDOW);
    Frame2->SetFont(kDefaultFont, kDefaultFontSize, true);

    // The note first: it is windowless and the option buttons lie above it.
    Label1 = new platform::Label(Frame2, QStringLiteral("Label1"));
    Label1->Move(120, 480, 4215, 375);
    Label1->SetFont(kNoteFont, kDefaultFontSize, false, true);
    Label1->SetCaption(QStringLiteral("Note: Press [F4] to toggle from main browser window"));

    optShow = new platform::OptionButton(Frame2, QStringLiteral("optShow"));
    optShow->Move(120, 240, 975, 255);
    optShow->SetCaption(QStringLiteral("Show"));
    optShow->SetValue(true);

    optHide = new platform::OptionButton(Frame2, QStringLiteral("optHide"));
    optHide->Move(1320, 240, 975, 255);
    optHide->SetCaption(QStringLiteral("Hide"));

    cmdOk = new SoftButton(this, QStringLiteral("cmdOk"), ButtonBag("Ok"));
    cmdOk->Move(2520, 3120, 975, 375);
    connect(cmdOk, &SoftButton::Click, this, &frmOptions::cmdOk_Click);

    cmdCancel = new SoftButton(this, QStringLiteral("cmdCancel"), ButtonBag("Cancel"));
    cmdCancel->Move(3600, 3120, 975, 375);
    connect(cmdCancel, &SoftButton::Click, this, &frmOptions::cmdCancel_Click);

    // Keyboard order.
    setTabOrder(optShow, optHide);
    setTabOrder(optHide, cmdCancel);
    setTabOrder(cmdCancel, txtHomepage);
    setTabOrder(txtHomepage, txtSearchpage);
}

void frmOptions::Init()
{
    // 1. The stored preferences, discarding what was not stored.
    mdlGlobals::LoadPrefs();
    // 2. The home page, or the marker for none.
    txtHomepage->SetText(mdlGlobals::strHomepage.isEmpty() ? kNotSet : mdlGlobals::strHomepage);
    // 3. The search page, or the marker for none.
    txtSearchpage->SetText(mdlGlobals::strSearchPage.isEmpty() ? kNotSet : mdlGlobals::strSearchPage);
    // 4. The toolbar choice.
    if (mdlGlobals::bShowToolbar)
        optShow->SetValue(true);
    else
        optHide->SetValue(true);
}

void frmOptions::cmdOk_Click()
{
    // 1. and 2. The pages as typed; the marker or an empty box for none.
    mdlGlobals::strHomepage = PageOf(txtHomepage->Text());
    mdlGlobals::strSearchPage = PageOf(txtSearchpage->Text());
    // 3. The toolbar choice.
    mdlGlobals::bShowToolbar = optShow->Value();
    // 4. Store all three and read them back.
    mdlGlobals::SavePrefs();
    mdlGlobals::LoadPrefs();
    // 5. The toolbar follows at once.
    if (mdlGlobals::bShowToolbar)
        platform::Forms<frmToolBar>().Show(platform::vbModeless, &platform::Forms<frmMain>());
    else
        platform::Forms<frmToolBar>().Hide();
    // 6. Done.
    Hide();
}

void frmOptions::cmdCancel_Click()
{
    Hide();
}

void frmOptions::Form_Load()
{
    MReg::RegLoadFormPos(*this);
    DrawActiveTitleBar();
}

void frmOptions::Form_Unload(int16_t& Cancel)
{
    (void)Cancel;
    MReg::RegSaveFormPos(*this, false);
}
