// The questions pages ask, raised by a recording browser: what each window
// shows, the answers and for whom they hold, one window at a time however
// often a page asks, and requests withdrawn or windows closed at any moment
// of their showing.
#include "Dialogs.h"
#include "FormsTest.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/system/CodeDepth.h"
#include "platform/system/ReadableText.h"
#include "platform/system/Runtime.h"
#include "questions/MQuestions.h"
#include "questions/frmAsk.h"
#include "questions/frmPageDialog.h"
#include "questions/frmSignIn.h"
#include "shell/frmMain.h"

#include <QPointer>
#include <QSignalSpy>

using platform::BrowserHost;
using platform::PermissionRequest;
using skwtest::RecordingBrowser;
using skwtest::Shown;
using K = PermissionRequest;

namespace {
const QString kSite = QStringLiteral("https://127.0.0.1:8123");
const QString kOtherSite = QStringLiteral("https://example.org:443");
// How captions name them.
const QString kSiteShown = QStringLiteral("127.0.0.1:8123");
const QString kOtherSiteShown = QStringLiteral("example.org");
const QString kFingerprint = QStringLiteral("5f3a");

RecordingBrowser* browser()
{
    return RecordingBrowser::Last();
}

PermissionRequest* askPermission(const QString& site, PermissionRequest::Kind kind)
{
    return browser()->RaiseRequest(&BrowserHost::PermissionRequested, site, kind);
}

platform::SignInRequest* askSignIn(const QString& realm, bool refused = false, const QString& user = QString())
{
    return browser()->RaiseRequest(&BrowserHost::SignInRequested, kSite, realm, false, refused, user);
}

platform::CertificateRequest* askCertificate(bool overridable, const QString& origin = kSite,
                                             const QString& fingerprint = kFingerprint,
                                             const QString& problem = QStringLiteral("revoked"))
{
    return browser()->RaiseRequest(&BrowserHost::CertificateProblem, origin, QStringLiteral("127.0.0.1"), problem,
                                   overridable, fingerprint);
}

// A key pressed in the window, where it goes: to its focused control.
void press(platform::Form& form, int key)
{
    QTest::keyClick(form.focusWidget() ? form.focusWidget() : &form, Qt::Key(key));
}

enum How { ClickYes, ClickNo, Return, Escape, WindowManagerClose, UnloadWindow, Withdrawal };
void answer(frmAsk& box, How how)
{
    switch (how) {
    case ClickYes: skwtest::Click(box.cmdYes); break;
    case ClickNo: skwtest::Click(box.cmdNo); break;
    case Return: press(box, Qt::Key_Return); break;
    case Escape: press(box, Qt::Key_Escape); break;
    case WindowManagerClose: box.close(); break;
    case UnloadWindow: box.Unload(); break;
    case Withdrawal: break;
    }
}

int visibleQuestionWindows()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.begin(), windows.end(),
                             [](QWidget* w) { return w->isVisible() && qobject_cast<QuestionWindow*>(w); }));
}

// Every Answered() of a request, counted.
struct Answers {
    QList<std::shared_ptr<QSignalSpy>> spies;
    void watch(platform::PageRequest* request)
    {
        spies << std::make_shared<QSignalSpy>(request, &platform::PageRequest::Answered);
    }
    int of(int i) const { return int(spies[i]->count()); }
};

