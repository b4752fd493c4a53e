// The real program, started headless with stored preferences and placement: a
// termination signal at any moment of its start-up, an open error box
// included, ends it without a crash and without replacing what was stored;
// once it runs, a signal closes it as a user would and it stores its state.
// SKERRYWIND_ENGINE_TEST
#include "TestSupport.h"

#include "platform/system/Settings.h"

#include <QDir>
#include <QProcess>

#include <csignal>

namespace {
// Bounds a hang only: the program ends well within a second of the signal.
constexpr int kTimeoutMs = 30000;
const QString kPrefs = QStringLiteral("Skerrywind");
const QString kPlaces = QStringLiteral("Skerwind32");

QString page()
{
    return QUrl::fromLocalFile(QStringLiteral(SKERRYWIND_TEST_DATA) + QStringLiteral("/news.html")).toString();
}

// The stored state the program starts from.
QStringList storeAPreviousRun(const QString& width, const QString& showToolbar)
{
    platform::SaveSetting(kPrefs, "Prefs", "Default Homepage", page());
    platform::SaveSetting(kPrefs, "Prefs", "Default SearchPage", "file:///srv/search.html");
    platform::SaveSetting(kPrefs, "Prefs", "Show Toolbar", showToolbar);
    platform::SaveSetting(kPlaces, "frmMain", "Left", "1500");
    platform::SaveSetting(kPlaces, "frmMain", "Top", "1200");
    platform::SaveSetting(kPlaces, "frmMain", "Width", width);
    platform::SaveSetting(kPlaces, "frmMain", "Height", "6000");
    return {page(), "file:///srv/search.html", "1500", "1200", width, "6000"};
}

QStringList storedNow()
{
    QStringList now{platform::GetSetting(kPrefs, "Prefs", "Default Homepage"),
                    platform::GetSetting(kPrefs, "Prefs", "Default SearchPage")};
    for (const char* key : {"Left", "Top", "Width", "Height"})
        now << platform::GetSetting(kPlaces, "frmMain", key);
    return now;
}
}  // namespace

class TestProgramShutdown : public skwtest::FreshFoldersTest {
    Q_OBJECT

private slots:
    // The moments are the program's own nested loops (DoEvents, modal
    // boxes), at which it sends itself SIGTERM: the start-up runs about
    // eighteen before it rests. A stored width the window refuses, or a
    // show-toolbar value that is no truth value, opens an error box as the
    // first of them. "at once" signals as soon as the process exists, which
    // may be before its main() has begun (then the signal's own default
    // action ends it).
    void signalAtAnyMomentOfStartUp_data()
    {
        QTest::addColumn<int>("loop");  // 0: at once, from outside
        skwtest::AddColumns<QString, QString>("width", "showToolbar");
        // clang-format off
        QTest::newRow("at once") << 0 << "7500" << "True";
        // clang-format on
        for (int loop : {1, 2, 3, 4, 6, 8, 10, 12, 14, 16})
            // clang-format off
            QTest::newRow(qPrintable(QStringLiteral("loop %1").arg(loop))) << loop << "7500" << "True";
        QTest::newRow("error box: placement") << 1 << "-50" << "True";
        QTest::newRow("error box: preference") << 1 << "7500" << "maybe";
        QTest::newRow("error box: both") << 1 << "-50" << "maybe";
        // clang-format on
    }
    void signalAtAnyMomentOfStartUp()
    {
        QFETCH(int, loop);
        QFETCH(QString, width);
        QFETCH(QString, showToolbar);
        const QStringList stored = storeAPreviousRun(width, showToolbar);

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (loop > 0)
            env.insert(QStringLiteral("SKERRYWIND_SIGNAL_AT_LOOP"), QString::number(loop));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(SKERRYWIND_BINARY), {});
        QVERIFY(program.waitForStarted());
        if (loop == 0)
            ::kill(pid_t(program.processId()), SIGTERM);

        const bool ended = program.waitForFinished(kTimeoutMs);
        QVERIFY2(ended, "the program did not end after the signal");
        const QByteArray errors = program.readAllStandardError().right(2000);
        if (program.exitStatus() == QProcess::CrashExit)
            QVERIFY2(loop == 0 && program.exitCode() == SIGTERM, errors.constData());
        else
            QVERIFY2(program.exitCode() == 0, errors.constData());
        QCOMPARE(storedNow(), stored);
        const QString storedShow = platform::GetSetting(kPrefs, "Prefs", "Show Toolbar");
        QVERIFY2(storedShow == showToolbar || storedShow == u"False", qPrintable(storedShow));
    }

    void signalStoresPreferencesAndPlacement_data()
    {
        skwtest::AddRows<int>("signalNumber", {{"SIGTERM", SIGTERM}, {"SIGINT", SIGINT}});
    }
    void signalStoresPreferencesAndPlacement()
    {
        QFETCH(int, signalNumber);
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The program says when its title follows the page.
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("skerrywind.bench.info=true"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(SKERRYWIND_BINARY), {page(), QStringLiteral("-notoolbar")});
        QVERIFY(program.waitForStarted());

        QByteArray log;
        QVERIFY(QTest::qWaitFor(
            [&] {
                program.waitForReadyRead(50);
                log += program.readAllStandardError();
                return log.contains("caption frmMain Skerrywind v1.1.51a - [");
            },
            kTimeoutMs));
        QCOMPARE(program.state(), QProcess::Running);

        ::kill(program.processId(), signalNumber);
        QVERIFY(program.waitForFinished(kTimeoutMs));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QCOMPARE(platform::GetSetting(kPrefs, "Prefs", "Show Toolbar"), QStringLiteral("True"));
        for (const char* key : {"Left", "Top", "Width", "Height"})
            QVERIFY2(!platform::GetSetting(kPlaces, "frmMain", key).isEmpty(), key);
        QCOMPARE(platform::GetSetting(kPlaces, "frmMain", "Width"), QStringLiteral("4695"));
    }
};

SKERRYWIND_TEST_MAIN(TestProgramShutdown)
#include "test_ProgramShutdown.moc"
