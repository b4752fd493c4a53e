// What the browser keeps across runs: files it did not write or cannot
// read, a disk that refuses the write, two programs writing one file, and
// the address history's ranking and bounds over it.
#include "FileSizeLimit.h"
#include "TestSupport.h"

#include "platform/engine/AddressHistory.h"
#include "platform/engine/SiteZoom.h"
#include "platform/system/RecentStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QUrl>

#include <cstdio>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using platform::AddressHistory;
using platform::RecentStore;

namespace {
constexpr int kHangBoundMs = 30000;
constexpr auto recordMode = "--record";
const QString kKind = QStringLiteral("test store 2");

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QStringList recordsOf(RecentStore& store)
{
    QStringList records;
    for (const RecentStore::Record& r : store.Records())
        records << r.key + u'=' + r.fields.join(u',');
    return records;
}

// A child run, as a second program: reads the history as a start does,
// says "ready", and once told to go records `count` addresses, each written
// at once.
int runRecorder(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const int count = QByteArray(argv[3]).toInt();
    AddressHistory::Addresses();
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof(line), stdin))
        return 2;
    for (int i = 0; i < count; ++i) {
        AddressHistory::Add(prefix + QString::number(i));
        AddressHistory::Store().Flush();
    }
    return 0;
}
}  // namespace

class TestRecentStore : public QObject {
    Q_OBJECT

