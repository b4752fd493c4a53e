// SKERRYWIND_ENGINE_TEST: what pages ask of the browser, answered through the
// main window's question windows, against loopback servers in the real
// engine: sign-in, an untrusted certificate, permissions, notifications (to a
// fake desktop service on a private session bus), full screen, a loop of
// dialogs, answers kept apart by origin (https, then plain http on the same
// port), a page's leave question at close, and closing while the engine
// waits for an answer.
#include "Dialogs.h"
#include "EngineTest.h"
#include "FormsTest.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "platform/engine/Notifications.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "platform/system/TerminationSignals.h"
#include "questions/MQuestions.h"
#include "questions/frmAsk.h"
#include "questions/frmPageDialog.h"
#include "questions/frmSignIn.h"
#include "shell/frmMain.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTemporaryDir>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

using skwtest::LoopbackServer;
using skwtest::Shown;

namespace {
// The private session bus: started before the application object, so that
// the program's session bus is this one.
struct PrivateBus {
    QByteArray address;
    long pid = 0;

    void start()
    {
        char line[2][512] = {};
        if (FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r")) {
            if (std::fgets(line[0], sizeof line[0], out) && std::fgets(line[1], sizeof line[1], out)) {
                address = QByteArray(line[0]).trimmed();
                pid = std::atol(line[1]);
                qputenv("DBUS_SESSION_BUS_ADDRESS", address);
            }
            ::pclose(out);
        }
    }
    ~PrivateBus()
    {
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
    }
};
PrivateBus& bus()
{
    static PrivateBus b;
    return b;
}

// The desktop's side: records what it is asked to show.
class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    // "application: title / text (actions)" for each notification.
    QStringList shown;
    QDBusConnection connection = QDBusConnection::connectToBus(QString::fromUtf8(bus().address), "fake-desktop");

    bool Register()
    {
        return connection.registerObject(QLatin1String(platform::Notifications::path), this,
                                         QDBusConnection::ExportAllSlots)
               && connection.registerService(QLatin1String(platform::Notifications::service));
    }
    ~FakeNotificationService() override
    {
        connection.unregisterService(QLatin1String(platform::Notifications::service));
        connection.unregisterObject(QLatin1String(platform::Notifications::path));
    }
    void Emit(const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(platform::Notifications::path),
                                                         QLatin1String(platform::Notifications::interface), name);
        signal.setArguments(arguments);
        connection.send(signal);
    }

public slots:
    QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        (void)replaces, (void)icon, (void)hints, (void)timeout;
        shown << app + ": " + summary + " / " + body + " (" + actions.join(',') + ")";
        return uint(shown.size());
    }
};

constexpr int kTimeout = 30000;
const QString kPrefix = QStringLiteral("Skerrywind v1.1.51a - [");

frmMain& openMain(const QUrl& url)
{
    platform::SetCommandLineArguments({url.toString()});
    frmMain& form = platform::Forms<frmMain>();
    form.Show();
    return form;
}

QString caption()
{
    return platform::Forms<frmMain>().Caption();
}
QString panel1()
{
    return platform::Forms<frmMain>().StatusBar->Panels(1).Text();
}

// Types into the text box at the page's top left until the page says so in
// its title. The engine drops input until it has drawn the page, so the
// click and the key are repeated, a step apart.
void typeIntoThePage(frmMain& form, const QString& typedTitle)
{
    QWidget* input = form.WebBrowser1->Widget()->focusProxy();
    QVERIFY(input);
    QTRY_VERIFY_WITH_TIMEOUT(
        caption() == kPrefix + typedTitle + "]"
            || (QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(20, 20)), QTest::keyClick(input, Qt::Key_A), false),
        kTimeout);
}

}  // namespace

class TestQuestionsEngine : public skwtest::FormsTest {
    Q_OBJECT

public:
    TestQuestionsEngine() : FormsTest(Browser::Engine) {}

private slots:
    void init()
    {
        FormsTest::init();
        MQuestions::ForgetAnswers();
    }

