// One running program per user: what the listening side takes from a later
// start and what it drops, the hand-over, and where the socket lives.
#include "TestSupport.h"

#include "platform/system/Settings.h"
#include "platform/system/SingleInstance.h"

#include <QDir>

#include <latch>
#include <thread>

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

    // Only what is taken is answered; a dropped arrival leaves no trace, so
    // a later start's command line is the next one received. What came
    // before the receiver was set is held for it.
    void arrivals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("finish");
        QTest::addColumn<QStringList>("taken");
        const QByteArray atLimit(kMaxHandOverBytes, 'x');
        QTest::newRow("address") << FrameCommandLine("file:///a.html") << false << QStringList{"file:///a.html"};
        QTest::newRow("nothing to say") << FrameCommandLine("") << false << QStringList{""};
        QTest::newRow("non-ASCII") << FrameCommandLine("http://b\xc3\xbc" "cher.example/\xf0\x9f\x98\x80") << false
                                   << QStringList{QStringLiteral("http://b\u00fccher.example/\U0001F600")};
        QTest::newRow("at the limit") << FrameCommandLine(atLimit) << false << QStringList{QString::fromLatin1(atLimit)};
        QTest::newRow("over the limit") << FrameCommandLine(atLimit + 'x') << false << QStringList();
        QTest::newRow("a megabyte") << FrameCommandLine(QByteArray(1 << 20, 'x')) << false << QStringList();
        QTest::newRow("length of 4 GiB") << QByteArray("\xff\xff\xff\xff" "file:", 9) << false << QStringList();
        QTest::newRow("lone continuation byte") << FrameCommandLine("file:///\x80") << false << QStringList();
        QTest::newRow("surrogate") << FrameCommandLine("file:///\xed\xa0\x80") << false << QStringList();
        QTest::newRow("sequence cut short") << FrameCommandLine("file:///\xe2\x82") << false << QStringList();
        QTest::newRow("NUL") << FrameCommandLine(QByteArray("file:///\0x", 10)) << false << QStringList();
        QTest::newRow("bytes after the message") << FrameCommandLine("file:///a") + "b" << false << QStringList();
        QTest::newRow("cut short, then closed") << FrameCommandLine("file:///a").left(8) << true << QStringList();
        QTest::newRow("nothing, then closed") << QByteArray() << true << QStringList();
        QTest::newRow("silent, kept open") << QByteArray() << false << QStringList();
    }
    void arrivals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, finish);
        QFETCH(QStringList, taken);

        QCOMPARE(skwtest::SendToSocket(socket(), bytes, finish), taken.isEmpty() ? QByteArray() : QByteArray("ok"));
        platform::SingleInstance later;
        QCOMPARE(later.HandOver(QStringLiteral("file:///next.html -notoolbar")), std::optional<int>(0));
        QVERIFY(later.ListeningSocket().empty());

        running->SetReceiver([this](const QString& commandLine) { received << commandLine; });
        QTRY_COMPARE(received, taken + QStringList{"file:///next.html -notoolbar"});
    }

    // A command line too long for a message is not handed over: that start
    // ends with status 1, and nothing reaches the running program.
    void overlongCommandLine()
    {
        platform::SingleInstance later;
        QCOMPARE(later.HandOver(QString(kMaxHandOverBytes + 1, u'x')), std::optional<int>(1));
        QCOMPARE(skwtest::SendToSocket(socket(), FrameCommandLine("x")), QByteArray("ok"));
    }

    // A program that holds the lock but does not listen (it hangs in its
    // start, or it is ending): after the two seconds the later start runs on
    // its own, without listening.
    void programHoldingTheLock()
    {
        const QString path = socket();
        running.reset();
        const int lock = ::open((path.chopped(int(strlen("socket"))) + "lock").toLocal8Bit(), O_RDWR | O_CLOEXEC);
        QVERIFY(::flock(lock, LOCK_EX | LOCK_NB) == 0);

        platform::SingleInstance later;
        QCOMPARE(later.HandOver(QStringLiteral("file:///a.html")), std::nullopt);
        QVERIFY(later.ListeningSocket().empty());
        ::close(lock);
    }

    // Starts at the same moment, many times over: exactly one listens, and
    // each of the others hands its command line over to it.
    void simultaneousStarts()
    {
        constexpr int kStarts = 5;
        running.reset();
        for (int round = 0; round < 100; ++round) {
            std::vector<platform::SingleInstance> starts(kStarts);
            std::vector<std::optional<int>> statuses(kStarts);
            std::latch gate(kStarts);
            std::vector<std::thread> threads;
            for (int i = 0; i < kStarts; ++i)
                threads.emplace_back([&, i] { gate.arrive_and_wait(); statuses[size_t(i)] = starts[size_t(i)].HandOver({}); });
            for (std::thread& thread : threads)
                thread.join();
            QCOMPARE(std::count(statuses.begin(), statuses.end(), std::optional<int>(0)), long(kStarts - 1));
            QCOMPARE(std::count_if(starts.begin(), starts.end(), [](auto& s) { return !s.ListeningSocket().empty(); }), 1L);
        }
    }

    // The runtime folder when only the user can reach it, else a private
    // folder of the user's own under $TMPDIR; one socket per config folder,
    // however it is named.
    void place_data()
    {
        QTest::addColumn<QString>("runtimeMode");   // "" for an unset variable
        QTest::addColumn<QString>("fallbackMode");  // "" when nothing is there before
        QTest::addColumn<QString>("expected");      // "runtime", "fallback" or "" for none
        QTest::newRow("private") << "0700" << "" << "runtime";
        QTest::newRow("open to others") << "0755" << "" << "fallback";
        QTest::newRow("not writable") << "0500" << "" << "fallback";
        QTest::newRow("unset") << "" << "" << "fallback";
        QTest::newRow("fallback open to others") << "" << "0755" << "";
    }
    void place()
    {
        QFETCH(QString, runtimeMode);
        QFETCH(QString, fallbackMode);
        QFETCH(QString, expected);
        const QString root = skwtest::UserFolder();
        const QString runtime = root + "/rt";
        const QString fallback = root + QStringLiteral("/skerrywind-%1").arg(::geteuid());
        for (const auto& [folder, mode] : {std::pair{runtime, runtimeMode}, std::pair{fallback, fallbackMode}}) {
            if (!mode.isEmpty())
                QVERIFY(QDir().mkdir(folder) && ::chmod(folder.toLocal8Bit(), mode.toUInt(nullptr, 8)) == 0);
        }
        const auto placeFor = [&](const QString& config) {
            return platform::ChooseInstancePlace(runtimeMode.isEmpty() ? nullptr : runtime.toLocal8Bit().constData(),
                                                 root.toLocal8Bit().constData(), config);
        };

        const platform::InstancePlace place = placeFor(platform::SettingsFolder());
        QCOMPARE(place.socket.empty() ? QString() : QFileInfo(QString::fromStdString(place.socket)).path(),
                 expected == "runtime" ? runtime : expected == "fallback" ? fallback : QString());
        QCOMPARE(place.notice.empty(), !expected.isEmpty());
        QVERIFY(QFile::link(root + "/config", root + "/linked"));
        QCOMPARE(placeFor(root + "/linked/skerrywind/").socket, place.socket);
        QVERIFY(expected.isEmpty() || placeFor(root + "/other").socket != place.socket);
    }
};

SKERRYWIND_TEST_MAIN(TestSingleInstance)
#include "test_SingleInstance.moc"
