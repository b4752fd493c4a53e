#include "shell/frmMain.h"

#include "chrome/MSysMenu32.h"
#include "diagnostics/MErrs.h"
#include "dialogs/MWin32.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "platform/drawing/Resources.h"
#include "platform/system/AppError.h"
#include "platform/system/Runtime.h"
#include "questions/MQuestions.h"
#include "questions/frmAsk.h"
#include "questions/frmPageDialog.h"
#include "questions/frmSignIn.h"
#include "settings/MReg.h"
#include "settings/mdlGlobals.h"
#include "shell/MArgs.h"
#include "shell/MPageFullScreen.h"
#include "toolbar/frmToolBar.h"

#include <QPointer>

namespace {
constexpr float kDesignFrameWidth = 120;   // left and right borders, 60 each
constexpr float kDesignFrameHeight = 405;  // title bar and top border 345, bottom border 60
constexpr float kClientWidth = 4575;
constexpr float kClientHeight = 3015;
constexpr float kBrowserDesignWidth = 2775;
constexpr float kBrowserDesignHeight = 1575;
constexpr int kWorkerInterval = 250;
constexpr int kApplicationIcon = 1;
// The find box keeps this far from the page's top and right edges.
constexpr float kFindBoxMargin = 120;
}  // namespace

using MCommands::Command;

frmMain::frmMain() : Form(QStringLiteral("frmMain"))
{
    SetCaption(QStringLiteral("Skerrywind"));
    SetDesignFrame(kDesignFrameWidth, kDesignFrameHeight);
    SetClientSize(kClientWidth, kClientHeight);
    SetKeyPreview(true);

    // The browser first: its engine starts while the program's fonts are
    // still being read on the side, and the controls below need them.
    WebBrowser1 = platform::CreateBrowser(this);
    platform::SetTwipsGeometry(WebBrowser1->Widget(), 0, 0, kBrowserDesignWidth, kBrowserDesignHeight);
    WebBrowser1->Widget()->setAccessibleName(QStringLiteral("Page"));

    try {
        setWindowIcon(platform::LoadResIcon(kApplicationIcon));
    } catch (const platform::AppError&) {
        // Without the icon in the resources the window opens with the default one.
    }

    tmrWorker = new platform::Timer(this, [this] { tmrWorker_Timer(); });
    tmrWorker->SetInterval(kWorkerInterval);
    tmrWorker->SetEnabled(true);

    StatusBar = new platform::StatusBar(this);
    StatusBar->setAccessibleName(QStringLiteral("Status"));

    setTabOrder(WebBrowser1->Widget(), StatusBar);
    connect(WebBrowser1, &platform::BrowserHost::StatusTextChange, this, &frmMain::WebBrowser1_StatusTextChange);
    connect(WebBrowser1, &platform::BrowserHost::TitleChange, this, &frmMain::WebBrowser1_TitleChange);
    connect(WebBrowser1, &platform::BrowserHost::BeforeNavigate, this, &frmMain::WebBrowser1_BeforeNavigate);
    connect(WebBrowser1, &platform::BrowserHost::FindTextResult, this, &frmMain::WebBrowser1_FindTextResult);
    connect(WebBrowser1, &platform::BrowserHost::DocumentComplete, this, &frmMain::WebBrowser1_DocumentComplete);
    connect(WebBrowser1, &platform::BrowserHost::SignInRequested, this, &frmMain::WebBrowser1_SignInRequested);
    connect(WebBrowser1, &platform::BrowserHost::CertificateProblem, this, &frmMain::WebBrowser1_CertificateProblem);
    connect(WebBrowser1, &platform::BrowserHost::PermissionRequested, this, &frmMain::WebBrowser1_PermissionRequested);
    connect(WebBrowser1, &platform::BrowserHost::PageDialog, this, &frmMain::WebBrowser1_PageDialog);
    connect(WebBrowser1, &platform::BrowserHost::FullScreenRequested, this, &frmMain::WebBrowser1_FullScreenRequested);
    connect(WebBrowser1, &platform::BrowserHost::UnhandledKeyDown, this, &frmMain::WebBrowser1_UnhandledKeyDown);
    connect(WebBrowser1, &platform::BrowserHost::UnhandledMouseWheel, this, &frmMain::WebBrowser1_UnhandledMouseWheel);
    connect(WebBrowser1, &platform::BrowserHost::CloseQueried, this, &frmMain::WebBrowser1_CloseQueried);
}