// The kinds of question the sweeps raise, each in its window.
enum Asked { Certificate, Permission, SignIn, PageDialog };
platform::PageRequest* ask(Asked what)
{
    switch (what) {
    case Certificate: return askCertificate(true);
    case Permission: return askPermission(kOtherSite, K::Camera);
    case SignIn: return askSignIn(QStringLiteral("Staff"));
    case PageDialog:
        return browser()->RaiseRequest(&BrowserHost::PageDialog, kSite, platform::PageDialogRequest::Confirm,
                                       QStringLiteral("Sure?"), QString(), 1);
    }
    return nullptr;
}
// The window a question of that kind shows in, when it shows one.
QuestionWindow* shownWindowOf(Asked what)
{
    QuestionWindow* window = nullptr;
    if (what == Certificate || what == Permission)
        window = skwtest::Loaded<frmAsk>();
    else if (what == SignIn)
        window = skwtest::Loaded<frmSignIn>();
    else
        window = skwtest::Loaded<frmPageDialog>();
    return window && window->Visible() && window->Loaded() && !window->Unloading() ? window : nullptr;
}
QString captionOf(Asked what)
{
    switch (what) {
    case Certificate: return "Not secure: " + kSiteShown;
    case Permission: return kOtherSiteShown + " wants to use your camera";
    case SignIn: return "Sign in to " + kSiteShown;
    case PageDialog: return kSiteShown + " says";
    }
    return QString();
}
// Gives the question shown its yes (Proceed, Allow, Sign in, OK).
void sayYes(Asked what)
{
    QuestionWindow* window = shownWindowOf(what);
    if (auto* box = qobject_cast<frmAsk*>(window))
        skwtest::Click(box->cmdYes);
    else if (auto* signIn = qobject_cast<frmSignIn*>(window))
        skwtest::Click(signIn->cmdOk);
    else if (auto* dialog = qobject_cast<frmPageDialog*>(window))
        skwtest::Click(dialog->cmdOk);
}
bool saidYes(Asked what, platform::PageRequest* request)
{
    switch (what) {
    case Certificate: return static_cast<platform::CertificateRequest*>(request)->Proceeding();
    case Permission: return static_cast<PermissionRequest*>(request)->Granted();
    case SignIn: return static_cast<platform::SignInRequest*>(request)->SignedIn();
    case PageDialog: return static_cast<platform::PageDialogRequest*>(request)->Accepted();
    }
    return false;
}
}  // namespace

Q_DECLARE_METATYPE(PermissionRequest::Kind)
Q_DECLARE_METATYPE(How)
Q_DECLARE_METATYPE(Asked)

class TestMQuestions : public skwtest::FormsTest {
    Q_OBJECT

public:
    TestMQuestions() : FormsTest(Browser::Recording, MessageBoxes::AreFaults) {}

private slots:
    void init()
    {
        FormsTest::init();
        MQuestions::ForgetAnswers();
        platform::Forms<frmMain>().Show();
    }
    void cleanup()
    {
        platform::SetNestedLoopHook({});
        FormsTest::cleanup();
    }

    void readableText_data()
    {
        skwtest::AddColumns<QString, int, bool, QString>("text", "maxChars", "keepLines", "expected");

        QTest::newRow("empty") << "" << 20 << false << "";
        QTest::newRow("cut with an ellipsis") << "abcdef" << 5 << false << "abcde\u2026";
        QTest::newRow("control characters") << "a\tb\x01"
                                               "c\x1b[31m\x7f"
                                            << 20 << false << "a b c [31m ";
        QTest::newRow("line breaks flattened") << "one\r\ntwo\u2028three" << 20 << false << "one  two three";
        QTest::newRow("line breaks kept") << "one\ntwo\r" << 20 << true << "one\ntwo ";
        QTest::newRow("no half of a surrogate pair") << "ab\U0001F600c" << 3 << false << "ab\u2026";
    }
    void readableText()
    {
        QFETCH(QString, text);
        QFETCH(int, maxChars);
        QFETCH(bool, keepLines);
        QFETCH(QString, expected);
        QCOMPARE(platform::ReadableText(text, maxChars, keepLines), expected);
    }

