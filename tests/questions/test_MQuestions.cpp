// The questions pages ask, raised by a recording browser: what each window
// shows, the answers and how long they hold, one window at a time however
// often a page asks, and requests withdrawn while asked.
#include "Dialogs.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/system/Runtime.h"
#include "questions/MQuestions.h"
#include "questions/frmAsk.h"
#include "questions/frmSignIn.h"
#include "shell/frmMain.h"

#include <QPointer>

using platform::BrowserHost;
using platform::PermissionRequest;
using skwtest::RecordingBrowser;
using K = PermissionRequest;

namespace {
const QString kSite = QStringLiteral("127.0.0.1:8123");
const QString kOtherSite = QStringLiteral("example.org");

template <class F>
bool shown()
{
    return platform::FormRegistry::IsLoaded<F>() && platform::Forms<F>().Visible();
}

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

platform::CertificateRequest* askCertificate(bool overridable, const QString& host = QStringLiteral("127.0.0.1"))
{
    return browser()->RaiseRequest(&BrowserHost::CertificateProblem, host, host, QStringLiteral("revoked"),
                                   overridable);
}

// A key pressed in the window, where it goes: to its focused control.
void press(platform::Form& form, int key)
{
    QTest::keyClick(form.focusWidget() ? form.focusWidget() : &form, Qt::Key(key));
}

enum How { ClickYes, ClickNo, Return, Escape };
void answer(frmAsk& box, How how)
{
    switch (how) {
    case ClickYes: skwtest::Click(box.cmdYes); break;
    case ClickNo: skwtest::Click(box.cmdNo); break;
    case Return: press(box, Qt::Key_Return); break;
    case Escape: press(box, Qt::Key_Escape); break;
    }
}
}  // namespace

Q_DECLARE_METATYPE(PermissionRequest::Kind)
Q_DECLARE_METATYPE(How)

