// SKERRYWIND_ENGINE_TEST: what pages ask of the browser, answered through the
// main window's question windows, against loopback servers in the real
// engine: sign-in, an untrusted certificate, permissions, notifications (to a
// fake desktop service on a private session bus), full screen, a loop of
// dialogs, and closing while the engine waits for an answer.
#include "Dialogs.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "platform/engine/Notifications.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "questions/MQuestions.h"
#include "questions/frmAsk.h"
#include "questions/frmPageDialog.h"
#include "questions/frmSignIn.h"
#include "shell/frmMain.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>

using skwtest::LoopbackServer;

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

template <class F>
bool shown()
{
    return platform::FormRegistry::IsLoaded<F>() && platform::Forms<F>().Visible();
}

frmMain& openMain(const QUrl& url)
{
    platform::SetCommandLineArguments({url.toString()});
    frmMain& form = platform::Forms<frmMain>();
    form.Show();
    return form;
}

QString caption() { return platform::Forms<frmMain>().Caption(); }
QString panel1() { return platform::Forms<frmMain>().StatusBar->Panels(1).Text(); }

}  // namespace

class TestQuestionsEngine : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        MQuestions::ForgetAnswers();
        platform::FormRegistry::SetLastFormAction([] {});
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void signIn_data()
    {
        QTest::addColumn<QStringList>("answers");  // "user:password" to sign in, "" to cancel
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("refusedShown");     // how many windows said the answer was refused

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
        QString origin = server.Origin();
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
        QVERIFY(!shown<frmSignIn>());
        QCOMPARE(asked, answers.size());
        QCOMPARE(refused, refusedShown);
        QVERIFY(skwtest::Boxes().empty());
    }

    void untrustedCertificate_data()
    {
        QTest::addColumn<bool>("proceed");
        QTest::newRow("go back") << false;
        QTest::newRow("proceed anyway") << true;
    }
    void untrustedCertificate()
    {
        QFETCH(bool, proceed);
        QTemporaryDir folder;
        QVERIFY(skwtest::MakeSelfSignedCertificate(folder.path()));
        LoopbackServer server([](const LoopbackServer::Request&) { return LoopbackServer::Page("<title>Secret</title>x"); });
        QVERIFY(server.Listen(folder.filePath("cert.pem"), folder.filePath("key.pem")));
        openMain(server.Url("/"));

        QTRY_VERIFY_WITH_TIMEOUT(shown<frmAsk>(), kTimeout);
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), QStringLiteral("Not secure: 127.0.0.1"));
        QCOMPARE(box.cmdYes->Caption(), QStringLiteral("Proceed anyway"));
        skwtest::Click(proceed ? box.cmdYes : box.cmdNo);

        if (proceed) {
            QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Secret]", kTimeout);
            return;
        }
        const QString status = "Not secure: 127.0.0.1 (self-signed or unknown authority)";
        QTRY_COMPARE_WITH_TIMEOUT(panel1(), status, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Not secure]", kTimeout);
        // The page the server sent never showed.
        QVERIFY(!caption().contains("Secret"));
    }

    void permissions_data()
    {
        QTest::addColumn<QString>("ask");  // script that sets the title to "answer <granted|denied>"
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("allow");

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
                                "function ask() { " + ask.toUtf8() + "; } ask();</script>";
        LoopbackServer server([&](const LoopbackServer::Request&) { return LoopbackServer::Page(page); });
        QVERIFY(server.Listen());
        openMain(server.Url("/"));

        QTRY_VERIFY_WITH_TIMEOUT(shown<frmAsk>(), kTimeout);
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), server.Origin() + " wants to " + caption);
        skwtest::Click(allow ? box.cmdYes : box.cmdNo);

        // The page asks a second time and gets the same answer, without a question.
        const QString answer = allow ? "granted" : "denied";
        QTRY_COMPARE_WITH_TIMEOUT(::caption(), kPrefix + "answer 2 " + answer + "]", kTimeout);
        QVERIFY(!shown<frmAsk>());
    }

    void notification_data()
    {
        QTest::addColumn<bool>("service");
        QTest::addColumn<QString>("desktopSignal");  // what the desktop does with it
        QTest::addColumn<QString>("title");          // what the page then knows
        QTest::addColumn<QString>("status");

        QTest::newRow("clicked") << true << "ActionInvoked" << "clicked" << "Done";
        QTest::newRow("closed by the desktop") << true << "NotificationClosed" << "closed" << "Done";
        QTest::newRow("no notification service") << false << QString() << "shown?" << "Hello";
    }
    void notification()
    {
        QFETCH(bool, service);
        QFETCH(QString, desktopSignal);
        QFETCH(QString, title);
        QFETCH(QString, status);
        QVERIFY2(!bus().address.isEmpty(), "dbus-daemon did not start");
        FakeNotificationService desktop;
        if (service)
            QVERIFY(desktop.Register());
        LoopbackServer server([](const LoopbackServer::Request&) {
            return LoopbackServer::Page(
                "<title>asking</title><script>Notification.requestPermission().then(p => {"
                " document.title = 'shown?';"
                " var n = new Notification('Hello', {body: 'World'});"
                " n.onshow = () => document.title = 'shown';"
                " n.onclick = () => document.title = 'clicked';"
                " n.onclose = () => document.title = 'closed'; });</script>");
        });
        QVERIFY(server.Listen());
        frmMain& form = openMain(server.Url("/"));

        QTRY_VERIFY_WITH_TIMEOUT(shown<frmAsk>(), kTimeout);
        skwtest::Click(platform::Forms<frmAsk>().cmdYes);

        if (service) {
            QTRY_COMPARE_WITH_TIMEOUT(desktop.shown, QStringList{"Skerrywind: Hello / World (default,Open)"}, kTimeout);
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

    // The main window closes (as on SIGTERM) while the engine waits for an
    // answer: the question is refused, the program ends and the placement
    // is stored as at any close.
    void closingWhileAQuestionWaits_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<bool>("signIn");
        QTest::newRow("sign-in") << QByteArray() << true;
        QTest::newRow("page dialog") << QByteArray("<script>alert('hello')</script>") << false;
    }
    void closingWhileAQuestionWaits()
    {
        QFETCH(QByteArray, page);
        QFETCH(bool, signIn);
        int lastFormActions = 0;
        platform::FormRegistry::SetLastFormAction([&] { ++lastFormActions; });
        LoopbackServer server([&](const LoopbackServer::Request&) {
            return signIn ? LoopbackServer::Unauthorized("Staff", "<title>Refused</title>") : LoopbackServer::Page(page);
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

    void dialogLoopStopped()
    {
        LoopbackServer server([](const LoopbackServer::Request&) {
            return LoopbackServer::Page("<title>Loop</title><script>"
                                        "var n = 0; while (n < 1000) { n++; if (!confirm('Again ' + n)) break; }"
                                        "document.title = 'Stopped after ' + n;</script>");
        });
        QVERIFY(server.Listen());
        // The dialogs are answered while the page waits for them.
        QString origin = server.Origin();
        QStringList seen;
        skwtest::WhenShown<frmPageDialog>([&](frmPageDialog& box) {
            seen << box.Caption() + " | " + box.lblMessage->Caption() + (box.cmdStop->isHidden() ? "" : " | stop");
            skwtest::WhenShown([&] { return shown<frmPageDialog>() && box.lblMessage->Caption() != "Again 1"; },
                               [&] {
                                   seen << box.Caption() + " | " + box.lblMessage->Caption()
                                               + (box.cmdStop->isHidden() ? "" : " | stop");
                                   skwtest::Click(box.cmdStop);
                               });
            skwtest::Click(box.cmdOk);
        });
        openMain(server.Url("/"));

        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Stopped after 2]", kTimeout);
        QCOMPARE(seen, (QStringList{origin + " says | Again 1", origin + " says | Again 2 | stop"}));
        QVERIFY(!shown<frmPageDialog>());
    }
};

int main(int argc, char** argv)
{
    skwtest::PrepareEnvironment();
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging --use-fake-device-for-media-stream");
    // Before the application object: the program's session bus is this one.
    bus().start();
    // The environment is set before any thread starts, and changed again
    // (by each test's fresh folders) only after the start-up thread ended.
    skwtest::FreshUserFolders();
    platform::Application app(argc, argv);
    app.WaitForWarmUp();
    TestQuestionsEngine tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_Questions_engine.moc"
