// SKERRYWIND_ENGINE_TEST: a page's notifications reach the desktop's
// notification service: a fake one on a private session bus that the test
// starts. A click on one tells the page and brings the main window forward;
// without a service the title shows in the status bar.
#include "Dialogs.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "platform/engine/Notifications.h"
#include "platform/system/Runtime.h"
#include "questions/MQuestions.h"
#include "questions/frmAsk.h"
#include "shell/frmMain.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <csignal>
#include <cstdio>
#include <cstdlib>

using skwtest::LoopbackServer;

namespace {
constexpr int kTimeout = 30000;
const QString kPrefix = QStringLiteral("Skerrywind v1.1.51a - [");

// The private session bus: started before the application object, so that
// the program's session bus is this one.
struct PrivateBus {
    QByteArray address;
    long pid = 0;

    bool start()
    {
        FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        if (!out)
            return false;
        char line[512];
        if (std::fgets(line, sizeof line, out))
            address = QByteArray(line).trimmed();
        if (std::fgets(line, sizeof line, out))
            pid = std::atol(line);
        ::pclose(out);
        if (address.isEmpty() || pid <= 0)
            return false;
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        return true;
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
    struct Shown {
        QString app, summary, body;
        QStringList actions;
    };
    QList<Shown> shown;
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
        shown << Shown{app, summary, body, actions};
        return uint(shown.size());
    }
    void CloseNotification(uint id) { (void)id; }
};

template <class F>
bool shown()
{
    return platform::FormRegistry::IsLoaded<F>() && platform::Forms<F>().Visible();
}
}  // namespace

class TestNotificationsEngine : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        MQuestions::ForgetAnswers();
        platform::FormRegistry::SetLastFormAction([] {});
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
        platform::SetCommandLineArguments({server.Url("/").toString()});
        frmMain& form = platform::Forms<frmMain>();
        form.Show();

        QTRY_VERIFY_WITH_TIMEOUT(shown<frmAsk>(), kTimeout);
        skwtest::Click(platform::Forms<frmAsk>().cmdYes);

        if (service) {
            QTRY_COMPARE_WITH_TIMEOUT(desktop.shown.size(), 1, kTimeout);
            QCOMPARE(desktop.shown[0].app, QStringLiteral("Skerrywind"));
            QCOMPARE(desktop.shown[0].summary, QStringLiteral("Hello"));
            QCOMPARE(desktop.shown[0].body, QStringLiteral("World"));
            QVERIFY(desktop.shown[0].actions.contains(QLatin1String(platform::Notifications::defaultAction)));
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
                QTRY_COMPARE(QApplication::activeWindow(), &form);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(form.StatusBar->Panels(1).Text(), status, kTimeout);
            QCOMPARE(form.Caption(), kPrefix + title + "]");
        }
    }
};

int main(int argc, char** argv)
{
    skwtest::PrepareEnvironment();
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging");
    bus().start();
    platform::Application app(argc, argv);
    skwtest::FreshUserFolders();
    TestNotificationsEngine tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_Notifications_engine.moc"