void frmMain::Form_Load()
{
    MErrs::Trapped(QStringLiteral("frmMain"), QStringLiteral("Form_Load"), [&] {
        // 1. The command line, split at blanks.
        MArgs::ParseArgs(QString(QChar(32)));
        // 2. The preferences.
        mdlGlobals::LoadPrefs();
        // 3. The system menu extension and the subclassing of this window.
        MSysMenu32::SysMenuHook(hWnd(), QStringLiteral("About Skerrywind..."));
        // 4. The stored placement of this window.
        MReg::RegLoadFormPos(*this);
        // 5. The toolbar: loaded but hidden for "-notoolbar" (the preference
        //    stays as it is), else shown as the preference says.
        if (MArgs::HasNoToolbarArg())
            platform::Forms<frmToolBar>().Hide();
        else if (mdlGlobals::bShowToolbar)
            platform::Forms<frmToolBar>().Show(platform::vbModeless, this);
        // 6. Let pending window events run.
        platform::DoEvents();
        // 7. The first navigation: the URL argument, else the home page preference,
        //    else the browser's own home page.
        const int32_t i = MArgs::FindUrlArg();
        if (i == -1)
            GoHomePage();
        else
            WebBrowser1->Navigate(MArgs::strArgs[i]);
        // 8. Let pending window events run.
        platform::DoEvents();
    });
}

void frmMain::Form_Resize()
{
    MErrs::Trapped(QStringLiteral("frmMain"), QStringLiteral("Form_Resize"), [&] {
        if (WindowState() != platform::vbMinimized) {
            LayOutBrowser();
            if (FindBox1)
                PlaceFindBox();
        }
        platform::DoEvents();
    });
}

void frmMain::LayOutBrowser()
{
    // The client area: full screen, Width and Height name the placement
    // from before.
    WebBrowser1->SetWidth(ScaleWidth());
    WebBrowser1->SetHeight(ScaleHeight() - (StatusBar->Visible() ? StatusBar->Height() : 0));
}

void frmMain::Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode)
{
    // Closed by the user with the window's own means (its close button, the
    // window manager, the window menu's Close): the page is asked first. A
    // termination signal and the program's own unload do not wait for it.
    if (UnloadMode == platform::vbFormControlMenu) {
        Cancel = -1;
        CloseAfterPage();
    }
}

void frmMain::CloseAfterPage()
{
    // Asked already: the page's answer is awaited.
    if (bQueryingClose)
        return;
    bQueryingClose = true;
    try {
        WebBrowser1->QueryClose();
    } catch (...) {
        // A page that cannot be asked does not keep the window open.
        bQueryingClose = false;
        Unload();
    }
}

void frmMain::WebBrowser1_CloseQueried(bool Leave)
{
    bQueryingClose = false;
    // Leave: the close goes on as the user began it, and the unload stores
    // what must survive. Stay: everything stays open.
    if (Leave)
        Unload();
}

void frmMain::Form_Unload(int16_t& Cancel)
{
    (void)Cancel;
    try {
        // 1. The preferences.
        mdlGlobals::SavePrefs();
        // 2. Undo the system menu extension and the subclassing.
        MSysMenu32::SysMenuUnhook(hWnd());
        // 3. The placement of this window, with its size: its own, not the
        //    screen a page filled.
        MPageFullScreen::Leave(*this);
        MReg::RegSaveFormPos(*this, true);
        // 4. The toolbar, if loaded; it stores its position as it goes.
        platform::FormRegistry::UnloadIfLoaded<frmToolBar>();
        // 5. The other loaded forms: the options dialog, the about box and
        //    the pages' questions, which are refused.
        platform::FormRegistry::UnloadIfLoaded<frmOptions>();
        platform::FormRegistry::UnloadIfLoaded<frmAbout>();
        UnloadQuestions();
    } catch (...) {
        // "Form_Cancel", not Form_Unload, on purpose: the unload's reports have always named it so, and tests pin it.
        MErrs::ReportError(QStringLiteral("frmMain"), QStringLiteral("Form_Cancel"), platform::Err().Number);
        // The program ends with this window even when a step failed: a form
        // that was loaded but never shown (its opening failed) has no owner
        // to go with.
        platform::FormRegistry::UnloadIfLoaded<frmToolBar>();
        platform::FormRegistry::UnloadIfLoaded<frmOptions>();
        platform::FormRegistry::UnloadIfLoaded<frmAbout>();
        UnloadQuestions();
    }
}

