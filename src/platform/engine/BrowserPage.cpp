#include "platform/engine/BrowserPage.h"

#include "platform/engine/CertificateProblem.h"
#include "platform/engine/EngineProfile.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QMetaMethod>
#include <QSslCertificate>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineSettings>

#include <utility>

namespace platform {

namespace {
QString errorPage(const QString& text, const QUrl& lost)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                          "<body style=\"font-family:sans-serif;margin:2em\"><h2>%1</h2><p>%2</p>"
                          "<p>Refresh loads it again.</p></body></html>")
        .arg(text.toHtmlEscaped(), lost.toDisplayString().toHtmlEscaped());
}

// The engine asks a page's leave question (beforeunload) as a confirmation
// with this text of its own.
QString leaveQuestionText()
{
    return QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
}

// A page that lives only until its first navigation, which it hands to the
// page that opened it instead of loading it: the new window's content goes to
// the one browser the shell has.
class NewWindowPage : public QWebEnginePage {
public:
    NewWindowPage(QWebEngineProfile* profile, QWebEnginePage* target) : QWebEnginePage(profile, target), target_(target)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        if (!isMainFrame)
            return false;
        if (target_ && !url.isEmpty() && url != QUrl(QStringLiteral("about:blank")))
            target_->setUrl(url);
        deleteLater();
        return false;
    }

private:
    QPointer<QWebEnginePage> target_;
};
}  // namespace

BrowserPage::BrowserPage(QObject* parent) : BrowserPage(EngineProfile::instance(), parent) {}

BrowserPage::BrowserPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::renderProcessTerminated, this, &BrowserPage::onRenderProcessTerminated);
    connect(this, &QWebEnginePage::loadStarted, this, &BrowserPage::onLoadStarted);
    settings()->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    connect(
        this, &QWebEnginePage::authenticationRequired, this,
        [this](const QUrl& url, QAuthenticator* authenticator) { onAuthenticationRequired(url, authenticator, {}); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this, &BrowserPage::onAuthenticationRequired);
    connect(this, &QWebEnginePage::certificateError, this, &BrowserPage::onCertificateError);
    connect(this, &QWebEnginePage::featurePermissionRequested, this, &BrowserPage::onFeaturePermissionRequested);
    connect(this, &QWebEnginePage::featurePermissionRequestCanceled, this,
            &BrowserPage::onFeaturePermissionRequestCanceled);
    connect(this, &QWebEnginePage::fullScreenRequested, this, &BrowserPage::onFullScreenRequested);
    // The engine closes the page when its leave question let it go (or it
    // had none); a script's window.close() is no answer to anything.
    connect(this, &QWebEnginePage::windowCloseRequested, this, [this] { finishCloseQuery(true); });
}

BrowserPage::~BrowserPage()
{
    // Whoever waits for an answer learns now that the page is going.
    withdrawOpenRequests();
}

QString BrowserPage::crashedText()
{
    return tr("The page stopped working (its process crashed).");
}
QString BrowserPage::killedText()
{
    return tr("The page stopped working (its process was ended).");
}

QWebEnginePage* BrowserPage::createWindow(WebWindowType)
{
    // A script that opens windows one after another without ever navigating
    // them keeps only its latest one alive.
    if (pendingWindow_)
        pendingWindow_->deleteLater();
    pendingWindow_ = new NewWindowPage(profile(), this);
    return pendingWindow_;
}

void BrowserPage::triggerAction(WebAction action, bool checked)
{
    if ((action == Reload || action == ReloadAndBypassCache) && !lostUrl_.isEmpty()) {
        // Reloading the stand-in would show the error again: load what was lost.
        const QUrl lost = lostUrl_;
        lostUrl_.clear();
        setUrl(lost);
        return;
    }
    QWebEnginePage::triggerAction(action, checked);
}

void BrowserPage::onRenderProcessTerminated(RenderProcessTerminationStatus status, int)
{
    // No script of the process that is gone answers any more.
    settled();
    if (status == NormalTerminationStatus)
        return;
    const QString text = status == KilledTerminationStatus ? killedText() : crashedText();
    emit renderProcessLost(text);
    // Lost again while the error page stands in: showing it again could only
    // repeat the loss, over and over where no render process can start.
    if (!lostUrl_.isEmpty())
        return;
    lostUrl_ = url().isEmpty() ? requestedUrl() : url();
    // The engine is still inside its notification: show the error page after
    // it, under the lost page's address, which the address box keeps showing.
    QTimer::singleShot(0, this, [this, text] {
        if (lostUrl_.isEmpty())
            return;  // reloaded already
        loadingErrorPage_ = true;
        setHtml(errorPage(text, lostUrl_), lostUrl_);
    });
}

