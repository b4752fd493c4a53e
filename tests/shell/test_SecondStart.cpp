// SKERRYWIND_ENGINE_TEST: the real program started twice and five times at
// once, headless, in the test's own config and runtime folders.
#include "TestSupport.h"

#include "platform/system/Settings.h"
#include "platform/system/SingleInstance.h"

#include <QProcess>
#include <QUrl>

namespace {
constexpr int kTimeoutMs = 30000;

// The program on a page of the given title; its captions (through the
// logging category the bench reads) and notices are collected from stderr.
struct Program : QProcess {
    explicit Program(const QString& pageTitle) : title(pageTitle)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LOGGING_RULES", "skerrywind.bench.info=true");
        environment.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging");
        setProcessEnvironment(environment);
        connect(this, &QProcess::readyReadStandardError, [this] { output += readAllStandardError(); });
        QFile page(skwtest::UserFolder() + '/' + title + ".html");
        if (page.open(QIODevice::WriteOnly))
            page.write("<title>" + title.toUtf8() + "</title>");
        start(QStringLiteral(SKERRYWIND_BINARY), {QUrl::fromLocalFile(page.fileName()).toString()});
    }
    ~Program() override
    {
        terminate();
        waitForFinished(kTimeoutMs);
    }
    bool Shows(const QString& pageTitle) const { return output.contains("v1.1.51a - [" + pageTitle.toUtf8() + "]\n"); }
    bool EndedWell()
    {
        return (state() == NotRunning || waitForFinished(kTimeoutMs)) && exitStatus() == NormalExit && exitCode() == 0;
    }
    bool Runs() const { return state() != NotRunning; }
    QString title;
    QByteArray output;
};
}  // namespace

class TestSecondStart : public QObject {
    Q_OBJECT

private slots:
    void init() { skwtest::FreshUserFolders(); }

    // The second start ends with status 0 and the first shows its page next:
    // malformed messages sent in between got no answer and changed nothing.
    void secondStart_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("nothing left over") << "";
        QTest::newRow("program killed, its socket left") << "killed";
        QTest::newRow("a file at the socket path") << "file";
    }
    void secondStart()
    {
        QFETCH(QString, before);
        const QString path = QString::fromStdString(
            platform::ChooseInstancePlace(qgetenv("XDG_RUNTIME_DIR"), qgetenv("TMPDIR"), platform::SettingsFolder()).socket);
        if (before == "killed") {
            Program killed("Zero");
            QTRY_VERIFY_WITH_TIMEOUT(killed.Shows("Zero"), kTimeoutMs);
            killed.kill();
            QVERIFY(killed.waitForFinished(kTimeoutMs) && QFileInfo(path).exists());
        } else if (before == "file") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("a user's words") > 0);
        }

        Program first("One");
        QTRY_VERIFY_WITH_TIMEOUT(first.Shows("One"), kTimeoutMs);
        const QByteArray bad = QUrl::fromLocalFile(skwtest::UserFolder() + "/Bad.html").toEncoded();
        QCOMPARE(skwtest::SendToSocket(path, platform::FrameCommandLine(bad + "\xff"), true), QByteArray());
        QCOMPARE(skwtest::SendToSocket(path, QByteArray("\0\x10\0\0", 4) + bad, true), QByteArray());
        Program second("Two");

        QVERIFY(second.EndedWell());
        QTRY_VERIFY_WITH_TIMEOUT(first.Shows("Two"), kTimeoutMs);
        QVERIFY(!first.Shows("Bad"));
        QVERIFY2(!first.output.contains("on its own"), first.output);
        QFile moved(path + ".moved-" + QString::number(first.processId()));
        QCOMPARE(moved.open(QIODevice::ReadOnly) && moved.readAll() == "a user's words", before == "file");
    }

    // Five starts at the same moment leave one program, which received the
    // other four addresses: each of those starts ended with status 0, given
    // only once the address is taken, and it shows one of them last, as they
    // come after its own.
    void fiveSimultaneousStarts()
    {
        std::vector<std::unique_ptr<Program>> programs;
        for (const char* title : {"P1", "P2", "P3", "P4", "P5"})
            programs.push_back(std::make_unique<Program>(title));
        const auto runs = [](const auto& program) { return program->Runs(); };
        QTRY_COMPARE_WITH_TIMEOUT(std::count_if(programs.begin(), programs.end(), runs), 1L, kTimeoutMs);

        const Program& survivor = **std::find_if(programs.begin(), programs.end(), runs);
        for (const auto& program : programs)
            QVERIFY2(program->Runs() || program->EndedWell(), program->output);
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(programs.begin(), programs.end(),
                                             [&](const auto& p) { return !p->Runs() && survivor.Shows(p->title); }),
                                 kTimeoutMs);
        QVERIFY2(!survivor.output.contains("on its own"), survivor.output);
    }
};

SKERRYWIND_TEST_MAIN(TestSecondStart)
#include "test_SecondStart.moc"