void frmMain::UnloadQuestions()
{
    MQuestions::CloseAll();
    platform::FormRegistry::UnloadIfLoaded<frmAsk>();
    platform::FormRegistry::UnloadIfLoaded<frmSignIn>();
    platform::FormRegistry::UnloadIfLoaded<frmPageDialog>();
}

void frmMain::Form_KeyDown(int16_t& KeyCode, int16_t& Shift)
{
    if (KeyCode == platform::vbKeyF4) {
        // The shift state is not examined, and the key goes on.
        if (platform::Forms<frmToolBar>().Visible()) {
            platform::Forms<frmToolBar>().Hide();
            mdlGlobals::bShowToolbar = false;
        } else {
            platform::Forms<frmToolBar>().Show(platform::vbModeless, this);
            mdlGlobals::bShowToolbar = true;
        }
        return;
    }
    // With the focus in the page, the page has a key first and the browser
    // acts on what it leaves (WebBrowser1_UnhandledKeyDown). Only closing,
    // full screen and the browser keys are the browser's before the page's,
    // and Escape while a page fills the screen: no page can keep the screen.
    if (WebBrowser1->HasFocus()) {
        if (KeyCode == platform::vbKeyEscape && MPageFullScreen::Active()) {
            KeyCode = 0;
            LeavePageFullScreen();
        } else if (MCommands::BrowserFirst(KeyCode, Shift)) {
            const Command cmd = MCommands::CommandOfKey(KeyCode, Shift, MCommands::FocusPlace::Page);
            KeyCode = 0;
            DoCommand(cmd);
        }
        return;
    }
    const MCommands::FocusPlace place =
        FindBox1 && ActiveControl() == FindBox1 ? MCommands::FocusPlace::FindBox : MCommands::FocusPlace::Page;
    const Command cmd = MCommands::CommandOfKey(KeyCode, Shift, place);
    if (cmd == Command::None)
        return;
    // Escape goes on to the focused control too, which may have a use of its
    // own for it; the other command keys give only the command.
    if (cmd != Command::Escape)
        KeyCode = 0;
    DoCommand(cmd);
}

void frmMain::WebBrowser1_UnhandledKeyDown(int16_t KeyCode, int16_t Shift)
{
    // A key the page had first and did not take: its command, if it has one.
    DoCommand(MCommands::CommandOfKey(KeyCode, Shift, MCommands::FocusPlace::Page));
}

void frmMain::WebBrowser1_UnhandledMouseWheel(int16_t Shift, int32_t Delta)
{
    // Ctrl and the wheel zoom, a step a notch, when the page did not take
    // the turn.
    if (Shift != platform::vbCtrlMask || Delta == 0)
        return;
    if ((lngWheelDelta > 0) != (Delta > 0))
        lngWheelDelta = 0;
    lngWheelDelta += Delta;
    while (lngWheelDelta >= platform::BrowserHost::kWheelNotch) {
        lngWheelDelta -= platform::BrowserHost::kWheelNotch;
        DoCommand(Command::ZoomIn);
    }
    while (lngWheelDelta <= -platform::BrowserHost::kWheelNotch) {
        lngWheelDelta += platform::BrowserHost::kWheelNotch;
        DoCommand(Command::ZoomOut);
    }
}

