#pragma once
// The main window: the browser above the status bar, the start-up and the
// shut-down of the program, and the page's title and status shown around it.
#include "platform/engine/BrowserHost.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Timer.h"
#include "platform/intrinsics/StatusBar.h"
#include "shell/FindBox.h"
#include "shell/MCommands.h"

class frmMain : public platform::Form {
    Q_OBJECT
public:
    frmMain();

    platform::Timer* tmrWorker;
    platform::StatusBar* StatusBar;
    platform::BrowserHost* WebBrowser1;
    // Made on first use.
    FindBox* FindBox1 = nullptr;

    // Carries out one of the browser's everyday commands, as its key in
    // this window or in the toolbar asks.
    void DoCommand(MCommands::Command cmd);
    // Opens the home page preference, else the browser's own home page.
    void GoHomePage();

    // A command line that a later start of the program handed over: read by
    // the rules of the program's own, apart from them.
    void ReceiveCommandLine(const QString& strCommandLine);

protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) override;
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override;
    void Form_Unload(int16_t& Cancel) override;

private:
    void tmrWorker_Timer();
    void WebBrowser1_StatusTextChange(const QString& Text);
    void WebBrowser1_TitleChange(const QString& Text);
    void WebBrowser1_BeforeNavigate(const QString& URL);
    void WebBrowser1_FindTextResult(int ActiveMatch, int NumberOfMatches);
    void WebBrowser1_DocumentComplete(QObject* pDisp, const QVariant& URL);
    void WebBrowser1_SignInRequested(platform::SignInRequest* Request);
    void WebBrowser1_CertificateProblem(platform::CertificateRequest* Request);
    void WebBrowser1_PermissionRequested(platform::PermissionRequest* Request);
    void WebBrowser1_PageDialog(platform::PageDialogRequest* Request);
    void WebBrowser1_FullScreenRequested(platform::FullScreenRequest* Request);
    void WebBrowser1_UnhandledKeyDown(int16_t KeyCode, int16_t Shift);
    void WebBrowser1_UnhandledMouseWheel(int16_t Shift, int32_t Delta);
    void WebBrowser1_CloseQueried(bool Leave);

    // Closes the window as the user asks: the page is asked first, and the
    // unload follows once it lets the window close.
    void CloseAfterPage();

    // The browser fills the client area above the status bar, or all of it
    // while the status bar is hidden.
    void LayOutBrowser();
    // Refuses the pages' questions and unloads their windows.
    void UnloadQuestions();
    void FindBox1_Change();
    void FindBox1_FindNext(bool bBackward);
    void FindBox1_CloseClick();

    // Ends a page's full screen from this side: the window and then the page.
    void LeavePageFullScreen();
    // The window full screen (F11) and back, the toolbar out of the way meanwhile.
    void SetWindowFullScreen(bool bOn);
    void FocusAddressBox();
    void RestoreAddress();
    void LoadFindBox();
    void PlaceFindBox();
    bool FindBoxShown() const;
    void ShowFindBox();
    void CloseFindBox();
    void FindAgain(bool bBackward);
    void SetZoom(double dblFactor);

    // Wheel turns with Ctrl held, not yet a whole notch of zoom.
    int32_t lngWheelDelta = 0;
    // Whether going full screen hid the toolbar, and the show-toolbar
    // preference then: leaving brings the toolbar back unless F4 changed it.
    bool bFullScreenHidToolbar = false;
    bool bShowToolbarBeforeFullScreen = false;
    // The page was asked whether the window may close, and has not answered.
    bool bQueryingClose = false;
};