bool BrowserPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // A new page in the main frame: what the old one asked is no longer
    // wanted, and its dialogs count afresh.
    if (isMainFrame && type != NavigationTypeRedirect) {
        signIns_.Navigated();
        withdrawOpenRequests();
        dialogCount_ = 0;
        dialogsStopped_ = false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void BrowserPage::withdrawOpenRequests()
{
    for (PageRequest* request : findChildren<PageRequest*>(Qt::FindDirectChildrenOnly))
        request->Withdraw();
}

template <class Request>
void BrowserPage::raise(void (BrowserPage::*signal)(Request*), Request* request)
{
    if (isSignalConnected(QMetaMethod::fromSignal(signal)))
        emit(this->*signal)(request);
    else
        request->Refuse();
}

void BrowserPage::onAuthenticationRequired(const QUrl& url, QAuthenticator* authenticator, const QString& proxyHost)
{
    const bool proxy = !proxyHost.isEmpty();
    const QString origin = proxy ? proxyHost : OriginText(url);
    const QString key = origin + u'\n' + authenticator->realm();
    // Cancelled once: the page's other requests there are not asked about.
    // (The engine has set the realm, so only a null authenticator cancels.)
    if (signIns_.Cancelled(key)) {
        *authenticator = QAuthenticator();
        return;
    }
    // Asked again on the same page: the server refused what was given.
    auto* request =
        new SignInRequest(origin, authenticator->realm(), proxy, signIns_.Given(key), signIns_.UserName(key), this);
    QPointer<BrowserPage> self(this);
    QPointer<SignInRequest> guard(request);
    const quint64 page = signIns_.Page();
    raise(&BrowserPage::signInRequest, request);
    WaitForAnswer(request);
    if (!self || !guard) {
        *authenticator = QAuthenticator();
        return;
    }
    if (request->SignedIn()) {
        authenticator->setUser(request->User());
        authenticator->setPassword(request->Password());
    } else {
        *authenticator = QAuthenticator();
    }
    signIns_.Record(key, page, *request);
    delete request;
}

void BrowserPage::onCertificateError(const QWebEngineCertificateError& error)
{
    QWebEngineCertificateError engineError = error;
    engineError.defer();
    const QUrl url = error.url();
    const QList<QSslCertificate> chain = error.certificateChain();
    const QString fingerprint =
        chain.isEmpty() ? QString() : QString::fromLatin1(chain.first().digest(QCryptographicHash::Sha256).toHex());
    auto* request = new CertificateRequest(OriginText(url), url.host(), CertificateProblem(error),
                                           error.isOverridable(), fingerprint, this);
    connect(request, &PageRequest::Answered, this, [this, request, engineError, url]() mutable {
        if (request->Proceeding()) {
            engineError.acceptCertificate();
        } else {
            emit certificateRefused(url, request->Host(), request->Problem());
            engineError.rejectCertificate();
        }
        request->deleteLater();
    });
    connect(request, &PageRequest::Withdrawn, this, [engineError]() mutable { engineError.rejectCertificate(); });
    connect(request, &PageRequest::Withdrawn, request, &QObject::deleteLater);
    raise(&BrowserPage::certificateRequest, request);
}

namespace {
PermissionRequest::Kind permissionKind(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications: return PermissionRequest::Notifications;
    case QWebEnginePage::Geolocation: return PermissionRequest::Geolocation;
    case QWebEnginePage::MediaAudioCapture: return PermissionRequest::Microphone;
    case QWebEnginePage::MediaVideoCapture: return PermissionRequest::Camera;
    case QWebEnginePage::MediaAudioVideoCapture: return PermissionRequest::CameraAndMicrophone;
    case QWebEnginePage::MouseLock: return PermissionRequest::MouseLock;
    case QWebEnginePage::DesktopVideoCapture: return PermissionRequest::ScreenCapture;
    case QWebEnginePage::DesktopAudioVideoCapture: return PermissionRequest::ScreenAndAudioCapture;
    }
    return PermissionRequest::ScreenAndAudioCapture;
}
}  // namespace

void BrowserPage::onFeaturePermissionRequested(const QUrl& origin, Feature feature)
{
    auto* request = new PermissionRequest(OriginText(origin), permissionKind(feature), this);
    connect(request, &PageRequest::Answered, this, [this, request, origin, feature] {
        setFeaturePermission(origin, feature, request->Granted() ? PermissionGrantedByUser : PermissionDeniedByUser);
        request->deleteLater();
    });
    connect(request, &PageRequest::Withdrawn, request, &QObject::deleteLater);
    raise(&BrowserPage::permissionRequest, request);
}