    void signIn_data()
    {
        QTest::addColumn<QStringList>("answers");  // "user:password" to sign in, "" to cancel
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("refusedShown");  // how many windows said the answer was refused

        QTest::newRow("right") << QStringList{"ann:secret"} << "Protected" << 0;
        QTest::newRow("wrong, then right") << QStringList{"ann:guess", "ann:secret"} << "Protected" << 1;
        QTest::newRow("cancel") << QStringList{""} << "Refused" << 0;
        QTest::newRow("wrong, then cancel") << QStringList{"bob:guess", ""} << "Refused" << 1;
    }
    void signIn()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, title);
        QFETCH(int, refusedShown);
        LoopbackServer server([](const LoopbackServer::Request& request) {
            if (request.basicCredentials() == QPair<QString, QString>("ann", "secret"))
                return LoopbackServer::Page("<title>Protected</title>inside");
            return LoopbackServer::Unauthorized("Staff area", "<title>Refused</title>no");
        });
        QVERIFY(server.Listen());

        // Sign-in is answered while the engine waits: each answer is given
        // from inside that wait, as the window shows.
        int refused = 0;
        int asked = 0;
        QString lastUser;
        QString origin = server.Site();
        std::function<void()> answerNext = [&] {
            skwtest::WhenShown<frmSignIn>([&](frmSignIn& box) {
                QCOMPARE(box.Caption(), "Sign in to " + origin);
                QVERIFY(box.lblRealm->Caption().contains("Staff area"));
                if (!box.lblRefused->isHidden()) {
                    ++refused;
                    QCOMPARE(box.txtUserName->Text(), lastUser);
                }
                const QString answer = answers.value(asked++);
                if (answer.isEmpty()) {
                    skwtest::Click(box.cmdCancel);
                } else {
                    lastUser = answer.section(':', 0, 0);
                    box.txtUserName->SetText(lastUser);
                    box.txtPassword->SetText(answer.section(':', 1));
                    skwtest::Click(box.cmdOk);
                }
                // Only now: the click lets events run while this window still
                // shows, and the next answer is for the next window. (The
                // engine asks again only after this answer has returned.)
                if (asked < answers.size())
                    answerNext();
            });
        };
        answerNext();
        openMain(server.Url("/private"));
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + title + "]", kTimeout);
        QVERIFY(!Shown<frmSignIn>());
        QCOMPARE(asked, answers.size());
        QCOMPARE(refused, refusedShown);
        QVERIFY(skwtest::Boxes().empty());
    }

    void untrustedCertificate_data()
    {
        QTest::addColumn<bool>("proceed");
        QTest::addColumn<bool>("anotherServer");  // then one with another certificate, on another port
        QTest::newRow("go back") << false << false;
        QTest::newRow("proceed anyway") << true << false;
        QTest::newRow("proceed anyway, then another certificate") << true << true;
    }
    void untrustedCertificate()
    {
        QFETCH(bool, proceed);
        QFETCH(bool, anotherServer);
        QTemporaryDir folder;
        QVERIFY(skwtest::MakeSelfSignedCertificate(folder.path()));
        LoopbackServer server(
            [](const LoopbackServer::Request&) { return LoopbackServer::Page("<title>Secret</title>x"); });
        QVERIFY(server.Listen(folder.filePath("cert.pem"), folder.filePath("key.pem")));
        frmMain& form = openMain(server.Url("/"));

        QTRY_VERIFY_WITH_TIMEOUT(Shown<frmAsk>(), kTimeout);
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), "Not secure: " + server.Site());
        QCOMPARE(box.cmdYes->Caption(), QStringLiteral("Proceed anyway"));
        skwtest::Click(proceed ? box.cmdYes : box.cmdNo);

        if (proceed) {
            QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Secret]", kTimeout);
            if (!anotherServer)
                return;
            // The exception was for that certificate and that port.
            QTemporaryDir otherFolder;
            QVERIFY(skwtest::MakeSelfSignedCertificate(otherFolder.path()));
            LoopbackServer other(
                [](const LoopbackServer::Request&) { return LoopbackServer::Page("<title>Other</title>x"); });
            QVERIFY(other.Listen(otherFolder.filePath("cert.pem"), otherFolder.filePath("key.pem")));
            form.WebBrowser1->Navigate(other.Url("/"));
            QTRY_VERIFY_WITH_TIMEOUT(Shown<frmAsk>(), kTimeout);
            QCOMPARE(box.Caption(), "Not secure: " + other.Site());
            skwtest::Click(box.cmdNo);
        }
        const QString status = "Not secure: 127.0.0.1 (self-signed or unknown authority)";
        QTRY_COMPARE_WITH_TIMEOUT(panel1(), status, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Not secure]", kTimeout);
        // The page the server sent never showed.
        QVERIFY(!caption().contains(anotherServer ? "Other" : "Secret"));
    }

    // What was given to a site over https (a password, a permission) is not
    // given to plain http on the same host and port: the user is asked, and
    // the plain server never sees the password.
    void originsKeptApart_data()
    {
        QTest::addColumn<bool>("signIn");  // else a permission
        QTest::newRow("sign-in") << true;
        QTest::newRow("permission") << false;
    }
    void originsKeptApart()
    {
        QFETCH(bool, signIn);
        QTemporaryDir folder;
        QVERIFY(skwtest::MakeSelfSignedCertificate(folder.path()));
        const LoopbackServer::Handler handler = [](const LoopbackServer::Request& request) {
            if (request.path == "/ask")
                return LoopbackServer::Page("<title>Asking</title><script>"
                                            "Notification.requestPermission().then(p => document.title = p)</script>");
            if (request.basicCredentials() == QPair<QString, QString>("ann", "secret"))
                return LoopbackServer::Page("<title>Protected</title>inside");
            return LoopbackServer::Unauthorized("Staff", "<title>Refused</title>no");
        };
        const QString path = signIn ? "/private" : "/ask";
        auto secure = std::make_unique<LoopbackServer>(handler);
        QVERIFY(secure->Listen(folder.filePath("cert.pem"), folder.filePath("key.pem")));
        const quint16 port = secure->Port();
        const QString secureSite = secure->Site();
        // The questions, answered as they show: the certificate's, then the
        // sign-in (from inside the engine's wait) or the permission.
        QStringList captions;
        skwtest::WhenShown<frmAsk>([&](frmAsk& box) {
            captions << box.Caption();
            skwtest::Click(box.cmdYes);
            if (signIn)
                return;
            skwtest::WhenShown(
                [&] { return Shown<frmAsk>() && platform::Forms<frmAsk>().Caption() != captions.last(); },
                [&] {
                    captions << platform::Forms<frmAsk>().Caption();
                    skwtest::Click(platform::Forms<frmAsk>().cmdYes);
                });
        });
        if (signIn) {
            skwtest::WhenShown<frmSignIn>([&](frmSignIn& box) {
                captions << box.Caption();
                box.txtUserName->SetText("ann");
                box.txtPassword->SetText("secret");
                skwtest::Click(box.cmdOk);
            });
        }
        frmMain& form = openMain(secure->Url(path));
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + (signIn ? "Protected]" : "granted]"), kTimeout);
        QCOMPARE(captions,
                 (QStringList{"Not secure: " + secureSite,
                              signIn ? "Sign in to " + secureSite : secureSite + " wants to show notifications"}));

        // Plain http on the same port.
        secure.reset();
        LoopbackServer plain(handler);
        QVERIFY(plain.Listen(QString(), QString(), port));
        QString askedFor;
        bool credentialsSeen = false;
        const auto sawCredentials = [&] {
            return std::any_of(plain.Requests.begin(), plain.Requests.end(),
                               [](const QByteArray& head) { return head.toLower().contains("\r\nauthorization:"); });
        };
        if (signIn) {
            skwtest::WhenShown<frmSignIn>([&](frmSignIn& box) {
                askedFor = box.Caption();
                credentialsSeen = sawCredentials();
                skwtest::Click(box.cmdCancel);
            });
        } else {
            skwtest::WhenShown<frmAsk>([&](frmAsk& box) {
                askedFor = box.Caption();
                skwtest::Click(box.cmdNo);
            });
        }
        form.WebBrowser1->Navigate(plain.Url(path));
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + (signIn ? "Refused]" : "denied]"), kTimeout);
        QCOMPARE(askedFor, signIn ? "Sign in to " + plain.Site() : plain.Site() + " wants to show notifications");
        QVERIFY(!credentialsSeen);
        QVERIFY(!sawCredentials());
        QVERIFY(skwtest::Boxes().empty());
    }

    void permissions_data()
    {
        QTest::addColumn<QString>("ask");  // script that sets the title to "answer <granted|denied>"
        skwtest::AddColumns<QString, bool>("caption", "allow");

        const QString notifications = "Notification.requestPermission().then(p => done(p))";
        // Without a position source a granted request ends in an error that
        // is not a refusal; the timeout only bounds the wait for it.
        const QString location = "navigator.geolocation.getCurrentPosition(() => done('granted'),"
                                 " e => done(e.code == 1 ? 'denied' : 'granted'), {timeout: 5000})";
        const QString media = "navigator.mediaDevices.getUserMedia(%1).then(() => done('granted'),"
                              " e => done(e.name == 'NotAllowedError' ? 'denied' : 'granted'))";
        struct Kind {
            const char* name;
            QString script;
            const char* wants;
        };
        const Kind kinds[] = {
            {"notifications", notifications, "show notifications"},
            {"location", location, "know your location"},
            {"camera", media.arg("{video: true}"), "use your camera"},
            {"microphone", media.arg("{audio: true}"), "use your microphone"},
            {"camera and microphone", media.arg("{audio: true, video: true}"), "use your camera and microphone"},
        };
        for (const Kind& kind : kinds) {
            for (const bool allow : {true, false}) {
                QTest::addRow("%s, %s", kind.name, allow ? "allowed" : "denied")
                    << kind.script << QString::fromLatin1(kind.wants) << allow;
            }
        }
    }
    void permissions()
    {
        QFETCH(QString, ask);
        QFETCH(QString, caption);
        QFETCH(bool, allow);
        const QByteArray page = "<title>Asking</title><script>var round = 0;"
                                "function done(answer) { document.title = 'answer ' + (++round) + ' ' + answer;"
                                " if (round == 1) ask(); }"
                                "function ask() { "
                                + ask.toUtf8() + "; } ask();</script>";
        LoopbackServer server([&](const LoopbackServer::Request&) { return LoopbackServer::Page(page); });
        QVERIFY(server.Listen());
        openMain(server.Url("/"));

        QTRY_VERIFY_WITH_TIMEOUT(Shown<frmAsk>(), kTimeout);
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), server.Site() + " wants to " + caption);
        skwtest::Click(allow ? box.cmdYes : box.cmdNo);

        // The page asks a second time and gets the same answer, without a question.
        const QString answer = allow ? "granted" : "denied";
        QTRY_COMPARE_WITH_TIMEOUT(::caption(), kPrefix + "answer 2 " + answer + "]", kTimeout);
        QVERIFY(!Shown<frmAsk>());
    }

    // A page's notification on the desktop, as plain text of bounded length
    // (the fake service reads markup in a notification's text).
    void notification_data()
    {
        QTest::addColumn<bool>("service");
        QTest::addColumn<QString>("desktopSignal");  // what the desktop does with it
        QTest::addColumn<QString>("title");          // what the page then knows
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("text");  // the notification's title and body, "title|body"
        QTest::addColumn<QString>("sent");  // as the desktop gets them

        const QString plain = "Hello|World";
        // clang-format off
        QTest::newRow("clicked") << true << "ActionInvoked" << "clicked" << "Done" << plain
                                 << "Skerrywind: Hello / World (default,Open)";
        QTest::newRow("closed by the desktop, markup in its text")
            << true << "NotificationClosed" << "closed" << "Done" << "Hi <b>|A & B <a href=x>y</a> <img src=z>"
            << "Skerrywind: Hi <b> / A &amp; B &lt;a href=x&gt;y&lt;/a&gt; &lt;img src=z&gt; (default,Open)";
        QTest::newRow("clicked, overlong") << true << "ActionInvoked" << "clicked" << "Done"
                                           << QString(300, u't') + "|" + QString(2000, u'b')
                                           << "Skerrywind: " + QString(200, u't') + "\u2026 / " + QString(1000, u'b')
                                                  // clang-format on
                                                  + "\u2026 (default,Open)";
        // clang-format off
        QTest::newRow("no notification service") << false << QString() << "shown?" << "Hello" << plain << QString();
        // clang-format on
    }
    void notification()
    {
        QFETCH(bool, service);
        QFETCH(QString, desktopSignal);
        QFETCH(QString, title);
        QFETCH(QString, status);
        QFETCH(QString, text);
        QFETCH(QString, sent);
        QVERIFY2(!bus().address.isEmpty(), "dbus-daemon did not start");
        FakeNotificationService desktop;
        if (service)
            QVERIFY(desktop.Register());
        const QByteArray page = "<title>asking</title><script>Notification.requestPermission().then(p => {"
                                " document.title = 'shown?';"
                                " var n = new Notification('"
                                + text.section(u'|', 0, 0).toUtf8() + "', {body: '" + text.section(u'|', 1).toUtf8()
                                + "'});"
                                  " n.onshow = () => document.title = 'shown';"
                                  " n.onclick = () => document.title = 'clicked';"
                                  " n.onclose = () => document.title = 'closed'; });</script>";
        LoopbackServer server([&](const LoopbackServer::Request&) { return LoopbackServer::Page(page); });
        QVERIFY(server.Listen());
        frmMain& form = openMain(server.Url("/"));

        QTRY_VERIFY_WITH_TIMEOUT(Shown<frmAsk>(), kTimeout);
        skwtest::Click(platform::Forms<frmAsk>().cmdYes);

        if (service) {
            QTRY_COMPARE_WITH_TIMEOUT(desktop.shown, QStringList{sent}, kTimeout);
            QTRY_COMPARE_WITH_TIMEOUT(form.Caption(), kPrefix + "shown]", kTimeout);
            // Something else has the focus when the notification is clicked.
            QWidget other;
            other.show();
            other.activateWindow();
            if (desktopSignal == "ActionInvoked")
                desktop.Emit(desktopSignal, {1u, QStringLiteral("default")});
            else
                desktop.Emit(desktopSignal, {1u, 2u});
            QTRY_COMPARE_WITH_TIMEOUT(form.Caption(), kPrefix + title + "]", kTimeout);
            if (desktopSignal == "ActionInvoked")
                QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &form, kTimeout);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(form.StatusBar->Panels(1).Text(), status, kTimeout);
            QCOMPARE(form.Caption(), kPrefix + title + "]");
        }
    }

    void fullScreenAndEscape()
    {
        LoopbackServer server([](const LoopbackServer::Request&) {
            return LoopbackServer::Page(
                "<title>normal</title><body style='margin:0'>"
                "<button id='b' style='width:100%;height:100%' onclick='document.body.requestFullscreen()'>go</button>"
                "<script>document.onfullscreenchange = () =>"
                " document.title = document.fullscreenElement ? 'full' : 'normal';</script></body>");
        });
        QVERIFY(server.Listen());
        frmMain& form = openMain(server.Url("/"));
        QTRY_COMPARE_WITH_TIMEOUT(::caption(), kPrefix + "normal]", kTimeout);
        form.Move(1200, 900);
        form.SetWidth(6000);
        form.SetHeight(4500);
        const QRect before = form.frameGeometry();
        const QRect browserBefore = form.WebBrowser1->Widget()->geometry();

        // A click is a user's gesture, which full screen needs. The engine
        // drops input until it has drawn the page, so the click is repeated
        // until the page takes it.
        QWidget* input = form.WebBrowser1->Widget()->focusProxy();
        QVERIFY(input);
        QTRY_VERIFY_WITH_TIMEOUT(
            form.FullScreen() || (QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(20, 20)), false), kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(::caption(), kPrefix + "full]", kTimeout);
        QVERIFY(form.FullScreen());
        QVERIFY(form.StatusBar->isHidden());
        QCOMPARE(form.WebBrowser1->Widget()->geometry(), form.rect());

        QTest::keyClick(input, Qt::Key_Escape);
        QTRY_COMPARE_WITH_TIMEOUT(::caption(), kPrefix + "normal]", kTimeout);
        QVERIFY(!form.FullScreen());
        QCOMPARE(form.frameGeometry(), before);
        QCOMPARE(form.WebBrowser1->Widget()->geometry(), browserBefore);
        QVERIFY(!form.StatusBar->isHidden());
    }

    // Ctrl+W on a page with unsaved text asks its leave question first:
    // Stay keeps the window and the page as they were; Leave closes and
    // stores what a close stores, whatever the page's handler does; a
    // termination signal while it asks ends the program as always. A page
    // with nothing unsaved closes at once.
    void leaveQuestionAtClose_data()
    {
        QTest::addColumn<QByteArray>("handler");  // more of the page's beforeunload handler
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("answer");  // "Stay", "Leave", "SIGTERM"

        QTest::newRow("nothing typed: closes") << QByteArray() << false << QString();
        QTest::newRow("Stay") << QByteArray() << true << "Stay";
        QTest::newRow("Leave") << QByteArray() << true << "Leave";
        QTest::newRow("Leave, a dialog from the handler") << QByteArray("alert('wait');") << true << "Leave";
        QTest::newRow("Stay, a navigation from the handler")
            << QByteArray("location.href = '/elsewhere';") << true << "Stay";
        QTest::newRow("Leave, a navigation from the handler")
            << QByteArray("location.href = '/elsewhere';") << true << "Leave";
        QTest::newRow("a termination signal meanwhile") << QByteArray() << true << "SIGTERM";
    }
    void leaveQuestionAtClose()
    {
        QFETCH(QByteArray, handler);
        QFETCH(bool, typed);
        QFETCH(QString, answer);
        platform::TerminationSignals::SetHandler([](int) { platform::FormRegistry::UnloadIfLoaded<frmMain>(); });
        LoopbackServer server;
        server.SetPage("/", "<title>Form</title><textarea id='t' autofocus></textarea><script>"
                            "t.oninput = () => document.title = 'typed';"
                            "onbeforeunload = e => { "
                                + handler
                                + " if (t.value) { e.preventDefault();"
                                  " e.returnValue = 'unsaved'; } };</script>");
        server.SetPage("/elsewhere", "<title>Elsewhere</title>");
        QVERIFY(server.Listen());
        frmMain& form = openMain(server.Url("/"));
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Form]", kTimeout);
        if (typed)
            typeIntoThePage(form, "typed");

        QString asked;
        skwtest::WhenShown<frmPageDialog>([&](frmPageDialog& box) {
            asked = box.Caption() + " | " + box.cmdOk->Caption() + " | " + box.cmdCancel->Caption();
            if (answer == "SIGTERM")
                platform::TerminationSignals::Simulate(SIGTERM);
            else
                skwtest::Click(answer == "Leave" ? box.cmdOk : box.cmdCancel);
        });
        QTest::keyClick(form.WebBrowser1->Widget()->focusProxy(), Qt::Key_W, Qt::ControlModifier);

        if (answer == "Stay") {
            QTRY_VERIFY_WITH_TIMEOUT(!asked.isEmpty(), kTimeout);
            QVERIFY(!Shown<frmPageDialog>());
            // The page and what was typed stay; a later close asks again.
            QVERIFY(platform::FormRegistry::IsLoaded<frmMain>() && form.Visible());
            QCOMPARE(caption(), kPrefix + "typed]");
            QVERIFY(platform::GetSetting("Skerwind32", "frmMain", "Width", QString()).isEmpty());
            asked.clear();
            skwtest::WhenShown<frmPageDialog>([&](frmPageDialog& box) {
                asked = box.Caption();
                skwtest::Click(box.cmdOk);
            });
            form.DoCommand(MCommands::Command::Close);
        }
        QTRY_COMPARE_WITH_TIMEOUT(lastFormActions, 1, kTimeout);
        QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
        QCOMPARE(asked.section(" | ", 0, 0), typed ? "Leave " + server.Site() + "?" : QString());
        if (typed && answer != "Stay")
            QCOMPARE(asked, "Leave " + server.Site() + "? | Leave | Stay");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!platform::GetSetting("Skerwind32", "frmMain", "Width", QString()).isEmpty());
        QCOMPARE(platform::GetSetting("Skerrywind", "Prefs", "Show Toolbar", QString()), QStringLiteral("True"));
        QVERIFY(skwtest::Boxes().empty());
    }

    // The main window closes (as on SIGTERM) while the engine waits for an
    // answer: the question is refused, the program ends and the placement
    // is stored as at any close.
    void closingWhileAQuestionWaits_data()
    {
        skwtest::AddColumns<QByteArray, bool>("page", "signIn");
        QTest::newRow("sign-in") << QByteArray() << true;
        QTest::newRow("page dialog") << QByteArray("<script>alert('hello')</script>") << false;
    }
    void closingWhileAQuestionWaits()
    {
        QFETCH(QByteArray, page);
        QFETCH(bool, signIn);
        LoopbackServer server([&](const LoopbackServer::Request&) {
            return signIn ? LoopbackServer::Unauthorized("Staff", "<title>Refused</title>")
                          : LoopbackServer::Page(page);
        });
        QVERIFY(server.Listen());
        bool closed = false;
        auto close = [&] {
            platform::FormRegistry::UnloadIfLoaded<frmMain>();
            closed = true;
        };
        if (signIn)
            skwtest::WhenShown<frmSignIn>([&](frmSignIn&) { close(); });
        else
            skwtest::WhenShown<frmPageDialog>([&](frmPageDialog&) { close(); });
        openMain(server.Url("/"));

        QTRY_VERIFY_WITH_TIMEOUT(closed, kTimeout);
        QCOMPARE(lastFormActions, 1);
        QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
        QVERIFY(!platform::FormRegistry::IsLoaded<frmSignIn>());
        QVERIFY(!platform::FormRegistry::IsLoaded<frmPageDialog>());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!platform::GetSetting("Skerwind32", "frmMain", "Width", QString()).isEmpty());
        QVERIFY(skwtest::Boxes().empty());
    }

    // A page's loop of dialogs, stopped from the second on. The stop never
    // keeps the page: its leave question, when the user goes elsewhere, is
    // answered Leave without a window.
    void dialogLoopStopped()
    {
        LoopbackServer server;
        server.SetPage("/", "<title>Loop</title><textarea id='t' autofocus></textarea><script>"
                            "var n = 0; while (n < 1000) { n++; if (!confirm('Again ' + n)) break; }"
                            "document.title = 'Stopped after ' + n;"
                            "t.oninput = () => document.title = 'typed';"
                            "onbeforeunload = e => { e.preventDefault(); e.returnValue = 'unsaved'; };</script>");
        server.SetPage("/next", "<title>Next</title>");
        QVERIFY(server.Listen());
        // The dialogs are answered while the page waits for them.
        QString origin = server.Site();
        QStringList seen;
        skwtest::WhenShown<frmPageDialog>([&](frmPageDialog& box) {
            seen << box.Caption() + " | " + box.lblMessage->Caption() + (box.cmdStop->isHidden() ? "" : " | stop");
            skwtest::WhenShown([&] { return Shown<frmPageDialog>() && box.lblMessage->Caption() != "Again 1"; },
                               [&] {
                                   seen << box.Caption() + " | " + box.lblMessage->Caption()
                                               + (box.cmdStop->isHidden() ? "" : " | stop");
                                   skwtest::Click(box.cmdStop);
                               });
            skwtest::Click(box.cmdOk);
        });
        frmMain& form = openMain(server.Url("/"));

        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Stopped after 2]", kTimeout);
        QCOMPARE(seen, (QStringList{origin + " says | Again 1", origin + " says | Again 2 | stop"}));
        QVERIFY(!Shown<frmPageDialog>());

        // Something typed, so that the page has a leave question to ask.
        typeIntoThePage(form, "typed");
        form.WebBrowser1->Navigate(server.Url("/next"));
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Next]", kTimeout);
        QCOMPARE(seen.size(), 2);
    }
};

int main(int argc, char** argv)
{
    skwtest::PrepareEngine("--use-fake-device-for-media-stream");
    // Before the application object: the program's session bus is this one.
    return skwtest::TestMain<TestQuestionsEngine>(argc, argv, [] { bus().start(); });
}

#include "test_Questions_engine.moc"
