// Termination signals close the main form the way a user does, also one that
// came before the event loop ran; a second one ends a program that did not end.
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
constexpr auto earlyChildMode = "--signalled-before-the-application";

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

// As main() does: the signals caught first of all, the handler set once the
// application exists. The early child signals itself before that.
int runChild(int argc, char** argv)
{
    platform::TerminationSignals::Install();
    if (qstrcmp(argv[1], earlyChildMode) == 0)
        std::raise(SIGTERM);
    skwtest::PrepareEnvironment();
    platform::Application app(argc, argv);
    frmSignalled::refuse = qstrcmp(argv[1], refusingChildMode) == 0;
    platform::TerminationSignals::SetHandler([](int) {
        platform::FormRegistry::UnloadIfLoaded<frmSignalled>();
        if (platform::FormRegistry::IsLoaded<frmSignalled>()) {
            std::printf("stayed\n");
            std::fflush(stdout);
        }
    });
    platform::Forms<frmSignalled>().Show();
    std::printf("ready\n");
    std::fflush(stdout);
    return app.Run();
}
}  // namespace

class TestTerminationSignals : public skwtest::FreshFoldersTest {
    Q_OBJECT

    bool waitForLine(QProcess& child, const QByteArray& line)
    {
        return QTest::qWaitFor(
            [&] {
                child.waitForReadyRead(50);
                return child.canReadLine() && child.readLine().trimmed() == line;
            },
            timeoutMs);
    }

private slots:
    void signalUnloadsTheFormAndEndsTheProgram_data()
    {
        QTest::addColumn<int>("signalNumber");  // 0: the child signals itself before the application exists
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("before the event loop") << 0;
    }
    void signalUnloadsTheFormAndEndsTheProgram()
    {
        QFETCH(int, signalNumber);
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(signalNumber ? childMode : earlyChildMode)});
        QVERIFY(waitForLine(child, "ready"));

        if (signalNumber)
            QCOMPARE(::kill(pid_t(child.processId()), signalNumber), 0);

        // The early child may have ended while its "ready" was being read.
        QVERIFY(child.state() == QProcess::NotRunning || child.waitForFinished(timeoutMs));
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
        QVERIFY(waitForLine(child, "stayed"));  // the form refused

        QCOMPARE(::kill(pid_t(child.processId()), SIGTERM), 0);
        QVERIFY(child.waitForFinished(timeoutMs));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    }
};

int main(int argc, char** argv)
{
    if (argc == 2
        && (qstrcmp(argv[1], childMode) == 0 || qstrcmp(argv[1], refusingChildMode) == 0
            || qstrcmp(argv[1], earlyChildMode) == 0))
        return runChild(argc, argv);
    return skwtest::TestMain<TestTerminationSignals>(argc, argv);
}

#include "test_TerminationSignals.moc"