void BrowserPage::onFeaturePermissionRequestCanceled(const QUrl& origin, Feature feature)
{
    const QString site = OriginText(origin);
    for (auto* request : findChildren<PermissionRequest*>(Qt::FindDirectChildrenOnly)) {
        if (request->Origin() == site && request->What() == permissionKind(feature))
            request->Withdraw();
    }
}

void BrowserPage::onFullScreenRequested(QWebEngineFullScreenRequest engineRequest)
{
    auto* request = new FullScreenRequest(OriginText(engineRequest.origin()), engineRequest.toggleOn(), this);
    connect(request, &PageRequest::Answered, this, [request, engineRequest]() mutable {
        if (request->Accepted())
            engineRequest.accept();
        else
            engineRequest.reject();
        request->deleteLater();
    });
    connect(request, &PageRequest::Withdrawn, this, [engineRequest]() mutable { engineRequest.reject(); });
    connect(request, &PageRequest::Withdrawn, request, &QObject::deleteLater);
    raise(&BrowserPage::fullScreenRequest, request);
}

bool BrowserPage::askDialog(PageDialogRequest::Kind kind, const QUrl& origin, const QString& message,
                            const QString& defaultText, QString* text)
{
    if (dialogsStopped_)
        return false;
    auto* request = new PageDialogRequest(OriginText(origin), kind, message, defaultText, ++dialogCount_, this);
    QPointer<BrowserPage> self(this);
    QPointer<PageDialogRequest> guard(request);
    raise(&BrowserPage::dialogRequest, request);
    WaitForAnswer(request);
    if (!self || !guard)
        return false;
    if (request->Stopped())
        dialogsStopped_ = true;
    const bool accepted = request->Accepted();
    if (accepted && text)
        *text = request->Text();
    delete request;
    return accepted;
}

void BrowserPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg)
{
    askDialog(PageDialogRequest::Alert, securityOrigin, msg, QString(), nullptr);
}

bool BrowserPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg)
{
    if (msg == leaveQuestionText())
        return askToLeave(securityOrigin, msg);
    return askDialog(PageDialogRequest::Confirm, securityOrigin, msg, QString(), nullptr);
}

void BrowserPage::queryClose()
{
    if (closeQuery_)
        return;
    closeQuery_ = true;
    // Asked once the engine has finished the last leave question.
    if (!settling_)
        triggerAction(RequestClose);
}

bool BrowserPage::askToLeave(const QUrl& origin, const QString& message)
{
    // A page whose dialogs were stopped is left without asking: keeping it
    // would cancel the very navigation that ends the stop.
    bool leave = true;
    if (!dialogsStopped_) {
        auto* request = new PageDialogRequest(OriginText(origin), PageDialogRequest::Leave, message, QString(),
                                              ++dialogCount_, this);
        QPointer<BrowserPage> self(this);
        QPointer<PageDialogRequest> guard(request);
        raise(&BrowserPage::dialogRequest, request);
        WaitForAnswer(request);
        if (!self)
            return false;
        // Only the user's Stay keeps the page; a question taken back by the
        // page's going elsewhere keeps nothing.
        if (guard) {
            leave = !request->IsAnswered() || request->Accepted() || request->Stopped();
            if (request->Stopped())
                dialogsStopped_ = true;
            delete request;
        }
    }
    if (!leave)
        startSettling();
    finishCloseQuery(leave);
    return leave;
}

void BrowserPage::startSettling()
{
    if (std::exchange(settling_, true))
        return;
    // The page's process answers scripts in order, after it has finished
    // the leave question.
    QPointer<BrowserPage> self(this);
    runJavaScript(QString(), [self](const QVariant&) {
        if (self)
            self->settled();
    });
}

void BrowserPage::settled()
{
    if (!std::exchange(settling_, false))
        return;
    if (closeQuery_)
        triggerAction(RequestClose);
}

void BrowserPage::finishCloseQuery(bool leave)
{
    if (!std::exchange(closeQuery_, false))
        return;
    emit closeQueried(leave);
}

bool BrowserPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                                   QString* result)
{
    return askDialog(PageDialogRequest::Prompt, securityOrigin, msg, defaultValue, result);
}

void BrowserPage::onLoadStarted()
{
    // A load starts only once the engine has finished any leave question;
    // the script's answer may not come after it.
    settled();
    // Any load but the error page's own ends the stand-in.
    if (loadingErrorPage_)
        loadingErrorPage_ = false;
    else
        lostUrl_.clear();
}

}  // namespace platform