void frmMain::GoHomePage()
{
    if (!mdlGlobals::strHomepage.isEmpty())
        WebBrowser1->Navigate(mdlGlobals::strHomepage);
    else
        WebBrowser1->GoHome();
}

void frmMain::DoCommand(Command cmd)
{
    switch (cmd) {
    case Command::None: break;
    case Command::GoBack: WebBrowser1->GoBack(); break;
    case Command::GoForward: WebBrowser1->GoForward(); break;
    case Command::Refresh: WebBrowser1->Refresh(); break;
    case Command::RefreshCompletely: WebBrowser1->Refresh2(platform::REFRESH_COMPLETELY); break;
    case Command::Escape:
        // A page filling the screen is ended, whatever the page does; the
        // window's own full screen stays (F11 ends it).
        if (MPageFullScreen::Active())
            LeavePageFullScreen();
        if (FindBoxShown())
            CloseFindBox();
        WebBrowser1->Stop();
        break;
    case Command::GoHome: GoHomePage(); break;
    case Command::FocusAddress: FocusAddressBox(); break;
    case Command::Find: ShowFindBox(); break;
    case Command::FindNext: FindAgain(false); break;
    case Command::FindPrevious: FindAgain(true); break;
    case Command::ZoomIn: SetZoom(MCommands::NextZoomFactor(WebBrowser1->ZoomFactor(), 1)); break;
    case Command::ZoomOut: SetZoom(MCommands::NextZoomFactor(WebBrowser1->ZoomFactor(), -1)); break;
    case Command::ZoomReset: SetZoom(MCommands::NormalZoom); break;
    case Command::Print: WebBrowser1->Print(); break;
    case Command::FullScreen:
        if (MPageFullScreen::Active())
            LeavePageFullScreen();
        else
            SetWindowFullScreen(!FullScreen());
        break;
    case Command::Close:
        // As the user closes the window: the page is asked first, then the
        // unload stores what must survive. A window still loading is not
        // shown yet and cannot be closed; its load goes on with it. Nothing
        // of this form is used after the unload.
        if (Visible())
            CloseAfterPage();
        break;
    case Command::RestoreAddress: RestoreAddress(); break;
    }
}

void frmMain::SetWindowFullScreen(bool bOn)
{
    // The toolbar makes way for the page while the window fills the screen
    // and comes back with the window; F4 and Ctrl+L show it meanwhile.
    const bool bToolbarShown =
        platform::FormRegistry::IsLoaded<frmToolBar>() && platform::Forms<frmToolBar>().Visible();
    if (bOn) {
        bFullScreenHidToolbar = bToolbarShown;
        bShowToolbarBeforeFullScreen = mdlGlobals::bShowToolbar;
        if (bToolbarShown)
            platform::Forms<frmToolBar>().Hide();
        SetFullScreen(true);
        return;
    }
    SetFullScreen(false);
    if (bFullScreenHidToolbar && !bToolbarShown && mdlGlobals::bShowToolbar == bShowToolbarBeforeFullScreen) {
        platform::Forms<frmToolBar>().Show(platform::vbModeless, this);
        // The keys stay with this window.
        BringToFront();
    }
    bFullScreenHidToolbar = false;
}

void frmMain::LeavePageFullScreen()
{
    MPageFullScreen::Leave(*this);
    LayOutBrowser();
    WebBrowser1->ExitFullScreen();
}

void frmMain::FocusAddressBox()
{
    // A hidden toolbar is shown as its own F4 shows it: the show-toolbar
    // preference stays as it is.
    frmToolBar& toolbar = platform::Forms<frmToolBar>();
    if (!toolbar.Visible())
        toolbar.Show(platform::vbModeless, this);
    toolbar.txtURL->SetFocus();
    toolbar.txtURL->SetSelStart(0);
    toolbar.txtURL->SetSelLength(int32_t(toolbar.txtURL->Text().size()));
}

