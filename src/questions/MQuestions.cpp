#include "questions/MQuestions.h"

#include "platform/forms/Forms.h"
#include "platform/system/ReadableText.h"
#include "questions/frmAsk.h"
#include "questions/frmPageDialog.h"
#include "questions/frmSignIn.h"
#include "shell/frmMain.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>
#include <utility>

namespace MQuestions {

namespace {
// The longest site name a caption shows.
constexpr int kOriginChars = 80;

using platform::PageRequest;

// Names one showing of a question: a window's answer carries the ticket of
// the question it was shown for, and counts only while that question shows.
using Ticket = quint64;

struct Question {
    // Requests with the same non-empty key ask the same thing and join.
    QString key;
    QList<QPointer<PageRequest>> requests;
    // The window the question is shown in: loaded on first use.
    std::function<QuestionWindow*()> window;
    // Puts the question in that window; its answer comes back with the ticket.
    std::function<void(QuestionWindow&, Ticket)> ask;
    // Set while the question shows.
    Ticket ticket = 0;
};

// The queue; its front is the question shown while `shownTicket` is set.
std::deque<Question> queue;
Ticket shownTicket = 0;
Ticket lastTicket = 0;
// The window that shows it.
QPointer<QuestionWindow> shownIn;
// A window is being loaded or given its question: its code lets events run,
// and no other question may start showing meanwhile.
bool bBuilding = false;
// The queue is tried again once the events now pending have run.
bool bRetryPosted = false;

// The answers of this run.
QHash<QString, bool> permissionAnswers;
struct Credentials {
    QString user;
    QString password;
};
QHash<QString, Credentials> credentials;
// "Proceed anyway": by origin, certificate and problem.
QSet<QString> certificateExceptions;

bool isOpen(const QPointer<PageRequest>& request)
{
    return request && request->IsOpen();
}

void ShowNext();

// A window of kind F that can show a question: loaded, and not on its way
// out. One that is being unloaded is never used again; the question waits
// for the next one.
template <class F>
QuestionWindow* UsableWindow()
{
    if (platform::FormRegistry::IsLoaded<F>() && platform::Forms<F>().Unloading())
        return nullptr;
    F& window = platform::Forms<F>();
    return window.Loaded() && !window.Unloading() ? &window : nullptr;
}

bool MainWindowUp()
{
    return platform::FormRegistry::IsLoaded<frmMain>() && !platform::Forms<frmMain>().Unloading();
}

// Tries the queue again once the events now pending (an unload that is
// running, say) have run.
void RetryLater()
{
    if (std::exchange(bRetryPosted, true))
        return;
    QTimer::singleShot(0, [] {
        bRetryPosted = false;
        ShowNext();
    });
}

// Refuses every request of the queue and takes the shown question off its
// window.
void RefuseAll()
{
    std::deque<Question> closing = std::exchange(queue, {});
    shownTicket = 0;
    if (QuestionWindow* window = std::exchange(shownIn, nullptr))
        window->Withdraw();
    for (Question& question : closing) {
        for (const QPointer<PageRequest>& request : question.requests) {
            if (isOpen(request))
                request->Refuse();
        }
    }
}

// Takes the question shown with `ticket` off the queue and off its window,
// refuses its requests, and tries the queue again later.
void DropShown(Ticket ticket, QuestionWindow* window)
{
    if (ticket == shownTicket) {
        shownTicket = 0;
        shownIn = nullptr;
    }
    if (window)
        window->Withdraw();
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (it->ticket != ticket)
            continue;
        const Question dropped = std::move(*it);
        queue.erase(it);
        for (const QPointer<PageRequest>& request : dropped.requests)
            if (isOpen(request))
                request->Refuse();
        break;
    }
    RetryLater();
}

// Shows the question at the front of the queue, unless one shows already.
void ShowNext()
{
    if (shownTicket != 0 || bBuilding)
        return;
    while (!queue.empty()) {
        Question& front = queue.front();
        front.requests.removeIf([](const QPointer<PageRequest>& r) { return !isOpen(r); });
        if (front.requests.isEmpty()) {
            queue.pop_front();
            continue;
        }
        // Without the main window nobody is there to answer.
        if (!MainWindowUp()) {
            RefuseAll();
            return;
        }
        const Ticket ticket = ++lastTicket;
        front.ticket = ticket;
        shownTicket = ticket;
        // Copies run: the window's code lets events run, which may answer,
        // withdraw or close what the queue holds.
        const auto window = front.window;
        const auto ask = front.ask;
        QPointer<QuestionWindow> box;
        bBuilding = true;
        try {
            box = window();
            if (box && shownTicket == ticket) {
                shownIn = box;
                ask(*box, ticket);
            }
        } catch (...) {
            // A question that cannot be shown is refused, and the queue
            // goes on without it.
            bBuilding = false;
            DropShown(ticket, box);
            throw;
        }
        bBuilding = false;
        if (shownTicket == ticket && box && box->Loaded() && !box->Unloading())
            return;
        if (shownTicket == ticket) {
            // No window could take it (the one there was unloading): it
            // waits at the front until one can.
            shownTicket = 0;
            shownIn = nullptr;
            for (Question& question : queue)
                if (question.ticket == ticket)
                    question.ticket = 0;
            if (box)
                box->Withdraw();
            RetryLater();
            return;
        }
        // The question went while its window was being made or given it: the
        // window shows nothing that is gone.
        if (box)
            box->Withdraw();
    }
}

// The question shown with `ticket`, taken off the queue; nothing when that
// question is no longer shown (the answer comes too late, or from a window
// that showed another question).
std::optional<Question> TakeShown(Ticket ticket)
{
    if (ticket == 0 || ticket != shownTicket || queue.empty() || queue.front().ticket != ticket)
        return std::nullopt;
    Question shown = std::move(queue.front());
    queue.pop_front();
    shownTicket = 0;
    shownIn = nullptr;
    return shown;
}

// Answers each open request of the question that is a Request, and goes on
// to the next question.
template <class Request>
void AnswerEach(const Question& question, const std::function<void(Request*)>& answer)
{
    for (const QPointer<PageRequest>& request : question.requests) {
        if (!isOpen(request))
            continue;
        if (auto* r = qobject_cast<Request*>(request.data()))
            answer(r);
    }
    ShowNext();
}

// A request was withdrawn: questions left without an open request go, and a
// window showing one is emptied.
void Prune()
{
    // The window is emptied once the queue is in order: hiding it may let
    // events run, which may change the queue again.
    QPointer<QuestionWindow> emptied;
    for (auto it = queue.begin(); it != queue.end();) {
        it->requests.removeIf([](const QPointer<PageRequest>& r) { return !isOpen(r); });
        if (!it->requests.isEmpty()) {
            ++it;
            continue;
        }
        if (it->ticket != 0 && it->ticket == shownTicket) {
            shownTicket = 0;
            emptied = std::exchange(shownIn, nullptr);
        }
        it = queue.erase(it);
    }
    if (emptied)
        emptied->Withdraw();
    ShowNext();
}

void Enqueue(const QString& key, PageRequest* request, std::function<QuestionWindow*()> window,
             std::function<void(QuestionWindow&, Ticket)> ask)
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
    queue.push_back({key, {request}, std::move(window), std::move(ask)});
    ShowNext();
}

