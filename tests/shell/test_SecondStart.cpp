// SKERRYWIND_ENGINE_TEST: the real program started twice and five times at
// once, headless, in the test's own config and runtime folders; a later
// start beside one that hangs or ends; what a run leaves on disk.
#include "TestSupport.h"

#include "platform/system/PrivateFolders.h"
#include "platform/system/Settings.h"
#include "platform/system/SingleInstance.h"

#include <QDirIterator>
#include <QProcess>
#include <QUrl>

#include <csignal>

#include <sys/stat.h>

namespace {
constexpr int kTimeoutMs = 30000;

// The program on a page of the given title, with the environment changed
// as given; its captions (through the logging category the bench reads)
// and notices are collected from stderr.
struct Program : QProcess {
    explicit Program(const QString& pageTitle, const QStringList& environmentChanges = {}) : title(pageTitle)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LOGGING_RULES", "skerrywind.bench.info=true");
        environment.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging");
        for (const QString& change : environmentChanges)
            environment.insert(change.section(u'=', 0, 0), change.section(u'=', 1));
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
    // Stopped by a signal (SIGSTOP), as the system sees it.
    bool Stopped() const
    {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(processId()));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray fields = stat.readAll();
        return fields.mid(fields.lastIndexOf(") ") + 2).startsWith('T');
    }
    void Signal(int signalNumber) const { ::kill(pid_t(processId()), signalNumber); }
    QString title;
    QByteArray output;
};

// The mode of every folder and file below the program's folders, beside
// what they should be: the folders 0700, the files the program writes 0600.
QStringList modesOffMark()
{
    QStringList off;
    for (const QString& top : platform::ProgramFolders()) {
        QDirIterator it(top, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        for (QString path = top; !path.isEmpty(); path = it.hasNext() ? it.next() : QString()) {
            struct stat info {};
            if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
                continue;
            const bool own = QFileInfo(path).path() == top;  // the engine keeps its own below
            const mode_t wanted = S_ISDIR(info.st_mode) ? 0700 : own ? 0600 : (info.st_mode & 07777);
            if ((info.st_mode & 07777) != wanted)
                off << QStringLiteral("%1 %2").arg(info.st_mode & 07777, 4, 8, QChar(u'0')).arg(path);
        }
    }
    return off;
}
}  // namespace

class TestSecondStart : public skwtest::FreshFoldersTest {
    Q_OBJECT

private slots:
    void initTestCase() { ::umask(022); }

    // The second start ends with status 0 and the first shows its page next:
    // malformed messages sent in between got no answer and changed nothing.
    // A second start with a config folder of its own but the same data
    // folder (the engine's profile) meets the first too. After the run,
    // under umask 022, the program's folders are 0700 and its files 0600.
    void secondStart_data()
    {
        skwtest::AddRows<QString>("before", {{"nothing left over", ""},
                                             {"program killed, its socket left", "killed"},
                                             {"a file at the socket path", "file"},
                                             {"another config folder, the same data folder", "config"}});
    }
    void secondStart()
    {
        QFETCH(QString, before);
        const QString path = QString::fromStdString(
            platform::ChooseInstancePlace(qgetenv("XDG_RUNTIME_DIR"), qgetenv("TMPDIR"), platform::SettingsFolder())
                .socket);
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
        Program second("Two", before == "config" ? QStringList{"XDG_CONFIG_HOME=" + skwtest::UserFolder() + "/config2"}
                                                 : QStringList());

        QVERIFY2(second.EndedWell(), second.output);
        QTRY_VERIFY_WITH_TIMEOUT(first.Shows("Two"), kTimeoutMs);
        QVERIFY(!first.Shows("Bad"));
        QVERIFY2(!first.output.contains("on its own"), first.output);
        QFile moved(path + ".moved-" + QString::number(first.processId()));
        QCOMPARE(moved.open(QIODevice::ReadOnly) && moved.readAll() == "a user's words", before == "file");

        first.terminate();
        QVERIFY(first.EndedWell());
        QVERIFY(QFileInfo::exists(platform::SettingsFile(QStringLiteral("Skerwind32"))));
        QVERIFY(QFileInfo::exists(platform::ProgramFolders()[1] + "/history.txt"));
        QCOMPARE(modesOffMark(), QStringList());
    }

    // A later start beside a program whose main thread is stopped is never
    // taken: it says why, on stderr and in a box, and ends with status 1
    // (here the box is closed by SIGTERM). Beside a program that is ending
    // (it stopped taking command lines; here it stops itself right then,
    // its locks held) it waits, and runs once that program has ended.
    void besideAProgramThatDoesNotTake_data()
    {
        skwtest::AddRows<bool>("ending", {{"main thread stopped", false}, {"ending", true}});
    }
    void besideAProgramThatDoesNotTake()
    {
        QFETCH(bool, ending);
        Program first("One", ending ? QStringList{"SKERRYWIND_STOP_WHEN_ENDING=1"} : QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(first.Shows("One"), kTimeoutMs);
        if (ending)
            first.terminate();
        else
            first.Signal(SIGSTOP);
        QTRY_VERIFY_WITH_TIMEOUT(first.Stopped(), kTimeoutMs);

        Program second("Two");
        if (!ending) {
            QTRY_VERIFY_WITH_TIMEOUT(second.output.contains(platform::SingleInstance::NotRespondingText().toUtf8()),
                                     kTimeoutMs);
            second.terminate();
            QVERIFY(second.waitForFinished(kTimeoutMs));
            QCOMPARE(second.exitStatus(), QProcess::NormalExit);
            QCOMPARE(second.exitCode(), 1);
            QVERIFY(!second.Shows("Two"));
            first.Signal(SIGCONT);
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(second.output.contains("waiting for the program"), kTimeoutMs);
        QVERIFY(second.Runs() && !second.Shows("Two"));
        first.Signal(SIGCONT);
        QVERIFY(first.EndedWell());
        QTRY_VERIFY_WITH_TIMEOUT(second.Shows("Two"), kTimeoutMs);
        QVERIFY2(!second.output.contains("on its own") && !second.output.contains("not responding"), second.output);
        QVERIFY(!first.Shows("Two"));
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
