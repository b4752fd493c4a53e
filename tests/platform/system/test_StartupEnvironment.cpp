// Startup choices: the engine's sandbox, the window-system platform, the
// privacy of the program's folders, whether the engine's page
// accessibility follows the desktop and whether the engine's context dump
// is logged.
#include "TestSupport.h"

#include "platform/system/PrivateFolders.h"
#include "platform/system/Settings.h"
#include "platform/system/StartupEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLoggingCategory>
#include <QProcess>

#include <cstdio>
#include <cstring>
#include <optional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using platform::ChoosePlatform;

namespace {
constexpr auto prepareMode = "--prepare-environment";

// A child run: applies the choices and prints what they left.
int runPrepare(int argc, char** argv)
{
    const bool follow = platform::PrepareStartupEnvironment(argc, argv);
    std::printf("sandbox=%s platform=%s follow=%d pages=%s bus=%s\n",
                qgetenv("QTWEBENGINE_DISABLE_SANDBOX").constData(), qgetenv("QT_QPA_PLATFORM").constData(), int(follow),
                qgetenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY").constData(),
                qgetenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON").constData());
    return 0;
}

// A child run: applies the choices and prints which of the engine's context
// messages are then logged.
constexpr auto engineLogMode = "--engine-log";
int runEngineLog(int argc, char** argv)
{
    platform::PrepareStartupEnvironment(argc, argv);
    const QLoggingCategory context("qt.webenginecontext");
    std::printf("info=%d warning=%d\n", int(context.isInfoEnabled()), int(context.isWarningEnabled()));
    return 0;
}
}  // namespace
using platform::ChooseSandbox;

Q_DECLARE_METATYPE(std::optional<int>)

class TestStartupEnvironment : public QObject {
    Q_OBJECT

private slots:
    void sandbox_data()
    {
        QTest::addColumn<bool>("root");
        QTest::addColumn<QByteArray>("variable");  // "<unset>" for none
        skwtest::AddColumns<bool, bool>("turnOff", "notice");
        QTest::newRow("user keeps the sandbox") << false << QByteArray("<unset>") << false << false;
        QTest::newRow("user who turned it off is left alone") << false << QByteArray("1") << false << false;
        QTest::newRow("root turns it off") << true << QByteArray("<unset>") << true << true;
        QTest::newRow("root with it already off") << true << QByteArray("1") << false << true;
        QTest::newRow("root with an empty setting") << true << QByteArray("") << true << true;
    }
    void sandbox()
    {
        QFETCH(bool, root);
        QFETCH(QByteArray, variable);
        QFETCH(bool, turnOff);
        QFETCH(bool, notice);
        const platform::SandboxChoice choice =
            ChooseSandbox(root, variable == "<unset>" ? nullptr : variable.constData());
        QCOMPARE(choice.turnOff, turnOff);
        QCOMPARE(!choice.notice.empty(), notice);
        // One line, no more.
        QVERIFY(choice.notice.find('\n') == std::string::npos);
    }

    void localDisplayNumber_data()
    {
        skwtest::AddColumns<QString, std::optional<int>>("display", "number");
        QTest::newRow("plain") << ":0" << std::optional<int>(0);
        QTest::newRow("screen") << ":1.0" << std::optional<int>(1);
        QTest::newRow("unix host") << "unix:12" << std::optional<int>(12);
        QTest::newRow("ssh forwarding") << "localhost:10.0" << std::optional<int>();
        QTest::newRow("remote host") << "example.org:0" << std::optional<int>();
        QTest::newRow("no number") << ":" << std::optional<int>();
        QTest::newRow("not a number") << ":x" << std::optional<int>();
        QTest::newRow("overlong number") << ":99999999999" << std::optional<int>();
    }
    void localDisplayNumber()
    {
        QFETCH(QString, display);
        QFETCH(std::optional<int>, number);
        QCOMPARE(platform::LocalDisplayNumber(display.toStdString()), number);
    }

    void platform_data()
    {
        QTest::addColumn<QByteArray>("qpa");      // "<unset>" for none
        QTest::addColumn<QByteArray>("display");  // "<unset>" for none
        QTest::addColumn<bool>("socketAnswers");
        QTest::addColumn<QString>("expected");  // empty: Qt's own choice
        QTest::newRow("X display answers") << QByteArray("<unset>") << QByteArray(":0") << true << "xcb";
        QTest::newRow("empty platform counts as unset") << QByteArray("") << QByteArray(":1") << true << "xcb";
        QTest::newRow("user's choice wins") << QByteArray("wayland") << QByteArray(":0") << true << "";
        QTest::newRow("no display") << QByteArray("<unset>") << QByteArray("<unset>") << true << "";
        QTest::newRow("display does not answer") << QByteArray("<unset>") << QByteArray(":0") << false << "";
        QTest::newRow("remote display left to Qt")
            << QByteArray("<unset>") << QByteArray("localhost:10.0") << true << "";
    }
    void platform()
    {
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, display);
        QFETCH(bool, socketAnswers);
        QFETCH(QString, expected);
        std::string asked;
        const auto chosen =
            ChoosePlatform(qpa == "<unset>" ? nullptr : qpa.constData(),
                           display == "<unset>" ? nullptr : display.constData(), [&](const std::string& path) {
                               asked = path;
                               return socketAnswers;
                           });
        QCOMPARE(QString::fromStdString(chosen.value_or("")), expected);
        if (!expected.isEmpty())
            QCOMPARE(asked, "/tmp/.X11-unix/X" + display.mid(1).toStdString());
    }

