// The real program, started headless on a local page: a termination signal
// closes it as a user would, and its preferences and placement are stored.
// SKERRYWIND_ENGINE_TEST
#include "TestSupport.h"

#include "platform/system/Settings.h"

#include <QDir>
#include <QProcess>

#include <csignal>

class TestProgramShutdown : public QObject {
    Q_OBJECT

    static constexpr int kTimeoutMs = 30000;

private slots:
    void init() { skwtest::FreshUserFolders(); }

    void signalStoresPreferencesAndPlacement_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void signalStoresPreferencesAndPlacement()
    {
        QFETCH(int, signalNumber);
        const QString page = QStringLiteral(SKERRYWIND_TEST_DATA) + QStringLiteral("/news.html");
        QVERIFY(QFileInfo::exists(page));

        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(SKERRYWIND_BINARY),
                      {QUrl::fromLocalFile(page).toString(), QStringLiteral("-notoolbar")});
        QVERIFY(program.waitForStarted());

        // The engine's profile folder appears once the page is being loaded.
        const QString profile = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/skerrywind");
        QVERIFY(QTest::qWaitFor([&] { return QDir(profile).exists(); }, kTimeoutMs));
        QTest::qWait(500);
        QCOMPARE(program.state(), QProcess::Running);

        ::kill(program.processId(), signalNumber);
        QVERIFY(program.waitForFinished(kTimeoutMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QCOMPARE(platform::GetSetting("Skerrywind", "Prefs", "Show Toolbar"), QStringLiteral("True"));
        for (const char* key : {"Left", "Top", "Width", "Height"})
            QVERIFY2(!platform::GetSetting("Skerwind32", "frmMain", key).isEmpty(), key);
        QCOMPARE(platform::GetSetting("Skerwind32", "frmMain", "Width"), QStringLiteral("4695"));
    }
};

SKERRYWIND_TEST_MAIN(TestProgramShutdown)
#include "test_ProgramShutdown.moc"