void frmMain::RestoreAddress()
{
    // What was typed in the address box gives way to the shown page's
    // address, selected, so that typing replaces it.
    frmToolBar& toolbar = platform::Forms<frmToolBar>();
    toolbar.txtURL->SetText(WebBrowser1->LocationURL());
    toolbar.txtURL->SetSelStart(0);
    toolbar.txtURL->SetSelLength(int32_t(toolbar.txtURL->Text().size()));
}

void frmMain::LoadFindBox()
{
    // Made when it is first asked for, so that it costs the start nothing.
    if (FindBox1)
        return;
    FindBox1 = new FindBox(this, QStringLiteral("FindBox1"));
    FindBox1->SetVisible(false);
    connect(FindBox1, &FindBox::Change, this, &frmMain::FindBox1_Change);
    connect(FindBox1, &FindBox::FindNext, this, &frmMain::FindBox1_FindNext);
    connect(FindBox1, &FindBox::CloseClick, this, &frmMain::FindBox1_CloseClick);
    PlaceFindBox();
}

void frmMain::PlaceFindBox()
{
    // Over the page's top right corner.
    FindBox1->Move(WebBrowser1->Width() - FindBox1->Width() - kFindBoxMargin, kFindBoxMargin, FindBox1->Width(),
                   FindBox1->Height());
}

bool frmMain::FindBoxShown() const
{
    return FindBox1 && FindBox1->Visible();
}

void frmMain::ShowFindBox()
{
    LoadFindBox();
    // Opened again, the box finds its text again: closing it cleared the
    // highlights.
    const bool bWasVisible = FindBox1->Visible();
    FindBox1->Activate();
    if (!bWasVisible && !FindBox1->Text().isEmpty())
        WebBrowser1->FindText(FindBox1->Text(), false);
}

void frmMain::FindAgain(bool bBackward)
{
    LoadFindBox();
    if (FindBox1->Text().isEmpty()) {
        ShowFindBox();
        return;
    }
    FindBox1->SetVisible(true);
    FindBox1->ZOrder(0);
    WebBrowser1->FindText(FindBox1->Text(), bBackward);
}

void frmMain::CloseFindBox()
{
    const bool bHadFocus = ActiveControl() == FindBox1;
    FindBox1->SetVisible(false);
    WebBrowser1->FindText(QString(), false);
    StatusBar->Panels(1).SetText(QString());
    if (bHadFocus)
        WebBrowser1->SetFocus();
}

void frmMain::SetZoom(double dblFactor)
{
    WebBrowser1->SetZoomFactor(dblFactor);
    StatusBar->Panels(1).SetText(MCommands::ZoomText(WebBrowser1->ZoomFactor()));
}

void frmMain::FindBox1_Change()
{
    // Finds as the user types; an empty box clears the highlights.
    const QString strText = FindBox1->Text();
    WebBrowser1->FindText(strText, false);
    if (strText.isEmpty())
        StatusBar->Panels(1).SetText(QString());
}

void frmMain::FindBox1_FindNext(bool bBackward)
{
    FindAgain(bBackward);
}

void frmMain::FindBox1_CloseClick()
{
    CloseFindBox();
}

void frmMain::ReceiveCommandLine(const QString& strCommandLine)
{
    MErrs::Trapped(QStringLiteral("frmMain"), QStringLiteral("ReceiveCommandLine"), [&] {
        // The window comes forward, restored if it was minimised; the toolbar
        // stays as the user left it, "-notoolbar" or not.
        BringToFront();
        // A URL argument is navigated to as the first navigation would; without
        // one nothing is.
        const QStringList strReceivedArgs = MArgs::SplitArgs(strCommandLine, QString(QChar(32)));
        const int32_t i = MArgs::FindUrlArg(strReceivedArgs);
        if (i != -1)
            WebBrowser1->Navigate(strReceivedArgs[i]);
    });
}

void frmMain::tmrWorker_Timer()
{
    StatusBar->Panels(2).SetText(WebBrowser1->Busy() ? QStringLiteral("BUSY") : QString());
}

void frmMain::WebBrowser1_StatusTextChange(const QString& Text)
{
    MErrs::Trapped(QStringLiteral("frmMain"), QStringLiteral("WebBrowser1_StatusTextChange"), [&] {
        if (Text.isEmpty())
            return;
        StatusBar->Panels(1).SetText(Text);
    });
}