    void pageAccessibility_data()
    {
        QTest::addColumn<QByteArray>("engineSwitch");  // "<unset>" for none
        skwtest::AddColumns<QByteArray, QStringList, bool>("chromiumFlags", "arguments", "follow");
        const QByteArray unset("<unset>");
        QTest::newRow("nothing set: follow the desktop") << unset << QByteArray() << QStringList() << true;
        QTest::newRow("engine switch set by the user") << QByteArray("1") << QByteArray() << QStringList() << false;
        QTest::newRow("engine switch set empty still counts")
            << QByteArray("") << QByteArray() << QStringList() << false;
        QTest::newRow("forced in the engine's flags")
            << unset << QByteArray("--no-sandbox --force-renderer-accessibility") << QStringList() << false;
        QTest::newRow("forced with a value")
            << unset << QByteArray("--force-renderer-accessibility=complete") << QStringList() << false;
        QTest::newRow("disabled in the engine's flags")
            << unset << QByteArray("--disable-renderer-accessibility") << QStringList() << false;
        QTest::newRow("disabled on the command line")
            << unset << QByteArray() << QStringList{"file:///a.html", "--disable-renderer-accessibility"} << false;
        QTest::newRow("a longer flag is another flag")
            << unset << QByteArray("--force-renderer-accessibility-x") << QStringList() << true;
        QTest::newRow("an address that mentions it")
            << unset << QByteArray() << QStringList{"https://h/?q=--force-renderer-accessibility"} << true;
    }
    void pageAccessibility()
    {
        QFETCH(QByteArray, engineSwitch);
        QFETCH(QByteArray, chromiumFlags);
        QFETCH(QStringList, arguments);
        QFETCH(bool, follow);
        std::vector<std::string> args;
        for (const QString& a : arguments)
            args.push_back(a.toStdString());
        const platform::PageAccessibilityChoice choice = platform::ChoosePageAccessibility(
            engineSwitch == "<unset>" ? nullptr : engineSwitch.constData(), chromiumFlags.constData(), args);
        QCOMPARE(choice.followDesktop, follow);
        // Following needs both: the engine's switch and the windows on the bus.
        QCOMPARE(choice.enableEngineSwitch, follow);
        QCOMPARE(choice.joinBusAlways, follow);
    }

