// One running program per user: what the listening side takes from a later
// start and what it drops, the hand-over itself, and where the socket lives.
#include "TestSupport.h"

#include "platform/system/Settings.h"
#include "platform/system/SingleInstance.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::FrameCommandLine;
using platform::kMaxHandOverBytes;

class TestSingleInstance : public QObject {
    Q_OBJECT

    std::unique_ptr<platform::SingleInstance> running;
    QStringList received;

    void receive() { running->SetReceiver([this](const QString& commandLine) { received << commandLine; }); }
    QString socket() const { return QString::fromStdString(running->ListeningSocket()); }

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        received.clear();
        running = std::make_unique<platform::SingleInstance>();
        QCOMPARE(running->HandOver(QString()), std::nullopt);
        QVERIFY(!socket().isEmpty());
    }
    void cleanup() { running.reset(); }

    // Whatever arrives, the running side answers only what it took, and an
    // arrival it drops leaves no trace: the next message is the next taken.
    void arrivals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("finish");
        QTest::addColumn<QStringList>("taken");
        const auto frame = [](const QByteArray& text) { return FrameCommandLine(text); };
        const QByteArray atLimit(kMaxHandOverBytes, 'x');
        QTest::newRow("address") << frame("file:///tmp/a.html") << false << QStringList{"file:///tmp/a.html"};
        QTest::newRow("no arguments") << frame("") << false << QStringList{""};
        QTest::newRow("only the switch") << frame("-notoolbar") << false << QStringList{"-notoolbar"};
        QTest::newRow("a word, no URL") << frame("www.example.org") << false << QStringList{"www.example.org"};
        QTest::newRow("non-ASCII") << frame("http://b\xc3\xbc" "cher.example/\xf0\x9f\x98\x80") << false
                                   << QStringList{QStringLiteral("http://b\u00fccher.example/\U0001F600")};
        QTest::newRow("at the limit") << frame(atLimit) << false << QStringList{QString::fromLatin1(atLimit)};
        QTest::newRow("over the limit") << frame(atLimit + 'x') << false << QStringList();
        QTest::newRow("a megabyte") << frame(QByteArray(1 << 20, 'x')) << false << QStringList();
        QTest::newRow("length of 4 GiB") << QByteArray("\xff\xff\xff\xff" "file:///a", 13) << false << QStringList();
        QTest::newRow("lone continuation byte") << frame("file:///\x80") << false << QStringList();
        QTest::newRow("overlong slash") << frame("file:\xc0\xaf") << false << QStringList();
        QTest::newRow("surrogate") << frame("file:///\xed\xa0\x80") << false << QStringList();
        QTest::newRow("beyond U+10FFFF") << frame("file:///\xf4\x90\x80\x80") << false << QStringList();
        QTest::newRow("sequence cut short") << frame("file:///\xe2\x82") << false << QStringList();
        QTest::newRow("NUL") << frame(QByteArray("file:///\0x", 10)) << false << QStringList();
        QTest::newRow("bytes after the message") << frame("file:///a") + "b" << false << QStringList();
        QTest::newRow("cut short, then closed") << frame("file:///a").left(8) << true << QStringList();
        QTest::newRow("length cut short, then closed") << QByteArray(2, '\0') << true << QStringList();
        QTest::newRow("nothing, then closed") << QByteArray() << true << QStringList();
        QTest::newRow("silent, kept open") << QByteArray() << false << QStringList();
    }
    void arrivals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, finish);
        QFETCH(QStringList, taken);
        receive();

        QCOMPARE(skwtest::SendToSocket(socket(), bytes, finish), taken.isEmpty() ? QByteArray() : QByteArray("ok"));
        QCOMPARE(skwtest::SendToSocket(socket(), FrameCommandLine("next")), QByteArray("ok"));

        QTRY_COMPARE(received, taken + QStringList{"next"});
    }

    // A later start in the same folders: its command line, as the program
    // would read it, is held until a receiver takes it; one too long for a
    // message is refused and the start ends with status 1.
    void handOver_data()
    {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("taken");
        QTest::newRow("address and switch") << QByteArrayList{"file:///a.html", "-notoolbar"} << 0
                                            << QStringList{"file:///a.html -notoolbar"};
        QTest::newRow("no arguments") << QByteArrayList{} << 0 << QStringList{""};
        QTest::newRow("not UTF-8") << QByteArrayList{"file:///caf\xe9.html"} << 0
                                   << QStringList{QStringLiteral("file:///caf\uFFFD.html")};
        QTest::newRow("at the limit") << QByteArrayList{QByteArray(kMaxHandOverBytes, 'x')} << 0
                                      << QStringList{QString(kMaxHandOverBytes, u'x')};
        QTest::newRow("a megabyte") << QByteArrayList{QByteArray(1 << 20, 'x')} << 1 << QStringList();
    }
    void handOver()
    {
        QFETCH(QByteArrayList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, taken);
        std::vector<char*> argv{const_cast<char*>("skerrywind")};
        for (QByteArray& argument : arguments)
            argv.push_back(argument.data());

        platform::SingleInstance later;
        QCOMPARE(later.HandOver(int(argv.size()), argv.data()), std::optional<int>(status));
        QVERIFY(later.ListeningSocket().empty());

        receive();
        QCOMPARE(skwtest::SendToSocket(socket(), FrameCommandLine("next")), QByteArray("ok"));
        QTRY_COMPARE(received, taken + QStringList{"next"});
    }

    // A program that holds the lock but does not answer (it hangs, or it is
    // ending and no longer listens): after the two seconds the later start
    // runs on its own, without listening.
    void hangingProgram_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::newRow("listening, never answering") << true;
        QTest::newRow("not listening") << false;
    }
    void hangingProgram()
    {
        QFETCH(bool, listening);
        const QString path = socket();
        running.reset();
        const platform::InstancePlace place = platform::ChooseInstancePlace(
            qgetenv("XDG_RUNTIME_DIR").constData(), nullptr, platform::SettingsFolder());
        QCOMPARE(QString::fromStdString(place.socket), path);
        const int lock = ::open(place.lock.c_str(), O_RDWR | O_CLOEXEC);
        QVERIFY(::flock(lock, LOCK_EX | LOCK_NB) == 0);
        const int hanging = listening ? skwtest::ListenOnSocket(path) : -1;

        platform::SingleInstance later;
        QCOMPARE(later.HandOver(QStringLiteral("file:///a.html")), std::nullopt);
        QVERIFY(later.ListeningSocket().empty());
        ::close(hanging);
        ::close(lock);
    }

    // The folder of the socket: the runtime folder when only the user can
    // reach it, else a private folder of the user's own under $TMPDIR.
    void place_data()
    {
        QTest::addColumn<QString>("runtime");   // the runtime folder's state
        QTest::addColumn<QString>("fallback");  // what is at the fallback's path before
        QTest::addColumn<QString>("expected");  // "runtime", "fallback" or "" for none
        QTest::newRow("private") << "0700" << "" << "runtime";
        QTest::newRow("open to others") << "0755" << "" << "fallback";
        QTest::newRow("not writable") << "0500" << "" << "fallback";
        QTest::newRow("missing") << "missing" << "" << "fallback";
        QTest::newRow("unset") << "unset" << "" << "fallback";
        QTest::newRow("relative") << "relative" << "" << "fallback";
        QTest::newRow("fallback made before") << "unset" << "0700" << "fallback";
        QTest::newRow("fallback taken by a file") << "unset" << "file" << "";
        QTest::newRow("fallback open to others") << "unset" << "0755" << "";
    }
    void place()
    {
        QFETCH(QString, runtime);
        QFETCH(QString, fallback);
        QFETCH(QString, expected);
        const QString root = skwtest::UserFolder();
        const QString runtimeFolder = runtime == "relative" ? QStringLiteral("rt") : root + "/rt";
        const QString fallbackFolder = root + QStringLiteral("/skerrywind-%1").arg(::geteuid());
        const auto makeFolder = [](const QString& path, const QString& mode) {
            return QDir().mkdir(path) && ::chmod(path.toLocal8Bit(), mode_t(mode.toInt(nullptr, 8))) == 0;
        };
        if (runtime.startsWith('0'))
            QVERIFY(makeFolder(runtimeFolder, runtime));
        if (fallback == "file")
            QVERIFY(QFile(fallbackFolder).open(QIODevice::WriteOnly));
        else if (!fallback.isEmpty())
            QVERIFY(makeFolder(fallbackFolder, fallback));

        const platform::InstancePlace place = platform::ChooseInstancePlace(
            runtime == "unset" ? nullptr : runtimeFolder.toLocal8Bit().constData(), root.toLocal8Bit().constData(),
            platform::SettingsFolder());

        const QString folder = place.socket.empty() ? QString() : QFileInfo(QString::fromStdString(place.socket)).path();
        QCOMPARE(folder, expected == "runtime" ? runtimeFolder : expected == "fallback" ? fallbackFolder : QString());
        QCOMPARE(place.notice.empty(), !expected.isEmpty());
    }

    // Every way of naming one config folder gives one socket; another
    // config folder gives another.
    void socketNamePerConfigFolder()
    {
        const auto socketFor = [](const QString& configFolder) {
            return platform::ChooseInstancePlace(qgetenv("XDG_RUNTIME_DIR").constData(), nullptr, configFolder).socket;
        };
        const QString config = platform::SettingsFolder();
        QVERIFY(QDir().mkpath(config));
        QVERIFY(QFile::link(QFileInfo(config).path(), skwtest::UserFolder() + "/linked"));
        QCOMPARE(socketFor(config + "/"), socketFor(config));
        QCOMPARE(socketFor(config + "/../skerrywind"), socketFor(config));
        QCOMPARE(socketFor(skwtest::UserFolder() + "/linked/skerrywind"), socketFor(config));
        QVERIFY(socketFor(config + "2") != socketFor(config));
    }
};

SKERRYWIND_TEST_MAIN(TestSingleInstance)
#include "test_SingleInstance.moc"
