#include "toolbar/frmToolBar.h"

#include "diagnostics/MErrs.h"
#include "dialogs/MWin32.h"
#include "platform/drawing/Resources.h"
#include "platform/system/AppError.h"
#include "platform/system/Runtime.h"
#include "settings/MReg.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"

namespace {
// Lower-case b on purpose: the toolbar's error reports have always named it so, and tests pin it.
const QString kObjectName = QStringLiteral("frmToolbar");

constexpr float kClientWidth = 4365;
constexpr float kClientHeight = 1470;

constexpr float kCaptionLeft = 0;
constexpr float kCaptionTop = 30;
constexpr float kCaptionWidth = 4335;
constexpr float kCaptionHeight = 225;
constexpr int16_t kCentred = 2;

// The six picture buttons: one row of squares.
constexpr float kButtonTop = 320;
constexpr float kButtonSize = 615;
constexpr float kBackLeft = 120;
constexpr float kForwardLeft = 720;
constexpr float kStopLeft = 1440;
constexpr float kRefreshLeft = 2160;
constexpr float kHomeLeft = 2880;
constexpr float kSearchLeft = 3600;

// The address box and the Go button share the row below.
constexpr float kAddressRowTop = 1080;
constexpr float kAddressRowHeight = 285;
constexpr float kURLLeft = 120;
constexpr float kURLWidth = 3615;
constexpr float kGoLeft = 3840;
constexpr float kGoWidth = 375;

constexpr int kIconBack = 101;
constexpr int kIconForward = 102;
constexpr int kIconStop = 103;
constexpr int kIconRefresh = 104;
constexpr int kIconHome = 105;
constexpr int kIconSearch = 106;

// A picture button, named after its command for assistive tools.
platform::CommandButton* pictureButton(QWidget* form, const QString& name, float left, const QString& toolTip,
                                       const QString& command)
{
    auto* button = new platform::CommandButton(form, name);
    button->Move(left, kButtonTop, kButtonSize, kButtonSize);
    button->SetToolTipText(toolTip);
    button->setAccessibleName(command);
    return button;
}

platform::BrowserHost& browser()
{
    return *platform::Forms<frmMain>().WebBrowser1;
}
}  // namespace

frmToolBar::frmToolBar() : ChromeForm(QStringLiteral("frmToolBar"))
{
    SetBackColor(platform::COLOR_WINDOW);
    SetClientSize(kClientWidth, kClientHeight);
    SetKeyPreview(true);

    lblCaption = new platform::Label(this, QStringLiteral("lblCaption"));
    lblCaption->Move(kCaptionLeft, kCaptionTop, kCaptionWidth, kCaptionHeight);
    lblCaption->SetCaption(QStringLiteral("Skerrywind Toolbar"));
    lblCaption->SetForeColor(platform::COLOR_HIGHLIGHTTEXT);
    lblCaption->SetAlignment(kCentred);
    lblCaption->SetFontBold(true);
    SetCaptionBand(lblCaption);

    // The window's name for assistive tools is its caption's.
    setAccessibleName(lblCaption->Caption());

    cmdBack =
        pictureButton(this, QStringLiteral("cmdBack"), kBackLeft, QStringLiteral("Go Back"), QStringLiteral("Back"));
    cmdForward = pictureButton(this, QStringLiteral("cmdForward"), kForwardLeft, QStringLiteral("Go Forward"),
                               QStringLiteral("Forward"));
    cmdStop = pictureButton(this, QStringLiteral("cmdStop"), kStopLeft, QStringLiteral("Stop"), QStringLiteral("Stop"));
    cmdRefresh = pictureButton(this, QStringLiteral("cmdRefresh"), kRefreshLeft, QStringLiteral("Refresh"),
                               QStringLiteral("Refresh"));
    cmdHome =
        pictureButton(this, QStringLiteral("cmdHome"), kHomeLeft, QStringLiteral("Go Home"), QStringLiteral("Home"));
    cmdSearch = pictureButton(this, QStringLiteral("cmdSearch"), kSearchLeft, QStringLiteral("Search"),
                              QStringLiteral("Search"));

    txtURL = new SoftText(this, QStringLiteral("txtURL"), SoftText::Stored{}.Bag());
    txtURL->Move(kURLLeft, kAddressRowTop, kURLWidth, kAddressRowHeight);
    txtURL->setAccessibleName(QStringLiteral("Address"));

    cmdGo = new SoftButton(this, QStringLiteral("cmdGo"),
                           SoftButton::Stored{.Caption = QStringLiteral("Go"), .Border = SoftButton::btFlatDark}.Bag());
    cmdGo->Move(kGoLeft, kAddressRowTop, kGoWidth, kAddressRowHeight);

    // The tab order: the six buttons, the address box, Go.
    setTabOrder(cmdBack, cmdForward);
    setTabOrder(cmdForward, cmdStop);
    setTabOrder(cmdStop, cmdRefresh);
    setTabOrder(cmdRefresh, cmdHome);
    setTabOrder(cmdHome, cmdSearch);
    setTabOrder(cmdSearch, txtURL->TextBox_hWnd());
    setTabOrder(txtURL->TextBox_hWnd(), cmdGo);

    connect(cmdBack, &platform::CommandButton::Click, this, &frmToolBar::cmdBack_Click);
    connect(cmdForward, &platform::CommandButton::Click, this, &frmToolBar::cmdForward_Click);
    connect(cmdStop, &platform::CommandButton::Click, this, &frmToolBar::cmdStop_Click);
    connect(cmdRefresh, &platform::CommandButton::Click, this, &frmToolBar::cmdRefresh_Click);
    connect(cmdHome, &platform::CommandButton::Click, this, &frmToolBar::cmdHome_Click);
    connect(cmdSearch, &platform::CommandButton::Click, this, &frmToolBar::cmdSearch_Click);
    connect(cmdGo, &SoftButton::Click, this, &frmToolBar::cmdGo_Click);
}

