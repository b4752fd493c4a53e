// SKERRYWIND_ENGINE_TEST: the real program started twice and five times at
// once, headless, each test in its own config and runtime folders: later
// starts hand their address to the one running and end with status 0, and
// what a crashed program or a stranger left at the socket's path is dealt with.
#include "TestSupport.h"

#include "platform/system/Settings.h"
#include "platform/system/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include <csignal>
#include <sys/stat.h>

namespace {
constexpr int kTimeoutMs = 30000;

// The program, with its captions (through the logging category the bench
// reads) and its notices collected from stderr.
class Program : public QProcess {
public:
    explicit Program(const QString& title)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LOGGING_RULES", "skerrywind.bench.info=true");
        environment.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging");
        setProcessEnvironment(environment);
        connect(this, &QProcess::readyReadStandardError, [this] { output += readAllStandardError(); });
        start(QStringLiteral(SKERRYWIND_BINARY), {page(title)});
    }
    ~Program() override
    {
        terminate();
        waitForFinished(kTimeoutMs);
    }
    bool Shows(const QString& title) const
    {
        return output.contains("caption frmMain Skerrywind v1.1.51a - [" + title.toUtf8() + "]\n");
    }
    bool EndedWell()
    {
        return (state() == NotRunning || waitForFinished(kTimeoutMs)) && exitStatus() == NormalExit && exitCode() == 0;
    }
    static QString page(const QString& title)
    {
        const QString path = skwtest::UserFolder() + '/' + title + ".html";
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("<!DOCTYPE html><title>" + title.toUtf8() + "</title><p>" + title.toUtf8());
        return QUrl::fromLocalFile(path).toString();
    }
    QByteArray output;
};

QString socketPath()
{
    return QString::fromStdString(platform::ChooseInstancePlace(qgetenv("XDG_RUNTIME_DIR").constData(),
                                                                qgetenv("TMPDIR").constData(), platform::SettingsFolder())
                                      .socket);
}
}  // namespace

class TestSecondStart : public QObject {
    Q_OBJECT

    QByteArray tmpFolder = qgetenv("TMPDIR");

private slots:
    void init() { skwtest::FreshUserFolders(); }
    void cleanup()
    {
        ::chmod(qgetenv("XDG_RUNTIME_DIR").constData(), 0700);
        qputenv("TMPDIR", tmpFolder);
    }

    void secondStart_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("nothing left over") << "";
        QTest::newRow("program killed") << "killed";
        QTest::newRow("stale socket") << "stale socket";
        QTest::newRow("a file at the socket path") << "file";
        QTest::newRow("runtime folder not writable") << "runtime folder";
    }
    void secondStart()
    {
        QFETCH(QString, before);
        if (before == "runtime folder") {
            QVERIFY(::chmod(qgetenv("XDG_RUNTIME_DIR").constData(), 0500) == 0);
            qputenv("TMPDIR", skwtest::UserFolder().toLocal8Bit());
        }
        const QString path = socketPath();
        if (before == "killed") {
            Program killed("Zero");
            QTRY_VERIFY_WITH_TIMEOUT(killed.Shows("Zero"), kTimeoutMs);
            killed.kill();
            QVERIFY(killed.waitForFinished(kTimeoutMs));
            QVERIFY(QFileInfo(path).exists());
        } else if (before == "stale socket") {
            ::close(skwtest::ListenOnSocket(path));
        } else if (before == "file") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("a user's words") > 0);
        }

        Program first("One");
        QTRY_VERIFY_WITH_TIMEOUT(first.Shows("One"), kTimeoutMs);
        for (const QByteArray& bad :
             {platform::FrameCommandLine(Program::page("Bad").toUtf8() + "\xff"), QByteArray("\0\x10\0\0", 4)})
            QCOMPARE(skwtest::SendToSocket(path, bad, true), QByteArray());
        Program second("Two");

        QVERIFY(second.EndedWell());
        QTRY_VERIFY_WITH_TIMEOUT(first.Shows("Two"), kTimeoutMs);
        QVERIFY(!first.Shows("Bad"));
        QVERIFY2(!first.output.contains("on its own"), first.output);
        if (before == "file") {
            QVERIFY(first.output.contains("was not a socket; moved to"));
            QFile moved(path + ".moved-" + QString::number(first.processId()));
            QVERIFY(moved.open(QIODevice::ReadOnly));
            QCOMPARE(moved.readAll(), QByteArray("a user's words"));
        }
    }

    // Five starts at the same moment leave one program, which received the
    // other four addresses: each of those starts ended with status 0, which
    // the running program answers only once it has taken the address.
    void fiveSimultaneousStarts()
    {
        const QStringList titles {"P1", "P2", "P3", "P4", "P5"};
        std::vector<std::unique_ptr<Program>> programs;
        for (const QString& title : titles)
            programs.push_back(std::make_unique<Program>(title));

        const auto ended = [&] {
            return int(std::count_if(programs.begin(), programs.end(),
                                     [](const auto& p) { return p->state() == QProcess::NotRunning; }));
        };
        QTRY_COMPARE_WITH_TIMEOUT(ended(), 4, kTimeoutMs);
        Program* survivor = nullptr;
        QStringList others;
        for (size_t i = 0; i < programs.size(); ++i) {
            if (programs[i]->state() != QProcess::NotRunning) {
                survivor = programs[i].get();
                continue;
            }
            QVERIFY2(programs[i]->EndedWell(), programs[i]->output);
            others << titles[int(i)];
        }
        // The addresses it received come after its own, so the last one it
        // shows is one of them.
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(others.begin(), others.end(), [&](const QString& t) { return survivor->Shows(t); }),
                                 kTimeoutMs);
        QVERIFY2(!survivor->output.contains("on its own"), survivor->output);
    }
};

SKERRYWIND_TEST_MAIN(TestSecondStart)
#include "test_SecondStart.moc"
