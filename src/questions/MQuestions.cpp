#include "questions/MQuestions.h"

#include "platform/forms/Forms.h"
#include "questions/frmAsk.h"
#include "questions/frmPageDialog.h"
#include "questions/frmSignIn.h"

#include <QHash>
#include <QPointer>
#include <QSet>

#include <deque>
#include <functional>
#include <utility>

namespace MQuestions {

namespace {
// The longest site name a caption shows.
constexpr int kOriginChars = 80;
const QString kEllipsis = QStringLiteral("\u2026");

using platform::PageRequest;

struct Question {
    // Requests with the same non-empty key ask the same thing and join.
    QString key;
    QList<QPointer<PageRequest>> requests;
    // Shows the question's window; its answer comes back through Answer().
    std::function<void()> show;
    // The window that shows it, to close it when nothing is left to answer.
    std::function<void()> withdraw;
};

// The queue; its front is the question shown while `showing` is set.
std::deque<Question> queue;
bool showing = false;

// The answers of this run.
QHash<QString, bool> permissionAnswers;
struct Credentials {
    QString user;
    QString password;
};
QHash<QString, Credentials> credentials;
QSet<QString> proceedHosts;

bool isOpen(const QPointer<PageRequest>& request)
{
    return request && request->IsOpen();
}

void ShowNext()
{
    while (!showing && !queue.empty()) {
        Question& front = queue.front();
        front.requests.removeIf([](const QPointer<PageRequest>& r) { return !isOpen(r); });
        if (front.requests.isEmpty()) {
            queue.pop_front();
            continue;
        }
        showing = true;
        // A copy runs: the window's code may let events run, and one of them
        // may empty the queue this question stands in.
        const std::function<void()> show = front.show;
        show();
    }
}

// Answers every open request of the question shown, with `answer`, and goes
// on to the next question.
template <class Request>
void Answer(const std::function<void(Request*)>& answer)
{
    if (!showing || queue.empty())
        return;
    Question shown = std::move(queue.front());
    queue.pop_front();
    showing = false;
    for (const QPointer<PageRequest>& request : shown.requests) {
        if (isOpen(request))
            answer(static_cast<Request*>(request.data()));
    }
    ShowNext();
}

// A request was withdrawn: questions left without an open request go, and a
// window showing one closes.
void Prune()
{
    // The window is closed once the queue is in order: closing it lets
    // events run, which may change the queue again.
    std::function<void()> withdrawShown;
    for (auto it = queue.begin(); it != queue.end();) {
        it->requests.removeIf([](const QPointer<PageRequest>& r) { return !isOpen(r); });
        if (!it->requests.isEmpty()) {
            ++it;
            continue;
        }
        if (showing && it == queue.begin()) {
            showing = false;
            withdrawShown = std::move(it->withdraw);
        }
        it = queue.erase(it);
    }
    if (withdrawShown)
        withdrawShown();
    ShowNext();
}

void Enqueue(const QString& key, PageRequest* request, std::function<void()> show, std::function<void()> withdraw)
{
    QObject::connect(request, &PageRequest::Withdrawn, request, [] { Prune(); });
    if (!key.isEmpty()) {
        for (Question& question : queue) {
            if (question.key == key) {
                question.requests << request;
                return;
            }
        }
    }
    queue.push_back({key, {request}, std::move(show), std::move(withdraw)});
    ShowNext();
}

template <class F>
std::function<void()> Withdrawer()
{
    return [] {
        if (platform::FormRegistry::IsLoaded<F>())
            platform::Forms<F>().Withdraw();
    };
}

QString Site(const QString& sOrigin)
{
    return ReadableText(sOrigin, kOriginChars);
}

QString PermissionKey(const QString& sOrigin, platform::PermissionRequest::Kind kind)
{
    return sOrigin + u'\n' + QString::number(int(kind));
}

QString CredentialsKey(const platform::SignInRequest& request)
{
    return (request.Proxy() ? QStringLiteral("proxy\n") : QStringLiteral("site\n")) + request.Origin() + u'\n'
           + request.Realm();
}
}  // namespace

QString PermissionCaption(const QString& sOrigin, platform::PermissionRequest::Kind kind)
{
    using K = platform::PermissionRequest;
    QString what;
    switch (kind) {
    case K::Geolocation: what = QStringLiteral("know your location"); break;
    case K::Camera: what = QStringLiteral("use your camera"); break;
    case K::Microphone: what = QStringLiteral("use your microphone"); break;
    case K::CameraAndMicrophone: what = QStringLiteral("use your camera and microphone"); break;
    case K::Notifications: what = QStringLiteral("show notifications"); break;
    case K::MouseLock: what = QStringLiteral("lock the mouse pointer"); break;
    case K::ScreenCapture: what = QStringLiteral("see your screen"); break;
    case K::ScreenAndAudioCapture: what = QStringLiteral("see your screen and hear its sound"); break;
    }
    return Site(sOrigin) + QStringLiteral(" wants to ") + what;
}

QString ReadableText(const QString& sText, int lMaxChars, bool bKeepLines)
{
    QString sResult;
    sResult.reserve(std::min<qsizetype>(sText.size(), lMaxChars + 1));
    qsizetype i = 0;
    for (; i < sText.size() && sResult.size() < lMaxChars; ++i) {
        const QChar c = sText[i];
        if (bKeepLines && c == u'\n')
            sResult += c;
        else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            sResult += u' ';
        else
            sResult += c;
    }
    if (i < sText.size()) {
        // Never half of a character written with two code units.
        if (!sResult.isEmpty() && sResult.back().isHighSurrogate())
            sResult.chop(1);
        sResult += kEllipsis;
    }
    return sResult;
}

void AskPermission(platform::PermissionRequest* Request)
{
    const QString key = PermissionKey(Request->Origin(), Request->What());
    const auto known = permissionAnswers.constFind(key);
    if (known != permissionAnswers.constEnd()) {
        *known ? Request->Grant() : Request->Deny();
        return;
    }
    const QString caption = PermissionCaption(Request->Origin(), Request->What());
    Enqueue(QStringLiteral("permission\n") + key, Request,
            [key, caption] {
                platform::Forms<frmAsk>().Ask(
                    caption, caption + QStringLiteral(".\n\nThe answer holds for this site until Skerrywind ends."),
                    QStringLiteral("Allow"), QStringLiteral("Deny"), [key](bool bYes) {
                        permissionAnswers.insert(key, bYes);
                        Answer<platform::PermissionRequest>(
                            [bYes](platform::PermissionRequest* r) { bYes ? r->Grant() : r->Deny(); });
                    });
            },
            Withdrawer<frmAsk>());
}

void AskCertificate(platform::CertificateRequest* Request)
{
    // Where the engine allows no exception, none is offered.
    if (!Request->Overridable()) {
        Request->Refuse();
        return;
    }
    const QString host = Request->Host();
    if (proceedHosts.contains(host)) {
        Request->Proceed();
        return;
    }
    const QString caption = QStringLiteral("Not secure: ") + Site(host);
    const QString prompt = QStringLiteral("The certificate of %1 is not trusted (%2). Someone may be posing as the "
                                          "site or reading what you send.\n\nGo on to %1 anyway, until Skerrywind ends?")
                               .arg(Site(host), Request->Problem());
    Enqueue(QStringLiteral("certificate\n") + host, Request,
            [host, caption, prompt] {
                platform::Forms<frmAsk>().Ask(caption, prompt, QStringLiteral("Proceed anyway"),
                                              QStringLiteral("Go back"), [host](bool bYes) {
                                                  if (bYes)
                                                      proceedHosts.insert(host);
                                                  Answer<platform::CertificateRequest>(
                                                      [bYes](platform::CertificateRequest* r) {
                                                          bYes ? r->Proceed() : r->Refuse();
                                                      });
                                              });
            },
            Withdrawer<frmAsk>());
}

void AskSignIn(platform::SignInRequest* Request)
{
    const QString key = CredentialsKey(*Request);
    // Refused: what was kept for it is wrong.
    if (Request->Refused())
        credentials.remove(key);
    const auto known = credentials.constFind(key);
    if (known != credentials.constEnd()) {
        Request->SignIn(known->user, known->password);
        return;
    }
    const QString caption = QStringLiteral("Sign in to ") + Site(Request->Origin());
    const QString realm = Request->Realm();
    const bool proxy = Request->Proxy();
    const bool refused = Request->Refused();
    const QString userName = Request->UserName();
    Enqueue(QStringLiteral("sign-in\n") + key, Request,
            [=] {
                platform::Forms<frmSignIn>().Ask(
                    caption, realm, proxy, refused, userName,
                    [key](bool bSignIn, const QString& sUserName, const QString& sPassword) {
                        if (bSignIn)
                            credentials.insert(key, {sUserName, sPassword});
                        Answer<platform::SignInRequest>([=](platform::SignInRequest* r) {
                            bSignIn ? r->SignIn(sUserName, sPassword) : r->Cancel();
                        });
                    });
            },
            Withdrawer<frmSignIn>());
}

void AskPageDialog(platform::PageDialogRequest* Request)
{
    const QString caption = Site(Request->Origin()) + QStringLiteral(" says");
    const auto kind = Request->What();
    const QString message = Request->Message();
    const QString defaultText = Request->DefaultText();
    // From a page's second dialog on, the user may stop them.
    const bool offerStop = Request->Number() >= 2;
    // Every dialog is its own question: none joins another.
    Enqueue(QString(), Request,
            [=] {
                platform::Forms<frmPageDialog>().Ask(
                    caption, kind, message, defaultText, offerStop,
                    [](frmPageDialog::Outcome outcome, const QString& sText) {
                        Answer<platform::PageDialogRequest>([=](platform::PageDialogRequest* r) {
                            if (outcome == frmPageDialog::pdOk)
                                r->Accept(sText);
                            else if (outcome == frmPageDialog::pdStop)
                                r->StopDialogs();
                            else
                                r->Cancel();
                        });
                    });
            },
            Withdrawer<frmPageDialog>());
}

void CloseAll()
{
    std::deque<Question> closing = std::exchange(queue, {});
    const bool wasShowing = std::exchange(showing, false);
    for (Question& question : closing) {
        for (const QPointer<PageRequest>& request : question.requests) {
            if (isOpen(request))
                request->Refuse();
        }
    }
    if (wasShowing && !closing.empty())
        closing.front().withdraw();
}

void ForgetAnswers()
{
    permissionAnswers.clear();
    credentials.clear();
    proceedHosts.clear();
}

}  // namespace MQuestions