void frmMain::WebBrowser1_TitleChange(const QString& Text)
{
    MErrs::Trapped(QStringLiteral("frmMain"), QStringLiteral("WebBrowser1_TitleChange"), [&] {
        const QString prefix = QStringLiteral("Skerrywind v") + MWin32::GetAppVersion();
        if (!Text.isEmpty())
            SetCaption(prefix + QStringLiteral(" - [") + Text + QStringLiteral("]"));
        else
            SetCaption(prefix);
    });
}

void frmMain::WebBrowser1_BeforeNavigate(const QString& URL)
{
    // The matches were the old page's: the find box closes on the way to
    // another address, and stays for the page shown loading again, to find
    // again once it has loaded.
    if (FindBoxShown() && URL != WebBrowser1->LocationURL())
        CloseFindBox();
}

void frmMain::WebBrowser1_FindTextResult(int ActiveMatch, int NumberOfMatches)
{
    if (!FindBoxShown() || FindBox1->Text().isEmpty())
        return;
    StatusBar->Panels(1).SetText(MCommands::FindResultText(ActiveMatch, NumberOfMatches));
    FindBox1->SetResult(MCommands::FindResultText(ActiveMatch, NumberOfMatches));
}

void frmMain::WebBrowser1_DocumentComplete(QObject* pDisp, const QVariant& URL)
{
    (void)pDisp;
    try {
        // The toolbar's address box follows the completed document, frames
        // included: the last to complete wins. A toolbar not loaded yet is
        // loaded, and stays hidden.
        if (!URL.canConvert<QString>())
            platform::Raise(platform::errTypeMismatch);
        const QString strURL = URL.toString();
        platform::Forms<frmToolBar>().txtURL->SetText(strURL);
        // The find box, open while the page loaded again, finds in it again.
        if (FindBoxShown() && !FindBox1->Text().isEmpty())
            WebBrowser1->FindText(FindBox1->Text(), false);
    } catch (...) {
        // Failures here are not reported.
    }
}

void frmMain::WebBrowser1_SignInRequested(platform::SignInRequest* Request)
{
    MErrs::Trapped(
        QStringLiteral("frmMain"), QStringLiteral("WebBrowser1_SignInRequested"),
        [&] { MQuestions::AskSignIn(Request); }, [&] { Request->Refuse(); });
}

void frmMain::WebBrowser1_CertificateProblem(platform::CertificateRequest* Request)
{
    MErrs::Trapped(
        QStringLiteral("frmMain"), QStringLiteral("WebBrowser1_CertificateProblem"),
        [&] { MQuestions::AskCertificate(Request); }, [&] { Request->Refuse(); });
}

void frmMain::WebBrowser1_PermissionRequested(platform::PermissionRequest* Request)
{
    MErrs::Trapped(
        QStringLiteral("frmMain"), QStringLiteral("WebBrowser1_PermissionRequested"),
        [&] { MQuestions::AskPermission(Request); }, [&] { Request->Refuse(); });
}

void frmMain::WebBrowser1_PageDialog(platform::PageDialogRequest* Request)
{
    MErrs::Trapped(
        QStringLiteral("frmMain"), QStringLiteral("WebBrowser1_PageDialog"),
        [&] { MQuestions::AskPageDialog(Request); }, [&] { Request->Refuse(); });
}

void frmMain::WebBrowser1_FullScreenRequested(platform::FullScreenRequest* Request)
{
    // The window's resize lets events run; the page may withdraw its request
    // meanwhile.
    const QPointer<platform::FullScreenRequest> request(Request);
    try {
        if (request->On())
            MPageFullScreen::Enter(*this);
        else
            MPageFullScreen::Leave(*this);
        LayOutBrowser();
        if (request)
            request->Accept();
    } catch (...) {
        if (request)
            request->Refuse();
        MErrs::ReportError(QStringLiteral("frmMain"), QStringLiteral("WebBrowser1_FullScreenRequested"),
                           platform::Err().Number);
    }
}