    // Each kind of permission: its question, the answer, and the answer
    // holding for that site and kind (and only those) for the run.
    void permission_data()
    {
        skwtest::AddColumns<PermissionRequest::Kind, How, QString, bool>("kind", "how", "caption", "granted");

        const QString site = kSiteShown;
        QTest::newRow("notifications, allowed")
            << K::Notifications << ClickYes << site + " wants to show notifications" << true;
        QTest::newRow("location, denied")
            << K::Geolocation << ClickNo << site + " wants to know your location" << false;
        QTest::newRow("camera, Return denies") << K::Camera << Return << site + " wants to use your camera" << false;
        QTest::newRow("microphone, Escape denies")
            << K::Microphone << Escape << site + " wants to use your microphone" << false;
        QTest::newRow("camera and microphone, allowed")
            << K::CameraAndMicrophone << ClickYes << site + " wants to use your camera and microphone" << true;
        QTest::newRow("mouse lock, allowed")
            << K::MouseLock << ClickYes << site + " wants to lock the mouse pointer" << true;
        QTest::newRow("screen, the window manager's close denies")
            << K::ScreenCapture << WindowManagerClose << site + " wants to see your screen" << false;
        QTest::newRow("screen and sound, allowed")
            << K::ScreenAndAudioCapture << ClickYes << site + " wants to see your screen and hear its sound" << true;
    }
    void permission()
    {
        QFETCH(PermissionRequest::Kind, kind);
        QFETCH(How, how);
        QFETCH(QString, caption);
        QFETCH(bool, granted);

        QPointer<PermissionRequest> first = askPermission(kSite, kind);
        QVERIFY(Shown<frmAsk>());
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), caption);
        QCOMPARE(box.cmdYes->Caption(), QStringLiteral("Allow"));
        QCOMPARE(box.cmdNo->Caption(), QStringLiteral("Deny"));
        QVERIFY(first->IsOpen());
        answer(box, how);
        QVERIFY(!Shown<frmAsk>());
        QVERIFY(box.Loaded());
        QVERIFY(first->IsAnswered());
        QCOMPARE(first->Granted(), granted);

        // Asked again by the same site: the same answer, without a window.
        PermissionRequest* again = askPermission(kSite, kind);
        QVERIFY(!Shown<frmAsk>());
        QVERIFY(again->IsAnswered());
        QCOMPARE(again->Granted(), granted);
        // Another site, or another kind, is asked anew.
        askPermission(kOtherSite, kind);
        QVERIFY(Shown<frmAsk>());
        answer(box, Escape);
        askPermission(kSite, kind == K::Camera ? K::Microphone : K::Camera);
        QVERIFY(Shown<frmAsk>());
        answer(box, Escape);
    }
    // A page asking in a loop joins the open question; different questions
    // wait their turn; a withdrawn request takes its window away.
    void runawayAndQueue()
    {
        QList<QPointer<PermissionRequest>> loop;
        for (int i = 0; i < 100; ++i)
            loop << askPermission(kSite, K::Notifications);
        QPointer<PermissionRequest> camera = askPermission(kSite, K::Camera);
        QPointer<PermissionRequest> withdrawn = askPermission(kOtherSite, K::Geolocation);
        QPointer<PermissionRequest> last = askPermission(kOtherSite, K::Microphone);
        QCOMPARE(visibleQuestionWindows(), 1);
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), kSiteShown + " wants to show notifications");

        withdrawn->Withdraw();
        skwtest::Click(box.cmdYes);
        for (const auto& request : loop)
            QVERIFY(request->Granted());
        QCOMPARE(box.Caption(), kSiteShown + " wants to use your camera");
        QVERIFY(camera->IsOpen());

        // The page goes away while its question is open: the window closes
        // and the next question shows.
        delete camera.data();
        QVERIFY(Shown<frmAsk>());
        QCOMPARE(box.Caption(), kOtherSiteShown + " wants to use your microphone");
        last->Withdraw();
        QVERIFY(!Shown<frmAsk>());

        // A request that comes after the main window was unloaded, while it
        // waits to be destroyed, is refused at once: nobody would answer it.
        platform::CodeScope running;
        RecordingBrowser* browser = RecordingBrowser::Last();
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QPointer<PermissionRequest> late = browser->RaiseRequest(&BrowserHost::PermissionRequested, kSite, K::Camera);
        QVERIFY(late && late->IsAnswered() && !late->Granted());
    }

    void signIn_data()
    {
        skwtest::AddColumns<QString, QString, bool>("realm", "realmLine", "signIn");

        // clang-format off
        QTest::newRow("signed in") << "Staff area" << "The site says: \u201CStaff area\u201D" << true;
        QTest::newRow("cancelled") << "Staff area" << "The site says: \u201CStaff area\u201D" << false;
        QTest::newRow("empty realm") << "" << "The site asks for a user name and a password." << true;
        QTest::newRow("100,000 characters with control characters")
            << "\x1b[2J" + QString(100000, u'r') << "The site says: \u201C [2J" + QString(116, u'r') + "\u2026\u201D" << false;
        // clang-format on
    }
    void signIn()
    {
        QFETCH(QString, realm);
        QFETCH(QString, realmLine);
        QFETCH(bool, signIn);

        QPointer<platform::SignInRequest> first = askSignIn(realm);
        QVERIFY(Shown<frmSignIn>());
        frmSignIn& box = platform::Forms<frmSignIn>();
        QCOMPARE(box.Caption(), "Sign in to " + kSiteShown);
        QCOMPARE(box.lblRealm->Caption(), realmLine);
        QVERIFY(box.lblRefused->isHidden());
        QCOMPARE(box.txtUserName->Text(), QString());
        QCOMPARE(box.focusWidget(), box.txtUserName->TextBox_hWnd());
        QCOMPARE(qobject_cast<QLineEdit*>(box.txtPassword->TextBox_hWnd())->echoMode(), QLineEdit::Password);
        box.txtUserName->SetText("ann");
        box.txtPassword->SetText("secret");
        press(box, signIn ? Qt::Key_Return : Qt::Key_Escape);
        QVERIFY(!Shown<frmSignIn>());
        QCOMPARE(first->SignedIn(), signIn);
        QCOMPARE(first->Password(), signIn ? "secret" : "");
        QCOMPARE(box.txtPassword->Text(), QString());

        // The next page of the same realm: signed in from memory, or asked
        // again after a cancel.
        QPointer<platform::SignInRequest> second = askSignIn(realm);
        QCOMPARE(Shown<frmSignIn>(), !signIn);
        if (!signIn) {
            skwtest::Click(box.cmdCancel);
            QVERIFY(!second->SignedIn());
            return;
        }
        QVERIFY(second->SignedIn());
        QCOMPARE(second->Password(), "secret");

        // Refused by the server: the kept credentials are forgotten.
        askSignIn(realm, true, "ann");
        QVERIFY(Shown<frmSignIn>());
        QVERIFY(!box.lblRefused->isHidden());
        skwtest::Click(box.cmdCancel);
    }

    void certificate_data()
    {
        skwtest::AddColumns<bool, How, bool>("overridable", "how", "proceeding");

        QTest::newRow("not overridable: no question") << false << ClickYes << false;
        QTest::newRow("go back") << true << ClickNo << false;
        QTest::newRow("Return goes back") << true << Return << false;
        QTest::newRow("Escape goes back") << true << Escape << false;
        QTest::newRow("proceed anyway") << true << ClickYes << true;
    }
    void certificate()
    {
        QFETCH(bool, overridable);
        QFETCH(How, how);
        QFETCH(bool, proceeding);

        QPointer<platform::CertificateRequest> request = askCertificate(overridable);
        QCOMPARE(Shown<frmAsk>(), overridable);
        if (overridable) {
            frmAsk& box = platform::Forms<frmAsk>();
            QCOMPARE(box.Caption(), "Not secure: " + kSiteShown);
            QVERIFY(box.lblPrompt->Caption().contains("not trusted (revoked)"));
            QCOMPARE(box.cmdYes->Caption(), QStringLiteral("Proceed anyway"));
            answer(box, how);
        }
        QVERIFY(request->IsAnswered());
        QCOMPARE(request->Proceeding(), proceeding);

        // The exception holds for that origin and certificate; a refusal
        // holds nothing.
        QPointer<platform::CertificateRequest> again = askCertificate(overridable);
        QCOMPARE(Shown<frmAsk>(), overridable && !proceeding);
        QCOMPARE(again->Proceeding(), proceeding);
        if (Shown<frmAsk>())
            answer(platform::Forms<frmAsk>(), Escape);
    }

    // What the user gave one origin (a permission, a password, a
    // certificate exception) and which later requests it answers: only those
    // of the same origin (scheme, host and port) and the same question.
    void answerHoldsOnlyForItsOwn_data()
    {
        skwtest::AddColumns<Asked, QString>("what", "origin");
        QTest::addColumn<QString>("detail");  // the realm, or the certificate's fingerprint and problem
        QTest::addColumn<bool>("kept");

        const QString plain = QStringLiteral("http://127.0.0.1:8123");
        const QString otherPort = QStringLiteral("https://127.0.0.1:8443");
        // clang-format off
        QTest::newRow("permission, same origin") << Permission << kSite << "" << true;
        QTest::newRow("permission, plain http") << Permission << plain << "" << false;
        QTest::newRow("permission, other port") << Permission << otherPort << "" << false;
        QTest::newRow("sign-in, same origin and realm") << SignIn << kSite << "Staff" << true;
        QTest::newRow("sign-in, plain http") << SignIn << plain << "Staff" << false;
        QTest::newRow("sign-in, other port") << SignIn << otherPort << "Staff" << false;
        QTest::newRow("sign-in, realm in other letter case") << SignIn << kSite << "staff" << false;
        QTest::newRow("sign-in, realm with a control character") << SignIn << kSite << "Sta\x01" "ff" << false;
        QTest::newRow("sign-in, a proxy of that name") << SignIn << "127.0.0.1:8123" << "Staff" << false;
        QTest::newRow("certificate, same") << Certificate << kSite << kFingerprint + "|revoked" << true;
        QTest::newRow("certificate, other certificate") << Certificate << kSite << "77e0|revoked" << false;
        QTest::newRow("certificate, other port") << Certificate << otherPort << kFingerprint + "|revoked" << false;
        QTest::newRow("certificate, other problem") << Certificate << kSite << kFingerprint + "|expired" << false;
        QTest::newRow("certificate, none named") << Certificate << kSite << "|revoked" << false;
        // clang-format on
    }
    void answerHoldsOnlyForItsOwn()
    {
        QFETCH(Asked, what);
        QFETCH(QString, origin);
        QFETCH(QString, detail);
        QFETCH(bool, kept);
        const QString fingerprint = detail.section(u'|', 0, 0);
        const QString problem = detail.section(u'|', 1);
        const auto raise = [&](const QString& from, const QString& realm, const QString& print,
                               const QString& trouble) {
            if (what == Permission)
                return static_cast<platform::PageRequest*>(askPermission(from, K::Camera));
            if (what == SignIn)
                return static_cast<platform::PageRequest*>(browser()->RaiseRequest(
                    &BrowserHost::SignInRequested, from, realm, !from.contains(u'/'), false, QString()));
            return static_cast<platform::PageRequest*>(askCertificate(true, from, print, trouble));
        };
        // The first is answered yes; a certificate without a digest, as the
        // later one asks.
        const bool noneNamed = what == Certificate && fingerprint.isEmpty();
        QPointer<platform::PageRequest> first = raise(kSite, "Staff", noneNamed ? QString() : kFingerprint, "revoked");
        QVERIFY(visibleQuestionWindows() == 1);
        if (what == SignIn) {
            platform::Forms<frmSignIn>().txtUserName->SetText("ann");
            platform::Forms<frmSignIn>().txtPassword->SetText("secret");
            skwtest::Click(platform::Forms<frmSignIn>().cmdOk);
        } else {
            skwtest::Click(platform::Forms<frmAsk>().cmdYes);
        }
        QVERIFY(first->IsAnswered());

        QPointer<platform::PageRequest> later = raise(origin, detail, fingerprint, problem);
        QCOMPARE(later->IsAnswered(), kept);
        QCOMPARE(visibleQuestionWindows(), kept ? 0 : 1);
        if (kept) {
            QVERIFY(saidYes(what, later));
            if (what == SignIn)
                QCOMPARE(static_cast<platform::SignInRequest*>(later.data())->Password(), "secret");
        }
    }

    // A shown question closed in each way, with another question waiting
    // behind it (one for the same window, or for another): its request gets
    // the refusal once (a withdrawn one nothing), and the next question
    // shows in a window that is loaded and stays so; its answer reaches its
    // own request only.
    void closedWithAnotherWaiting_data()
    {
        skwtest::AddColumns<How, Asked>("how", "next");
        for (const auto& [name, how] : {std::pair{"No", ClickNo},
                                        {"Escape", Escape},
                                        {"the window manager's close", WindowManagerClose},
                                        {"the window's unload", UnloadWindow},
                                        {"withdrawal", Withdrawal}}) {
            QTest::addRow("%s, the same window next", name) << how << Permission;
            QTest::addRow("%s, another window next", name) << how << SignIn;
        }
    }
    void closedWithAnotherWaiting()
    {
        QFETCH(How, how);
        QFETCH(Asked, next);
        Answers answers;
        QPointer<platform::PageRequest> first = ask(Certificate);
        answers.watch(first);
        QPointer<platform::PageRequest> second = ask(next);
        answers.watch(second);
        QPointer<frmAsk> box = &platform::Forms<frmAsk>();
        QCOMPARE(box->Caption(), captionOf(Certificate));

        if (how == Withdrawal)
            first->Withdraw();
        else
            answer(*box, how);
        // A window on its way out is not used: the next one comes once the
        // unload is over.
        QTRY_VERIFY(shownWindowOf(next));
        QCOMPARE(shownWindowOf(next)->Caption(), captionOf(next));
        QCOMPARE(visibleQuestionWindows(), 1);
        QCOMPARE(answers.of(0), how == Withdrawal ? 0 : 1);
        QVERIFY(!saidYes(Certificate, first));
        QCOMPARE(answers.of(1), 0);

        sayYes(next);
        QCOMPARE(answers.of(0), how == Withdrawal ? 0 : 1);
        QCOMPARE(answers.of(1), 1);
        QVERIFY(saidYes(next, second));
        QCOMPARE(visibleQuestionWindows(), 0);
    }

    // The first question's request is withdrawn at each moment at which
    // showing it lets events run (while its window is being made), and a
    // second request comes then: no window shows the first, the second
    // shows in its loaded window, and its answer reaches it alone (for the
    // same window too, where the first's answer would have gone to the
    // second).
    void withdrawnWhileShown_data()
    {
        skwtest::AddColumns<Asked, Asked>("first", "second");
        QTest::newRow("certificate, then a permission") << Certificate << Permission;
        QTest::newRow("permission, then a certificate") << Permission << Certificate;
        QTest::newRow("sign-in, then a dialog") << SignIn << PageDialog;
        QTest::newRow("dialog, then a sign-in") << PageDialog << SignIn;
    }
    void withdrawnWhileShown()
    {
        QFETCH(Asked, first);
        QFETCH(Asked, second);
        const auto prepare = [&] {
            MQuestions::ForgetAnswers();
            skwtest::UnloadForms<frmAsk, frmSignIn, frmPageDialog>();
        };
        // The moments: every nested loop while the first is shown.
        prepare();
        int moments = 0;
        platform::SetNestedLoopHook([&] { ++moments; });
        QPointer<platform::PageRequest> counted = ask(first);
        platform::SetNestedLoopHook({});
        QVERIFY(counted && shownWindowOf(first));
        QVERIFY2(moments > 0, "showing the question let no events run");
        counted->Withdraw();

        for (int moment = 1; moment <= moments; ++moment) {
            prepare();
            Answers answers;
            QPointer<platform::PageRequest> withdrawn;
            QPointer<platform::PageRequest> later;
            int loop = 0;
            platform::SetNestedLoopHook([&] {
                if (++loop != moment)
                    return;
                for (platform::PageRequest* request : browser()->findChildren<platform::PageRequest*>()) {
                    if (request->IsOpen()) {
                        withdrawn = request;
                        answers.watch(request);
                        request->Withdraw();
                    }
                }
                later = ask(second);
                answers.watch(later);
            });
            ask(first);
            platform::SetNestedLoopHook({});
            QVERIFY2(withdrawn, qPrintable(QStringLiteral("moment %1 found no open request").arg(moment)));
            QVERIFY2(later, qPrintable(QStringLiteral("moment %1 never came").arg(moment)));
            QTRY_VERIFY2(shownWindowOf(second), qPrintable(QStringLiteral("moment %1").arg(moment)));
            QCOMPARE(shownWindowOf(second)->Caption(), captionOf(second));
            QCOMPARE(visibleQuestionWindows(), 1);
            sayYes(second);
            QCOMPARE(answers.of(0), 0);
            QCOMPARE(answers.of(1), 1);
            QVERIFY(saidYes(second, later));
            QCOMPARE(visibleQuestionWindows(), 0);
        }
    }
};

SKERRYWIND_TEST_MAIN(TestMQuestions)
#include "test_MQuestions.moc"