class TestMQuestions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RecordingBrowser::Install();
        platform::SetTwipsPerPixelOverride(15);
        platform::FormRegistry::SetLastFormAction([] {});
    }
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        MQuestions::ForgetAnswers();
        platform::SetCommandLineArguments({});
        platform::Forms<frmMain>().Show();
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(skwtest::Boxes().empty());
    }

    void readableText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxChars");
        QTest::addColumn<bool>("keepLines");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty") << "" << 20 << false << "";
        QTest::newRow("cut with an ellipsis") << "abcdef" << 5 << false << "abcde\u2026";
        QTest::newRow("control characters") << "a\tb\x01" "c\x1b[31m\x7f" << 20 << false << "a b c [31m ";
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
        QCOMPARE(MQuestions::ReadableText(text, maxChars, keepLines), expected);
    }

    // Each kind of permission: its question, the answer, and the answer
    // holding for that site and kind (and only those) for the run.
    void permission_data()
    {
        QTest::addColumn<PermissionRequest::Kind>("kind");
        QTest::addColumn<How>("how");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("granted");

        QTest::newRow("notifications, allowed") << K::Notifications << ClickYes << kSite + " wants to show notifications" << true;
        QTest::newRow("location, denied") << K::Geolocation << ClickNo << kSite + " wants to know your location" << false;
        QTest::newRow("camera, Return denies") << K::Camera << Return << kSite + " wants to use your camera" << false;
        QTest::newRow("microphone, Escape denies") << K::Microphone << Escape << kSite + " wants to use your microphone" << false;
        QTest::newRow("camera and microphone, allowed")
            << K::CameraAndMicrophone << ClickYes << kSite + " wants to use your camera and microphone" << true;
        QTest::newRow("mouse lock, allowed") << K::MouseLock << ClickYes << kSite + " wants to lock the mouse pointer" << true;
        QTest::newRow("screen, denied") << K::ScreenCapture << ClickNo << kSite + " wants to see your screen" << false;
        QTest::newRow("screen and sound, allowed")
            << K::ScreenAndAudioCapture << ClickYes << kSite + " wants to see your screen and hear its sound" << true;
    }
    void permission()
    {
        QFETCH(PermissionRequest::Kind, kind);
        QFETCH(How, how);
        QFETCH(QString, caption);
        QFETCH(bool, granted);

        QPointer<PermissionRequest> first = askPermission(kSite, kind);
        QVERIFY(shown<frmAsk>());
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), caption);
        QCOMPARE(box.cmdYes->Caption(), QStringLiteral("Allow"));
        QCOMPARE(box.cmdNo->Caption(), QStringLiteral("Deny"));
        QVERIFY(first->IsOpen());
        answer(box, how);
        QVERIFY(!shown<frmAsk>());
        QVERIFY(first->IsAnswered());
        QCOMPARE(first->Granted(), granted);

        // Asked again by the same site: the same answer, without a window.
        PermissionRequest* again = askPermission(kSite, kind);
        QVERIFY(!shown<frmAsk>());
        QVERIFY(again->IsAnswered());
        QCOMPARE(again->Granted(), granted);
        // Another site, or another kind, is asked anew.
        askPermission(kOtherSite, kind);
        QVERIFY(shown<frmAsk>());
        answer(box, Escape);
        askPermission(kSite, kind == K::Camera ? K::Microphone : K::Camera);
        QVERIFY(shown<frmAsk>());
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
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible() && qobject_cast<QuestionWindow*>(w); }), 1);
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), kSite + " wants to show notifications");

        withdrawn->Withdraw();
        skwtest::Click(box.cmdYes);
        for (const auto& request : loop)
            QVERIFY(request->Granted());
        QCOMPARE(box.Caption(), kSite + " wants to use your camera");
        QVERIFY(camera->IsOpen());

        // The page goes away while its question is open: the window closes
        // and the next question shows.
        delete camera.data();
        QVERIFY(shown<frmAsk>());
        QCOMPARE(box.Caption(), kOtherSite + " wants to use your microphone");
        last->Withdraw();
        QVERIFY(!shown<frmAsk>());

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
        QTest::addColumn<QString>("realm");
        QTest::addColumn<QString>("realmLine");
        QTest::addColumn<bool>("signIn");

        QTest::newRow("signed in") << "Staff area" << "The site says: \u201CStaff area\u201D" << true;
        QTest::newRow("cancelled") << "Staff area" << "The site says: \u201CStaff area\u201D" << false;
        QTest::newRow("empty realm") << "" << "The site asks for a user name and a password." << true;
        QTest::newRow("10,000 characters with control characters")
            << "\x1b[2J" + QString(10000, u'r') << "The site says: \u201C [2J" + QString(116, u'r') + "\u2026\u201D" << false;
    }
    void signIn()
    {
        QFETCH(QString, realm);
        QFETCH(QString, realmLine);
        QFETCH(bool, signIn);

        QPointer<platform::SignInRequest> first = askSignIn(realm);
        QVERIFY(shown<frmSignIn>());
        frmSignIn& box = platform::Forms<frmSignIn>();
        QCOMPARE(box.Caption(), "Sign in to " + kSite);
        QCOMPARE(box.lblRealm->Caption(), realmLine);
        QVERIFY(box.lblRefused->isHidden());
        QCOMPARE(box.txtUserName->Text(), QString());
        QCOMPARE(box.focusWidget(), box.txtUserName->TextBox_hWnd());
        QCOMPARE(qobject_cast<QLineEdit*>(box.txtPassword->TextBox_hWnd())->echoMode(), QLineEdit::Password);
        box.txtUserName->SetText("ann");
        box.txtPassword->SetText("secret");
        press(box, signIn ? Qt::Key_Return : Qt::Key_Escape);
        QVERIFY(!shown<frmSignIn>());
        QCOMPARE(first->SignedIn(), signIn);
        QCOMPARE(first->Password(), signIn ? "secret" : "");
        QCOMPARE(box.txtPassword->Text(), QString());

        // The next page of the same realm: signed in from memory, or asked
        // again after a cancel.
        QPointer<platform::SignInRequest> second = askSignIn(realm);
        QCOMPARE(shown<frmSignIn>(), !signIn);
        if (!signIn) {
            skwtest::Click(box.cmdCancel);
            QVERIFY(!second->SignedIn());
            return;
        }
        QVERIFY(second->SignedIn());
        QCOMPARE(second->Password(), "secret");

        // Refused by the server: the kept credentials are forgotten.
        askSignIn(realm, true, "ann");
        QVERIFY(shown<frmSignIn>());
        QVERIFY(!box.lblRefused->isHidden());
        skwtest::Click(box.cmdCancel);
    }

    void certificate_data()
    {
        QTest::addColumn<bool>("overridable");
        QTest::addColumn<How>("how");
        QTest::addColumn<bool>("proceeding");

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
        QCOMPARE(shown<frmAsk>(), overridable);
        if (overridable) {
            frmAsk& box = platform::Forms<frmAsk>();
            QCOMPARE(box.Caption(), QStringLiteral("Not secure: 127.0.0.1"));
            QVERIFY(box.lblPrompt->Caption().contains("not trusted (revoked)"));
            QCOMPARE(box.cmdYes->Caption(), QStringLiteral("Proceed anyway"));
            answer(box, how);
        }
        QVERIFY(request->IsAnswered());
        QCOMPARE(request->Proceeding(), proceeding);

        // The exception holds for that host only; a refusal holds nothing.
        QPointer<platform::CertificateRequest> again = askCertificate(overridable);
        QCOMPARE(shown<frmAsk>(), overridable && !proceeding);
        QCOMPARE(again->Proceeding(), proceeding);
        if (shown<frmAsk>())
            answer(platform::Forms<frmAsk>(), Escape);
        askCertificate(overridable, "example.org");
        QCOMPARE(shown<frmAsk>(), overridable);
        if (shown<frmAsk>())
            answer(platform::Forms<frmAsk>(), Escape);
    }
};

SKERRYWIND_TEST_MAIN(TestMQuestions)
#include "test_MQuestions.moc"