void frmToolBar::LoadResIcons()
{
    cmdBack->SetPicture(platform::LoadResIcon(kIconBack));
    cmdForward->SetPicture(platform::LoadResIcon(kIconForward));
    cmdStop->SetPicture(platform::LoadResIcon(kIconStop));
    cmdRefresh->SetPicture(platform::LoadResIcon(kIconRefresh));
    cmdHome->SetPicture(platform::LoadResIcon(kIconHome));
    cmdSearch->SetPicture(platform::LoadResIcon(kIconSearch));
}

void frmToolBar::Form_Load()
{
    MErrs::Trapped(kObjectName, QStringLiteral("Form_Load"), [&] {
        // 1. The stored position, if any.
        MReg::RegLoadFormPos(*this);
        // 2. Completion of addresses and file paths in the address box.
        MWin32::EnableAutoComplete(txtURL->TextBox_hWnd());
        // 3. No caption drag yet.
        blnDragging = false;
        // 4. The title band in the active colour, and the frame.
        DrawActiveTitleBar();
        // 5. The frame.
        FrameMe();
        // 6. The button pictures.
        LoadResIcons();
        // 7. One pass of pending window events.
        platform::DoEvents();
    });
}

void frmToolBar::Form_Unload(int16_t& Cancel)
{
    (void)Cancel;
    // The position only: the toolbar keeps its design size.
    MReg::RegSaveFormPos(*this, false);
}

void frmToolBar::Form_KeyDown(int16_t& KeyCode, int16_t& Shift)
{
    if (KeyCode == platform::vbKeyF4) {
        // The shift state is not examined, the key goes on, and the
        // show-toolbar preference stays as it is.
        if (Visible())
            Hide();
        else
            Show(platform::vbModeless, &platform::Forms<frmMain>());
        return;
    }
    // The browser's commands, carried out by the main window; none while it
    // is going.
    if (!platform::FormRegistry::IsLoaded<frmMain>())
        return;
    const MCommands::FocusPlace place =
        ActiveControl() == txtURL ? MCommands::FocusPlace::AddressBox : MCommands::FocusPlace::Toolbar;
    const MCommands::Command cmd = MCommands::CommandOfKey(KeyCode, Shift, place);
    if (cmd == MCommands::Command::None)
        return;
    // Escape goes on to the focused control too; the other command keys
    // give only the command.
    if (cmd != MCommands::Command::Escape)
        KeyCode = 0;
    platform::Forms<frmMain>().DoCommand(cmd);
}

void frmToolBar::cmdBack_Click()
{
    MErrs::Trapped(kObjectName, QStringLiteral("cmdBack_Click"), [&] { browser().GoBack(); });
}

void frmToolBar::cmdForward_Click()
{
    MErrs::Trapped(kObjectName, QStringLiteral("cmdForward_Click"), [&] { browser().GoForward(); });
}

void frmToolBar::cmdStop_Click()
{
    MErrs::Trapped(kObjectName, QStringLiteral("cmdStop_Click"), [&] { browser().Stop(); });
}

void frmToolBar::cmdRefresh_Click()
{
    MErrs::Trapped(kObjectName, QStringLiteral("cmdRefresh_Click"), [&] { browser().Refresh(); });
}

void frmToolBar::cmdHome_Click()
{
    MErrs::Trapped(kObjectName, QStringLiteral("cmdHome_Click"), [&] { platform::Forms<frmMain>().GoHomePage(); });
}

void frmToolBar::cmdSearch_Click()
{
    MErrs::Trapped(kObjectName, QStringLiteral("cmdSearch_Click"), [&] {
        if (!mdlGlobals::strSearchPage.isEmpty())
            browser().Navigate(mdlGlobals::strSearchPage);
        else
            browser().GoSearch();
    });
}

void frmToolBar::cmdGo_Click()
{
    const QString strURL = txtURL->Text();
    if (strURL.isEmpty())
        return;
    // As typed: the browser resolves what it is given.
    browser().Navigate(strURL);
}

void frmToolBar::lblCaption_MouseMove(int16_t Button, int16_t Shift, float X, float Y)
{
    MErrs::Trapped(kObjectName, QStringLiteral("lblCaption_MouseMove"),
                   [&] { ChromeForm::lblCaption_MouseMove(Button, Shift, X, Y); });
}

void frmToolBar::lblCaption_MouseUp(int16_t Button, int16_t Shift, float X, float Y)
{
    MErrs::Trapped(kObjectName, QStringLiteral("lblCaption_MouseUp"),
                   [&] { ChromeForm::lblCaption_MouseUp(Button, Shift, X, Y); });
}
