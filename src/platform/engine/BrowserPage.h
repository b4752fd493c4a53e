#pragma once
// The page the browser host shows, on the program's persistent profile.
// - Links and scripts that ask for a new window (target="_blank",
//   window.open) load in this page: the shell has one browser.
// - When the page's render process crashes or is killed, an error page is
//   shown under the lost page's address and renderProcessLost() says what
//   happened; Reload then loads the page that was lost, not the error page.
//
// - What the page asks of the browser becomes a request (PageRequests.h),
//   raised as one of the signals below and answered through itself: a
//   sign-in, a certificate problem, a permission, full screen, a dialog.
//   Nothing is granted without an answer; a request nobody handles is
//   refused. Sign-in and the dialogs must be answered before the engine goes
//   on, so the page waits for them in an event loop of its own. A new
//   navigation withdraws what is still open.
// - A sign-in the user cancelled is not asked again for the same site and
//   realm until the page navigates.
// - After a page's second dialog since its last navigation the user may stop
//   its dialogs: later ones are answered as cancelled until it navigates.
// - The page's leave question (beforeunload, before a navigation or a close)
//   is a dialog request of kind Leave; only the user's Stay keeps the page,
//   and a page whose dialogs were stopped is left without asking.
// - queryClose() asks the page whether it may be closed; closeQueried()
//   answers, at once when the user chose Leave, whatever the page does after.
// - A refused certificate is reported by certificateRefused() before the
//   load fails.
//
// Integration: the browser host creates its view's page as
// `new platform::BrowserPage(view)` and calls `view->setPage(page)`; it may
// route renderProcessLost() to its status text.
#include "platform/engine/PageRequests.h"

#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>

class QAuthenticator;
class QWebEngineCertificateError;
class QWebEngineFullScreenRequest;

namespace platform {

class BrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    // A page on EngineProfile::instance(), or on `profile`.
    explicit BrowserPage(QObject* parent = nullptr);
    BrowserPage(QWebEngineProfile* profile, QObject* parent);
    ~BrowserPage() override;

    void triggerAction(WebAction action, bool checked = false) override;

    // Runs the page's leave question as closing it would; closeQueried()
    // follows once. Asked again before that, nothing more is asked.
    void queryClose();

    // The page whose render process was lost, while the error page stands in
    // for it; empty otherwise.
    QUrl lostUrl() const { return lostUrl_; }

    static QString crashedText();
    static QString killedText();

signals:
    // The render process ended abnormally; `text` says so in a sentence.
    void renderProcessLost(const QString& text);

    void signInRequest(platform::SignInRequest* request);
    void certificateRequest(platform::CertificateRequest* request);
    void permissionRequest(platform::PermissionRequest* request);
    void fullScreenRequest(platform::FullScreenRequest* request);
    void dialogRequest(platform::PageDialogRequest* request);
    // The certificate of `url` was refused; its load fails next.
    void certificateRefused(const QUrl& url, const QString& host, const QString& problem);
    // The answer to queryClose(): whether the page may be closed.
    void closeQueried(bool leave);

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;

private:
    void onRenderProcessTerminated(RenderProcessTerminationStatus status, int exitCode);
    void onLoadStarted();
    void onAuthenticationRequired(const QUrl& url, QAuthenticator* authenticator, const QString& proxyHost);
    void onCertificateError(const QWebEngineCertificateError& error);
    void onFeaturePermissionRequested(const QUrl& origin, Feature feature);
    void onFeaturePermissionRequestCanceled(const QUrl& origin, Feature feature);
    void onFullScreenRequested(QWebEngineFullScreenRequest request);
    // Raises a dialog request and waits for its answer; false when it was
    // cancelled, stopped, withdrawn or the page went away meanwhile.
    bool askDialog(PageDialogRequest::Kind kind, const QUrl& origin, const QString& message, const QString& defaultText,
                   QString* text);
    // Raises the leave question and waits for its answer: true to leave.
    bool askToLeave(const QUrl& origin, const QString& message);
    void finishCloseQuery(bool leave);
    // The engine finishes a leave question the user stayed from after the
    // answer; a close asked before it has would be taken into that one and
    // lost. A script run behind it tells when it has.
    void startSettling();
    void settled();
    // Raises the request through `signal`, or refuses it when nothing is connected.
    template <class Request>
    void raise(void (BrowserPage::*signal)(Request*), Request* request);
    void withdrawOpenRequests();

    QUrl lostUrl_;
    bool loadingErrorPage_ = false;
    QPointer<QWebEnginePage> pendingWindow_;
    // queryClose() waits for the page's answer.
    bool closeQuery_ = false;
    // The engine is still finishing a leave question answered Stay.
    bool settling_ = false;
    // Dialogs since the last navigation, and whether the user stopped them.
    int dialogCount_ = 0;
    bool dialogsStopped_ = false;
    // The sign-ins since the last navigation: names given and cancels.
    SignInMemory signIns_;
};

}  // namespace platform
