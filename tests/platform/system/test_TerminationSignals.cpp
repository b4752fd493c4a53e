// Termination signals close the main form the way a user does; a second one
// ends a program that did not end.
#include "TestSupport.h"

#include "platform/forms/Forms.h"
#include "platform/system/Settings.h"
#include "platform/system/TerminationSignals.h"

#include <QProcess>
#include <QSignalSpy>

#include <csignal>
#include <cstdio>

namespace {
constexpr int timeoutMs = 20000;
constexpr auto childMode = "--signalled-form";
constexpr auto refusingChildMode = "--signalled-form-refusing";

// Stands in for the main window: its unload stores a setting, as the main
// window stores preferences and placements.
class frmSignalled : public platform::Form {
public:
    frmSignalled() : Form(QStringLiteral("frmSignalled")) {}
    static inline bool refuse = false;

protected:
    void Form_Unload(int16_t& Cancel) override
    {
        platform::SaveSetting(QStringLiteral("Skerrywind"), QStringLiteral("Test"), QStringLiteral("Unloaded"),
                              QStringLiteral("yes"));
        std::printf("unload\n");
        std::fflush(stdout);
        if (refuse)
            Cancel = -1;
    }
};

int runChild(int argc, char** argv)
{
    skwtest::PrepareEnvironment();
    platform::Application app(argc, argv);
    frmSignalled::refuse = qstrcmp(argv[1], refusingChildMode) == 0;
    platform::Forms<frmSignalled>().Show();
    platform::TerminationSignals::install([](int) { platform::FormRegistry::UnloadIfLoaded<frmSignalled>(); });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
}  // namespace

class TestTerminationSignals : public QObject {
    Q_OBJECT

    bool waitForLine(QProcess& child, const QByteArray& line)
    {
        return QTest::qWaitFor([&] {
            child.waitForReadyRead(50);
            return child.canReadLine() && child.readLine().trimmed() == line;
        }, timeoutMs);
    }

private slots:
    void init() { skwtest::FreshUserFolders(); }

    void signalUnloadsTheFormAndEndsTheProgram_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void signalUnloadsTheFormAndEndsTheProgram()
    {
        QFETCH(int, signalNumber);
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(childMode)});
        QVERIFY(waitForLine(child, "ready"));

        QCOMPARE(::kill(pid_t(child.processId()), signalNumber), 0);

        QVERIFY(child.waitForFinished(timeoutMs));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(platform::GetSetting("Skerrywind", "Test", "Unloaded"), QStringLiteral("yes"));
    }

    void secondSignalEndsAProgramThatStayed()
    {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(refusingChildMode)});
        QVERIFY(waitForLine(child, "ready"));

        QCOMPARE(::kill(pid_t(child.processId()), SIGTERM), 0);
        QVERIFY(waitForLine(child, "unload"));
        QVERIFY(!child.waitForFinished(200));  // the form refused: still running

        QCOMPARE(::kill(pid_t(child.processId()), SIGTERM), 0);
        QVERIFY(child.waitForFinished(timeoutMs));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    }
};

int main(int argc, char** argv)
{
    if (argc == 2 && (qstrcmp(argv[1], childMode) == 0 || qstrcmp(argv[1], refusingChildMode) == 0))
        return runChild(argc, argv);
    skwtest::PrepareEnvironment();
    platform::Application app(argc, argv);
    app.WaitForWarmUp();  // it reads the environment
    skwtest::FreshUserFolders();
    TestTerminationSignals tc;
    return QTest::qExec(&tc, argc, argv);
}

#include "test_TerminationSignals.moc"