    void preparingSaysOnceWhenTheSandboxIsOff()
    {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QTWEBENGINE_DISABLE_SANDBOX");
        environment.remove("QT_QPA_PLATFORM");
        environment.remove("DISPLAY");
        environment.remove("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY");
        environment.remove("QTWEBENGINE_CHROMIUM_FLAGS");
        environment.remove("QT_LINUX_ACCESSIBILITY_ALWAYS_ON");
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(prepareMode)});
        QVERIFY(child.waitForFinished());
        const QByteArray output = child.readAllStandardOutput().trimmed();
        const QByteArray errors = child.readAllStandardError();
        if (::geteuid() == 0) {
            QCOMPARE(output, QByteArray("sandbox=1 platform= follow=1 pages=1 bus=1"));
            QCOMPARE(errors.count('\n'), 1);
            QVERIFY(errors.contains("root"));
        } else {
            QCOMPARE(output, QByteArray("sandbox= platform= follow=1 pages=1 bus=1"));
            QCOMPARE(errors, QByteArray());
        }
    }

    // The engine's context dump is off unless the user's own logging rules
    // (QT_LOGGING_RULES, or a QT_LOGGING_CONF file) ask for it; its
    // warnings are shown either way.
    void engineContextDumpOnlyWhenAsked_data()
    {
        QTest::addColumn<QByteArray>("rules");   // QT_LOGGING_RULES, empty for none
        QTest::addColumn<QByteArray>("config");  // a QT_LOGGING_CONF file's rules, empty for none
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("no rules of the user's") << QByteArray() << QByteArray() << QByteArray("info=0 warning=1");
        QTest::newRow("asked for by name")
            << QByteArray("qt.webenginecontext.info=true") << QByteArray() << QByteArray("info=1 warning=1");
        QTest::newRow("asked for with all of Qt's")
            << QByteArray("qt.*=true") << QByteArray() << QByteArray("info=1 warning=1");
        QTest::newRow("other categories asked for")
            << QByteArray("qt.qpa.*=true;skerrywind.bench.info=true") << QByteArray() << QByteArray("info=0 warning=1");
        QTest::newRow("asked for in a file")
            << QByteArray() << QByteArray("qt.webenginecontext.info=true") << QByteArray("info=1 warning=1");
    }
    void engineContextDumpOnlyWhenAsked()
    {
        QFETCH(QByteArray, rules);
        QFETCH(QByteArray, config);
        QFETCH(QByteArray, logged);
        skwtest::FreshUserFolders();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("QT_LOGGING_RULES");
        environment.remove("QT_LOGGING_CONF");
        if (!rules.isEmpty())
            environment.insert("QT_LOGGING_RULES", QString::fromLatin1(rules));
        if (!config.isEmpty()) {
            QFile file(skwtest::UserFolder() + "/logging.ini");
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Rules]\n" + config + '\n') > 0);
            environment.insert("QT_LOGGING_CONF", file.fileName());
        }
        QProcess child;
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(engineLogMode)});
        QVERIFY(child.waitForFinished());
        QCOMPARE(child.readAllStandardOutput().trimmed(), logged);
    }

    // The program's folders end up mode 0700: made so, or narrowed with a
    // line on stderr. One that is not a folder, or of another user, is left
    // as it is, said once; the program runs on.
    void folderPrivacy_data()
    {
        QTest::addColumn<QString>("found");  // the config folder: "missing", "file" or a mode
        skwtest::AddColumns<bool, int>("othersFolder", "action");
        QTest::addColumn<QString>("after");  // its mode afterwards, or "file"
        QTest::newRow("missing") << "missing" << false << int(platform::FolderChoice::Create) << "0700";
        QTest::newRow("private already") << "0700" << false << int(platform::FolderChoice::Nothing) << "0700";
        QTest::newRow("readable by all") << "0755" << false << int(platform::FolderChoice::Narrow) << "0700";
        QTest::newRow("writable by all") << "0777" << false << int(platform::FolderChoice::Narrow) << "0700";
        QTest::newRow("owner cannot write") << "0500" << false << int(platform::FolderChoice::Narrow) << "0700";
        QTest::newRow("set-group-id kept") << "2750" << false << int(platform::FolderChoice::Narrow) << "2700";
        QTest::newRow("another user's") << "0777" << true << int(platform::FolderChoice::LeaveAlone) << "0777";
        QTest::newRow("a file in its place") << "file" << false << int(platform::FolderChoice::LeaveAlone) << "file";
    }
    void folderPrivacy()
    {
        QFETCH(QString, found);
        QFETCH(bool, othersFolder);
        QFETCH(int, action);
        QFETCH(QString, after);
        skwtest::FreshUserFolders();
        const QString folder = platform::SettingsFolder();
        const QByteArray name = QFile::encodeName(folder);
        const uid_t owner = othersFolder ? 65534 : ::geteuid();
        const mode_t mode = found == "file" ? 0644 : found == "missing" ? 0 : found.toUInt(nullptr, 8);
        const platform::FolderChoice choice = platform::ChooseFolderPrivacy(
            name.toStdString(), {found != "missing", found != "file", owner, mode}, ::geteuid());
        QCOMPARE(int(choice.action), action);
        QCOMPARE(choice.notice.empty(),
                 action == platform::FolderChoice::Nothing || action == platform::FolderChoice::Create);

        if (othersFolder && ::geteuid() != 0)
            QSKIP("needs a folder of another user");
        if (found == "file")
            QVERIFY(QFile(folder).open(QIODevice::WriteOnly));
        else if (found != "missing")
            QVERIFY(QDir().mkpath(folder) && ::chmod(name.constData(), mode) == 0
                    && ::chown(name.constData(), owner, owner) == 0);
        const QStringList notices = platform::MakeProgramFoldersPrivate();
        QCOMPARE(notices.size(), choice.notice.empty() ? 0 : 1);
        struct stat info {};
        QCOMPARE(::stat(name.constData(), &info), 0);
        QCOMPARE(S_ISDIR(info.st_mode) ? QStringLiteral("%1").arg(info.st_mode & 07777, 4, 8, QChar(u'0')) : "file",
                 after);
        for (const QString& other : platform::ProgramFolders().mid(1))
            QVERIFY(::stat(QFile::encodeName(other).constData(), &info) == 0 && (info.st_mode & 07777) == 0700);
    }

    void socketAnswersOnlyWhileSomethingListens()
    {
        skwtest::FreshUserFolders();
        const std::string missing = (skwtest::UserFolder() + "/X0").toStdString();
        QVERIFY(!platform::SocketAnswers(missing));

        QLocalServer server;
        QVERIFY(server.listen(skwtest::UserFolder() + "/X1"));
        QVERIFY(platform::SocketAnswers(server.fullServerName().toStdString()));

        // A socket left behind by a server that is gone.
        const std::string stale = (skwtest::UserFolder() + "/X2").toStdString();
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, stale.c_str());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
        QVERIFY(QFileInfo::exists(QString::fromStdString(stale)));
        QVERIFY(!platform::SocketAnswers(stale));
    }
};

int main(int argc, char** argv)
{
    if (argc == 2 && qstrcmp(argv[1], prepareMode) == 0)
        return runPrepare(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], engineLogMode) == 0)
        return runEngineLog(argc, argv);
    return skwtest::TestMain<TestStartupEnvironment>(argc, argv);
}
#include "test_StartupEnvironment.moc"
