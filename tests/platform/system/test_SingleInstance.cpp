// One running program per user and profile: what the listening side takes
// from a later start and what it drops, the hand-over and when it is refused,
// which starts meet, and where the sockets live.
#include "TestSupport.h"

#include "platform/system/Settings.h"
#include "platform/system/SingleInstance.h"

#include <QDir>

#include <chrono>
#include <future>
#include <latch>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::FrameCommandLine;
using platform::kMaxHandOverBytes;

namespace {
constexpr int kHangBoundMs = 30000;

template <class T>
bool ready(const std::future<T>& future)
{
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// Runs `work` on a thread of its own while this (the main) thread lets
// events run, as a running program's main thread does; its result once done.
template <class Work>
auto whileTakingEvents(Work work)
{
    auto future = std::async(std::launch::async, std::move(work));
    if (!QTest::qWaitFor([&] { return ready(future); }, kHangBoundMs))
        qFatal("a hand-over hangs");
    return future.get();
}
}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    std::unique_ptr<platform::SingleInstance> running;
    QStringList received;

    QString socket() const { return QString::fromStdString(running->ListeningSocket()); }
    QByteArray send(const QByteArray& bytes, bool finish = false)
    {
        return whileTakingEvents(
            [path = socket(), bytes, finish] { return skwtest::SendToSocket(path, bytes, finish); });
    }
    std::optional<int> start(platform::SingleInstance& later, const QString& commandLine)
    {
        return whileTakingEvents([&later, commandLine] { return later.HandOver(commandLine); });
    }
    void receive()
    {
        running->SetReceiver([this](const QString& commandLine) {
            received << commandLine;
            return true;
        });
    }

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        received.clear();
        running = std::make_unique<platform::SingleInstance>();
        QCOMPARE(running->HandOver(QString()), std::nullopt);
        running->Listen();
        QTRY_VERIFY(!socket().isEmpty());
    }
    void cleanup() { running.reset(); }

    // Only what is taken is answered; a dropped arrival leaves no trace, so
    // a later start's command line is the next one received. What came
    // before the receiver was set is held for it.
    void arrivals_data()
    {
        skwtest::AddColumns<QByteArray, bool, QStringList>("bytes", "finish", "taken");
        const QByteArray atLimit(kMaxHandOverBytes, 'x');
        QTest::newRow("address") << FrameCommandLine("file:///a.html") << false << QStringList{"file:///a.html"};
        QTest::newRow("nothing to say") << FrameCommandLine("") << false << QStringList{""};
        QTest::newRow("non-ASCII") << FrameCommandLine("http://b\xc3\xbc"
                                                       "cher.example/\xf0\x9f\x98\x80")
                                   << false << QStringList{QStringLiteral("http://b\u00fccher.example/\U0001F600")};
        QTest::newRow("at the limit") << FrameCommandLine(atLimit) << false
                                      << QStringList{QString::fromLatin1(atLimit)};
        QTest::newRow("over the limit") << FrameCommandLine(atLimit + 'x') << false << QStringList();
        QTest::newRow("a megabyte") << FrameCommandLine(QByteArray(1 << 20, 'x')) << false << QStringList();
        QTest::newRow("length of 4 GiB") << QByteArray("\xff\xff\xff\xff"
                                                       "file:",
                                                       9)
                                         << false << QStringList();
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

        QCOMPARE(send(bytes, finish), taken.isEmpty() ? QByteArray() : QByteArray("ok"));
        platform::SingleInstance later;
        QCOMPARE(start(later, QStringLiteral("file:///next.html -notoolbar")), std::optional<int>(0));
        QVERIFY(later.ListeningSocket().empty());

        receive();
        QTRY_COMPARE(received, taken + QStringList{"file:///next.html -notoolbar"});
    }

    // A command line too long for a message is not handed over: that start
    // ends with status 1, and nothing reaches the running program.
    void overlongCommandLine()
    {
        platform::SingleInstance later;
        QCOMPARE(later.HandOver(QString(kMaxHandOverBytes + 1, u'x')), std::optional<int>(1));
        QVERIFY(!later.NotResponding());
        QCOMPARE(send(FrameCommandLine("x")), QByteArray("ok"));
    }

    // The running program's main thread lets no events run (it hangs), or
    // the program holds the locks but does not listen (it hangs in its start
    // or its end): the later start is never told "taken" and never runs
    // beside it, it ends with status 1; a command line it gave up on is not
    // taken afterwards. A program that refuses (it is ending) is waited for:
    // once it is gone the later start runs.
    void notTaken_data()
    {
        skwtest::AddRows<QString>("running", {{"main thread lets no events run", "busy"},
                                              {"holds the locks, does not listen", "not listening"},
                                              {"refuses, then ends", "ending"}});
    }
    void notTaken()
    {
        QFETCH(QString, running);
        constexpr int kShortBoundMs = 300;
        const QString place = socket();
        int refused = 0;
        if (running == "ending")
            this->running->SetReceiver([&refused](const QString&) { return ++refused, false; });
        else
            receive();
        if (running == "not listening")
            this->running->StopListening();
        platform::SingleInstance later(running == "ending" ? platform::kStartOrEndTimeoutMs : kShortBoundMs);
        auto handOver =
            std::async(std::launch::async, [&later] { return later.HandOver(QStringLiteral("file:///late.html")); });

        if (running == "ending") {
            QTRY_VERIFY_WITH_TIMEOUT(refused > 0, kHangBoundMs);
            this->running.reset();
            QTRY_VERIFY_WITH_TIMEOUT(ready(handOver), kHangBoundMs);
            QCOMPARE(handOver.get(), std::nullopt);
            later.Listen();
            QTRY_COMPARE(QString::fromStdString(later.ListeningSocket()), place);
            return;
        }
        // This thread waits without letting events run.
        QCOMPARE(handOver.get(), std::optional<int>(1));
        QVERIFY(later.NotResponding());
        QVERIFY(later.ListeningSocket().empty());
        if (running == "busy") {
            platform::SingleInstance next;
            QCOMPARE(start(next, QStringLiteral("file:///next.html")), std::optional<int>(0));
            QTRY_COMPARE(received, QStringList{"file:///next.html"});
        }
    }

    // Starts at the same moment, many times over: exactly one holds the
    // locks and, once it lets events run, each of the others hands its
    // command line over to it.
    void simultaneousStarts()
    {
        constexpr int kStarts = 5;
        running.reset();
        for (int round = 0; round < 20; ++round) {
            std::vector<platform::SingleInstance> starts(kStarts);
            std::vector<std::future<std::optional<int>>> statuses;
            std::latch gate(kStarts);
            for (int i = 0; i < kStarts; ++i) {
                statuses.push_back(std::async(std::launch::async, [&, i] {
                    gate.arrive_and_wait();
                    return starts[size_t(i)].HandOver({});
                }));
            }
            // The one that runs listens once this thread lets events run
            // (for those that handed over, Listen does nothing).
            const auto listenWhenRunning = [&] {
                for (int i = 0; i < kStarts; ++i)
                    if (ready(statuses[size_t(i)]))
                        starts[size_t(i)].Listen();
                return std::all_of(statuses.begin(), statuses.end(), [](const auto& s) { return ready(s); });
            };
            QTRY_VERIFY_WITH_TIMEOUT(listenWhenRunning(), kHangBoundMs);
            std::vector<std::optional<int>> results;
            for (auto& status : statuses)
                results.push_back(status.get());
            QCOMPARE(std::count(results.begin(), results.end(), std::optional<int>(0)), long(kStarts - 1));
            QCOMPARE(std::count(results.begin(), results.end(), std::nullopt), 1L);
        }
    }

    // Two starts meet when they would share any of the program's folders:
    // the config folder, the data folder with the engine's profile, or the
    // cache; with none in common both run.
    void whoMeets_data()
    {
        QTest::addColumn<QStringList>("others");  // the folders the later start has of its own
        QTest::newRow("same folders") << QStringList();
        QTest::newRow("another config folder") << QStringList{"XDG_CONFIG_HOME"};
        QTest::newRow("another data folder") << QStringList{"XDG_DATA_HOME"};
        QTest::newRow("another config and data folder") << QStringList{"XDG_CONFIG_HOME", "XDG_DATA_HOME"};
        QTest::newRow("nothing in common") << QStringList{"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};
    }
    void whoMeets()
    {
        QFETCH(QStringList, others);
        receive();
        for (const QString& variable : others)
            qputenv(variable.toLatin1(), (skwtest::UserFolder() + "/other-" + variable).toUtf8());
        platform::SingleInstance later;
        const std::optional<int> status = start(later, QStringLiteral("file:///b.html"));
        QCOMPARE(status, others.size() == 3 ? std::nullopt : std::optional<int>(0));
        QTRY_COMPARE(received, others.size() == 3 ? QStringList() : QStringList{"file:///b.html"});
    }

    // The runtime folder when only the user can reach it and the socket's
    // path fits, else a private folder of the user's own under $TMPDIR; one
    // socket per folder, however it is named.
    void place_data()
    {
        QTest::addColumn<QString>("runtimeMode");   // "" for an unset variable
        QTest::addColumn<QString>("fallbackMode");  // "" when nothing is there before
        QTest::addColumn<bool>("longRuntimePath");
        QTest::addColumn<QString>("expected");  // "runtime", "fallback" or "" for none
        // clang-format off
        QTest::newRow("private") << "0700" << "" << false << "runtime";
        QTest::newRow("open to others") << "0755" << "" << false << "fallback";
        QTest::newRow("not writable") << "0500" << "" << false << "fallback";
        QTest::newRow("unset") << "" << "" << false << "fallback";
        QTest::newRow("socket path too long") << "0700" << "" << true << "fallback";
        QTest::newRow("fallback open to others") << "" << "0755" << false << "";
        // clang-format on
    }
    void place()
    {
        QFETCH(QString, runtimeMode);
        QFETCH(QString, fallbackMode);
        QFETCH(bool, longRuntimePath);
        QFETCH(QString, expected);
        const QString root = skwtest::UserFolder();
        const QString runtime = root + "/rt" + (longRuntimePath ? "/" + QString(80, u'r') : QString());
        const QString fallback = root + QStringLiteral("/skerrywind-%1").arg(::geteuid());
        for (const auto& [folder, mode] : {std::pair{runtime, runtimeMode}, std::pair{fallback, fallbackMode}}) {
            if (!mode.isEmpty())
                QVERIFY(QDir().mkpath(folder) && ::chmod(folder.toLocal8Bit(), mode.toUInt(nullptr, 8)) == 0);
        }
        const auto placeFor = [&](const QString& folder) {
            return platform::ChooseInstancePlace(runtimeMode.isEmpty() ? nullptr : runtime.toLocal8Bit().constData(),
                                                 root.toLocal8Bit().constData(), folder);
        };

        const platform::InstancePlace place = placeFor(platform::SettingsFolder());
        QCOMPARE(place.socket.empty() ? QString() : QFileInfo(QString::fromStdString(place.socket)).path(),
                 expected == "runtime"    ? runtime
                 : expected == "fallback" ? fallback
                                          : QString());
        QCOMPARE(place.notice.empty(), !expected.isEmpty());
        QVERIFY(QFile::link(root + "/config", root + "/linked"));
        QCOMPARE(placeFor(root + "/linked/skerrywind/").socket, place.socket);
        QVERIFY(expected.isEmpty() || placeFor(root + "/other").socket != place.socket);
    }
};

SKERRYWIND_TEST_MAIN(TestSingleInstance)
#include "test_SingleInstance.moc"