QString Site(const QString& sOrigin)
{
    return platform::ReadableText(platform::SiteText(sOrigin), kOriginChars);
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

QString CertificateKey(const platform::CertificateRequest& request)
{
    return request.Origin() + u'\n' + request.Fingerprint() + u'\n' + request.Problem();
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

void AskPermission(platform::PermissionRequest* Request)
{
    const QString key = PermissionKey(Request->Origin(), Request->What());
    const auto known = permissionAnswers.constFind(key);
    if (known != permissionAnswers.constEnd()) {
        *known ? Request->Grant() : Request->Deny();
        return;
    }
    const QString caption = PermissionCaption(Request->Origin(), Request->What());
    Enqueue(QStringLiteral("permission\n") + key, Request, UsableWindow<frmAsk>,
            [key, caption](QuestionWindow& window, Ticket ticket) {
                static_cast<frmAsk&>(window).Ask(
                    caption, caption + QStringLiteral(".\n\nThe answer holds for this site until Skerrywind ends."),
                    QStringLiteral("Allow"), QStringLiteral("Deny"), [key, ticket](bool bYes) {
                        const std::optional<Question> question = TakeShown(ticket);
                        if (!question)
                            return;
                        permissionAnswers.insert(key, bYes);
                        AnswerEach<platform::PermissionRequest>(
                            *question, [bYes](platform::PermissionRequest* r) { bYes ? r->Grant() : r->Deny(); });
                    });
            });
}

void AskCertificate(platform::CertificateRequest* Request)
{
    // Where the engine allows no exception, none is offered.
    if (!Request->Overridable()) {
        Request->Refuse();
        return;
    }
    const QString key = CertificateKey(*Request);
    if (certificateExceptions.contains(key)) {
        Request->Proceed();
        return;
    }
    // Without the certificate's digest the exception could not tell it from
    // another: it holds for this answer only.
    const bool bKeep = !Request->Fingerprint().isEmpty();
    const QString site = Site(Request->Origin());
    const QString caption = QStringLiteral("Not secure: ") + site;
    const QString prompt = QStringLiteral("The certificate of %1 is not trusted (%2). Someone may be posing as the "
                                          "site or reading what you send.\n\nGo on to %1 anyway, with this "
                                          "certificate, until Skerrywind ends?")
                               .arg(site, Request->Problem());
    Enqueue(QStringLiteral("certificate\n") + key, Request, UsableWindow<frmAsk>,
            [key, bKeep, caption, prompt](QuestionWindow& window, Ticket ticket) {
                static_cast<frmAsk&>(window).Ask(
                    caption, prompt, QStringLiteral("Proceed anyway"), QStringLiteral("Go back"),
                    [key, bKeep, ticket](bool bYes) {
                        const std::optional<Question> question = TakeShown(ticket);
                        if (!question)
                            return;
                        if (bYes && bKeep)
                            certificateExceptions.insert(key);
                        AnswerEach<platform::CertificateRequest>(
                            *question, [bYes](platform::CertificateRequest* r) { bYes ? r->Proceed() : r->Refuse(); });
                    });
            });
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
    Enqueue(QStringLiteral("sign-in\n") + key, Request, UsableWindow<frmSignIn>,
            [=](QuestionWindow& window, Ticket ticket) {
                static_cast<frmSignIn&>(window).Ask(
                    caption, realm, proxy, refused, userName,
                    [key, ticket](bool bSignIn, const QString& sUserName, const QString& sPassword) {
                        const std::optional<Question> question = TakeShown(ticket);
                        if (!question)
                            return;
                        if (bSignIn)
                            credentials.insert(key, {sUserName, sPassword});
                        AnswerEach<platform::SignInRequest>(*question, [=](platform::SignInRequest* r) {
                            bSignIn ? r->SignIn(sUserName, sPassword) : r->Cancel();
                        });
                    });
            });
}

void AskPageDialog(platform::PageDialogRequest* Request)
{
    const auto kind = Request->What();
    const QString caption = kind == platform::PageDialogRequest::Leave
                                ? QStringLiteral("Leave ") + Site(Request->Origin()) + u'?'
                                : Site(Request->Origin()) + QStringLiteral(" says");
    const QString message = Request->Message();
    const QString defaultText = Request->DefaultText();
    // From a page's second dialog on, the user may stop them.
    const bool offerStop = Request->Number() >= 2;
    // Every dialog is its own question: none joins another.
    Enqueue(QString(), Request, UsableWindow<frmPageDialog>, [=](QuestionWindow& window, Ticket ticket) {
        static_cast<frmPageDialog&>(window).Ask(caption, kind, message, defaultText, offerStop,
                                                [ticket](frmPageDialog::Outcome outcome, const QString& sText) {
                                                    const std::optional<Question> question = TakeShown(ticket);
                                                    if (!question)
                                                        return;
                                                    AnswerEach<platform::PageDialogRequest>(
                                                        *question, [=](platform::PageDialogRequest* r) {
                                                            if (outcome == frmPageDialog::pdOk)
                                                                r->Accept(sText);
                                                            else if (outcome == frmPageDialog::pdStop)
                                                                r->StopDialogs();
                                                            else
                                                                r->Cancel();
                                                        });
                                                });
    });
}

void CloseAll()
{
    RefuseAll();
}

void ForgetAnswers()
{
    permissionAnswers.clear();
    credentials.clear();
    certificateExceptions.clear();
}

}  // namespace MQuestions