    std::optional<RecentStore> store;

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        store.emplace(QStringLiteral("test.txt"), kKind, QStringLiteral("the test"), 1, 10);
    }
    void cleanup() { QVERIFY(skwtest::Boxes().empty()); }

    // A file the store did not write reads as empty or as its good lines
    // and is replaced whole, clean, at the next write. One it cannot read
    // whole (too big, a folder, not a file of the user's own) is moved
    // aside as it is and the store starts empty. What the store writes is
    // the user's alone, whatever the umask.
    void filesItDidNotWrite_data()
    {
        QTest::addColumn<QByteArray>("content");  // "(folder)", "(link)" for another user's file
        skwtest::AddColumns<QStringList, bool>("read", "movedAside");
        QByteArray noise;
        for (int i = 0; i < 4096; ++i)
            noise += char((i * 7919 + 13) % 256);
        QTest::newRow("binary noise") << noise << QStringList() << false;
        QTest::newRow("empty") << QByteArray() << QStringList() << false;
        QTest::newRow("another kind") << QByteArray("other store 2\na\t1\t5\n") << QStringList() << false;
        static const char mixed[] = "test store 2\r\na\t1\t9\r\nno field\nb\t2\t3\t4\n\t4\t4\nt\\tab\\\\\t5\t8\n"
                                    "a\t7\t2\nnul\0\t1\t7\nno time\t1\tx\n";
        QTest::newRow("good lines among bad ones")
            << QByteArray(mixed, sizeof(mixed) - 1) << QStringList{"a=1", "t\tab\\=5"} << false;
        QTest::newRow("older file without times, most recent first")
            << QByteArray("test store 1\nb\t2\na\t1\nb\t3\n") << QStringList{"b=2", "a=1"} << false;
        QTest::newRow("one line of 3 MB") << "test store 2\n" + QByteArray(3 << 20, 'x') + "\t1\t1\n"
                                          << QStringList() << false;
        QTest::newRow("20 MB") << "test store 2\na\t1\t1\n" + QByteArray(20 << 20, '\n') << QStringList() << true;
        QTest::newRow("a folder in its place") << QByteArray("(folder)") << QStringList() << true;
        QTest::newRow("a link to another user's file") << QByteArray("(link)") << QStringList() << true;
    }
    void filesItDidNotWrite()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, read);
        QFETCH(bool, movedAside);
        const QString path = store->FilePath();
        const QString aside = path + ".moved-" + QString::number(::getpid());
        if (content == "(folder)") {
            QVERIFY(QDir().mkpath(path + "/inside"));
        } else if (content == "(link)") {
            const QString theirs = skwtest::UserFolder() + "/theirs.txt";
            writeBytes(theirs, "test store 2\nsecret\t1\t1\n");
            if (::geteuid() == 0)
                QCOMPARE(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
            else
                QSKIP("needs a file of another user");
            QVERIFY(QDir().mkpath(RecentStore::DataFolder()) && QFile::link(theirs, path));
        } else {
            writeBytes(path, content);
        }
        QSignalSpy failures(&*store, &RecentStore::writeFailed);
        const mode_t mask = ::umask(022);

        QCOMPARE(recordsOf(*store), read);
        store->Put(QStringLiteral("new"), {QStringLiteral("1")});
        store->Close();
        ::umask(mask);

        QCOMPARE(failures.size(), 0);
        QCOMPARE(recordsOf(*store), QStringList{"new=1"} + read);
        QVERIFY(bytesOf(path).startsWith("test store 2\nnew\t1\t"));
        QCOMPARE(modeOf(path), mode_t(0600));
        QCOMPARE(modeOf(path + ".lock"), mode_t(0600));
        QCOMPARE(QFileInfo::exists(aside), movedAside);
        if (content == "(folder)")
            QVERIFY(QFileInfo(aside + "/inside").isDir());
        else if (content == "(link)")
            QVERIFY(QFileInfo(aside).isSymLink() && bytesOf(skwtest::UserFolder() + "/theirs.txt").contains("secret"));
        else if (movedAside)
            QCOMPARE(bytesOf(aside), content);
    }

    // A write the disk cuts short leaves the old file byte for byte and is
    // announced once however often it is tried; the records reach the disk
    // once it lets them.
    void writeRefused()
    {
        store->Put(QStringLiteral("old"), {QStringLiteral("1")});
        store->Flush();
        const QByteArray before = bytesOf(store->FilePath());
        QSignalSpy failures(&*store, &RecentStore::writeFailed);
        {
            skwtest::FileSizeLimit limit(8);
            for (int i = 0; i < 5; ++i) {
                store->Put(QStringLiteral("key %1").arg(i), {QString::number(i)});
                store->Flush();
            }
        }
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures[0][0].toString(), QStringLiteral("Cannot save the test (Path/File access error)"));
        QCOMPARE(bytesOf(store->FilePath()), before);
        store->Close();
        QCOMPARE(recordsOf(*store).size(), 6);
    }

    // Two programs on one file, each with what it read: a write merges with
    // what the file holds then. Both programs' records stay, the newer
    // change of a key wins, a counter counts both programs' changes, and a
    // clear leaves what the other changed after it.
    void twoWriters_data()
    {
        QTest::addColumn<QStringList>("steps");  // "<A|B> <put|count|remove|clear|flush> [key [value]]"
        QTest::addColumn<QStringList>("file");
        QTest::newRow("both keep theirs")
            << QStringList{"A put a 1", "B put b 2", "A flush", "B flush"} << QStringList{"b=2", "a=1"};
        QTest::newRow("the newer change wins, written first")
            << QStringList{"A put k 1", "B put k 2", "B flush", "A flush"} << QStringList{"k=2"};
        QTest::newRow("the newer change wins, written last")
            << QStringList{"B put k 2", "A put k 1", "B flush", "A flush"} << QStringList{"k=1"};
        QTest::newRow("an older removal leaves the newer change")
            << QStringList{"A put k 1", "A flush", "B read", "A remove k", "B put k 2", "B flush", "A flush"}
            << QStringList{"k=2"};
        QTest::newRow("counts add up") << QStringList{"A read",    "B read",  "A count k", "B count k",
                                                      "A count k", "A flush", "B flush"}
                                       << QStringList{"k=3"};
        QTest::newRow("a clear leaves what came after it")
            << QStringList{"A put x 1", "A flush", "B read", "A clear", "B put y 2", "B flush", "A flush"}
            << QStringList{"y=2"};
    }
    void twoWriters()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, file);
        RecentStore other(QStringLiteral("test.txt"), kKind, QStringLiteral("the test"), 1, 10);
        for (const QString& step : steps) {
            const QStringList words = step.split(u' ');
            RecentStore& s = words[0] == "A" ? *store : other;
            const QString& what = words[1];
            if (what == "put")
                s.Put(words[2], {words[3]});
            else if (what == "count")
                s.Change(words[2], [](const RecentStore::Record* r) {
                    return QStringList{QString::number(r ? r->fields[0].toInt() + 1 : 1)};
                });
            else if (what == "remove")
                s.Remove(words[2]);
            else if (what == "clear")
                s.Clear();
            else if (what == "flush")
                s.Flush();
            else
                s.Records();
        }
        RecentStore::CloseAll();
        QCOMPARE(recordsOf(*store), file);
    }

    // Two processes sharing the data folder, each having read the history
    // before either writes, record 50 addresses each, every one written at
    // once: all 100 are in the file afterwards.
    void twoPrograms()
    {
        std::vector<std::unique_ptr<QProcess>> programs;
        for (const char* prefix : {"https://one.example/", "https://two.example/"}) {
            programs.push_back(std::make_unique<QProcess>());
            programs.back()->start(QCoreApplication::applicationFilePath(), {recordMode, prefix, "50"});
        }
        for (const auto& program : programs) {
            QVERIFY(program->waitForReadyRead(kHangBoundMs));
            QCOMPARE(program->readLine(), QByteArray("ready\n"));
        }
        for (const auto& program : programs)
            program->write("go\n");
        for (const auto& program : programs) {
            QVERIFY(program->waitForFinished(kHangBoundMs));
            QCOMPARE(program->exitCode(), 0);
        }
        const QStringList addresses = AddressHistory::Addresses();
        QCOMPARE(addresses.size(), 100);
        for (int i = 0; i < 50; ++i)
            for (const char* prefix : {"https://one.example/", "https://two.example/"})
                QVERIFY(addresses.contains(prefix + QString::number(i)));
    }

    // Ranked by visits and how recent they are: most visited first, the
    // more recent among equals; a burst of addresses visited once cannot
    // push out one visited often, but visits long ago count less. The same
    // address right after itself is no new visit; addresses that carry their
    // content, and overlong ones, are not kept. All of it survives a restart.
    void addressHistory_data()
    {
        QTest::addColumn<QByteArray>("before");  // the history file, or empty
        QTest::addColumn<QStringList>("visits");
        QTest::addColumn<QStringList>("first");  // the head of the ranked list
        QTest::addColumn<int>("size");
        QTest::newRow("most visited, then most recent")
            << QByteArray() << QStringList{"a", "b", "a", "a", "c", "b", "d", ""} << QStringList{"b", "a", "d", "c"}
            << 4;
        QStringList burst;
        for (int i = 0; i < 50; ++i)
            burst << QStringLiteral("https://often.example/") << QStringLiteral("https://once.example/early-%1").arg(i);
        for (int i = 0; i < 2000; ++i)
            burst << QStringLiteral("https://once.example/?t=%1").arg(i);
        QTest::newRow("2,000 one-off visits")
            << QByteArray() << burst << QStringList{"https://often.example/", "https://once.example/?t=1999"}
            << AddressHistory::kCapacity;
        const QString longest = "https://x.example/" + QString(AddressHistory::kMaxAddressChars - 18, u'x');
        QTest::newRow("not kept") << QByteArray() << QStringList{"data:text/html,<p>hi",
                                                                 "javascript:alert(1)",
                                                                 "blob:https://x.example/1",
                                                                 "DATA:,x",
                                                                 " ",
                                                                 longest + "x",
                                                                 longest}
                                  << QStringList{longest} << 1;
        const qint64 now = QDateTime::currentMSecsSinceEpoch(), yearAgo = now - 365LL * 24 * 3600 * 1000;
        QTest::newRow("visits long ago count less")
            << QStringLiteral("skerrywind address history 2\nold\t50\t%1\nrecent\t2\t%2\n")
                   .arg(yearAgo)
                   .arg(now)
                   .toUtf8()
            << QStringList() << QStringList{"recent", "old"} << 2;
        QTest::newRow("an older file") << QByteArray("skerrywind address history 1\nx\t3\ny\t5\nz\t3\n")
                                       << QStringList() << QStringList{"y", "x", "z"} << 3;
    }
    void addressHistory()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, visits);
        QFETCH(QStringList, first);
        QFETCH(int, size);
        if (!before.isEmpty())
            writeBytes(AddressHistory::Store().FilePath(), before);
        for (const QString& address : visits)
            AddressHistory::Add(address);
        RecentStore::CloseAll();
        const QStringList ranked = AddressHistory::Addresses();
        QCOMPARE(ranked.mid(0, first.size()), first);
        QCOMPARE(ranked.size(), size);
    }

    // The zoom of a site reads as 100% unless the file holds a factor in the
    // engine's range; clearing forgets every site, on disk too.
    void siteZoom_data()
    {
        skwtest::AddColumns<QString, double>("stored", "factor");
        QTest::newRow("in range") << "1.5" << 1.5;
        QTest::newRow("too large") << "9" << 1.0;
        QTest::newRow("negative") << "-1" << 1.0;
        QTest::newRow("not a number") << "nan" << 1.0;
        QTest::newRow("words") << "large" << 1.0;
    }
    void siteZoom()
    {
        QFETCH(QString, stored);
        QFETCH(double, factor);
        using platform::SiteZoom;
        const QUrl page(QStringLiteral("https://example.org/page"));
        writeBytes(SiteZoom::Store().FilePath(), QStringLiteral("skerrywind site zoom 2\nhttps://example.org\t%1\t%2\n")
                                                     .arg(stored)
                                                     .arg(QDateTime::currentMSecsSinceEpoch())
                                                     .toUtf8());
        QCOMPARE(SiteZoom::Factor(page), factor);
        SiteZoom::SetFactor(QUrl(QStringLiteral("file:///a.html")), 2);
        SiteZoom::Clear();
        RecentStore::CloseAll();
        QCOMPARE(SiteZoom::Factor(page), 1.0);
        QCOMPARE(SiteZoom::Store().Records().size(), size_t(0));
    }
};

int main(int argc, char** argv)
{
    if (argc == 4 && qstrcmp(argv[1], recordMode) == 0)
        return runRecorder(argc, argv);
    return skwtest::TestMain<TestRecentStore>(argc, argv);
}
#include "test_RecentStore.moc"
