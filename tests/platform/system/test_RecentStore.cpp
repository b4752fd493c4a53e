// What the browser keeps across runs: the store's records read back as
// written, its bound, files it did not write or cannot read, and a disk that
// refuses the write; the zoom of sites and the address history over it.
#include "FileSizeLimit.h"
#include "TestSupport.h"

#include "platform/engine/AddressHistory.h"
#include "platform/engine/SiteZoom.h"
#include "platform/system/RecentStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStringListModel>
#include <QUrl>

#include <optional>

using platform::RecentStore;

namespace {
const QString kKind = QStringLiteral("test store 1");

QStringList keysOf(RecentStore& store)
{
    QStringList keys;
    for (const RecentStore::Record& r : store.Records())
        keys << r.key + u'=' + r.fields.join(u',');
    return keys;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray noise()
{
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += char((i * 7919 + 13) % 256);
    return bytes;
}
}  // namespace

class TestRecentStore : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
    }

    // Records come back in the order of their last use, with any character
    // in keys and fields; the least recently used go beyond the capacity,
    // in memory and on disk; nothing is written until a moment after the
    // last change.
    void readsBackWhatItWrote()
    {
        RecentStore store(QStringLiteral("test.txt"), kKind, QStringLiteral("the test"), 2, 3);
        store.Put(QStringLiteral("a"), {QStringLiteral("1"), QStringLiteral("x")});
        store.Put(QStringLiteral("tab\there\nline\\slash"), {QStringLiteral("2"), QStringLiteral("\t\r\n")});
        store.Put(QStringLiteral("c"), {QStringLiteral("3"), QString()});
        store.Put(QStringLiteral("a"), {QStringLiteral("4"), QStringLiteral("y")});
        store.Put(QStringLiteral("d"), {QStringLiteral("5"), QStringLiteral("z")});
        const QStringList expected{"d=5,z", "a=4,y", "c=3,"};
        QCOMPARE(keysOf(store), expected);
        QVERIFY(!QFile::exists(store.FilePath()));

        QTRY_VERIFY(QFile::exists(store.FilePath()));
        store.Close();
        QCOMPARE(keysOf(store), expected);

        store.Put(QStringLiteral("tab\there\nline\\slash"), {QStringLiteral("6"), QStringLiteral("\t\r\n")});
        store.Close();
        QCOMPARE(store.Records().front().key, QStringLiteral("tab\there\nline\\slash"));
        QCOMPARE(store.Records().front().fields, (QStringList{"6", "\t\r\n"}));
        QCOMPARE(store.Records().size(), size_t(3));
        QVERIFY(skwtest::Boxes().empty());
    }

    // A file the store did not write reads as empty or as its good lines,
    // without a box, and is replaced whole at the next write. A file that
    // cannot be read at all (here a folder in its place) is never replaced.
    void filesItDidNotWrite_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("folderInItsPlace");
        QTest::addColumn<QStringList>("read");

        QTest::newRow("binary noise") << noise() << false << QStringList();
        QTest::newRow("empty") << QByteArray() << false << QStringList();
        QTest::newRow("another kind") << QByteArray("other store 1\na\t1\n") << false << QStringList();
        QTest::newRow("good lines among bad ones")
            << QByteArray("test store 1\r\na\t1\r\nno fields\nb\t2\t3\n\t4\n\xff\xfe\t5\nc\t6\na\t7\n") << false
            << QStringList{"a=1", "\uFFFD\uFFFD=5", "c=6"};
        QTest::newRow("unreadable") << QByteArray() << true << QStringList();
    }
    void filesItDidNotWrite()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, folderInItsPlace);
        QFETCH(QStringList, read);
        RecentStore store(QStringLiteral("test.txt"), kKind, QStringLiteral("the test"), 1, 10);
        if (folderInItsPlace)
            QVERIFY(QDir().mkpath(store.FilePath()));
        else
            writeBytes(store.FilePath(), content);
        QSignalSpy failures(&store, &RecentStore::writeFailed);

        QCOMPARE(keysOf(store), read);
        store.Put(QStringLiteral("new"), {QStringLiteral("1")});
        store.Flush();

        if (folderInItsPlace) {
            QVERIFY(QFileInfo(store.FilePath()).isDir());
            QCOMPARE(failures.size(), 1);
        } else {
            QCOMPARE(failures.size(), 0);
            QByteArray expected = "test store 1\nnew\t1\n";
            for (const QString& record : read)
                expected += record.section(u'=', 0, 0).toUtf8() + '\t' + record.section(u'=', 1).toUtf8() + '\n';
            QCOMPARE(bytesOf(store.FilePath()), expected);
        }
        QVERIFY(skwtest::Boxes().empty());
    }

    // A write the disk cuts short, or a folder that cannot be made, leaves
    // the old file byte for byte and is announced once, however often it is
    // tried; the records stay in memory and reach the disk when it lets them.
    void writeRefused_data()
    {
        QTest::addColumn<bool>("folderIsAFile");
        QTest::newRow("the disk refuses to let a file grow") << false;
        QTest::newRow("a file where the data folder should be") << true;
    }
    void writeRefused()
    {
        QFETCH(bool, folderIsAFile);
        RecentStore store(QStringLiteral("test.txt"), kKind, QStringLiteral("the test"), 1, 10);
        store.Put(QStringLiteral("old"), {QStringLiteral("1")});
        store.Flush();
        const QByteArray before = bytesOf(store.FilePath());
        QSignalSpy failures(&store, &RecentStore::writeFailed);
        const QString folder = RecentStore::DataFolder();
        {
            std::optional<skwtest::FileSizeLimit> limit;
            if (folderIsAFile) {
                QVERIFY(QDir().rename(folder, folder + QStringLiteral(".kept")));
                writeBytes(folder, "blocker");
            } else {
                limit.emplace(8);
            }
            for (int i = 0; i < 5; ++i) {
                store.Put(QStringLiteral("key %1").arg(i), {QString::number(i)});
                store.Flush();
            }
        }
        QCOMPARE(failures.size(), 1);
        QCOMPARE(failures[0][0].toString(), QStringLiteral("Cannot save the test (Path/File access error)"));
        if (folderIsAFile) {
            QVERIFY(QFile::remove(folder));
            QVERIFY(QDir().rename(folder + QStringLiteral(".kept"), folder));
        }
        QCOMPARE(bytesOf(store.FilePath()), before);

        store.Close();
        QCOMPARE(keysOf(store).size(), 6);
        QCOMPARE(keysOf(store).first(), QStringLiteral("key 4=4"));
        QVERIFY(skwtest::Boxes().empty());
    }

    // A site is the scheme and the host; addresses without a host share one
    // entry per scheme.
    void sites_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("site");
        QTest::newRow("host, port, path and query") << "https://Example.ORG:8443/a/b?c=d#e" << "https://example.org";
        QTest::newRow("another scheme, same host") << "http://example.org/" << "http://example.org";
        QTest::newRow("IPv6 host") << "http://[::1]:8080/x" << "http://::1";
        QTest::newRow("local file") << "file:///tmp/a.html" << "file:";
        QTest::newRow("another local file") << "FILE:///home/b/c.html" << "file:";
        QTest::newRow("own page") << "qrc:/pages/home.html" << "qrc:";
        QTest::newRow("data") << "data:text/html,hi" << "data:";
        QTest::newRow("relative") << "a/b.html" << "";
        QTest::newRow("empty") << "" << "";
    }
    void sites()
    {
        QFETCH(QString, address);
        QFETCH(QString, site);
        QCOMPARE(platform::SiteZoom::SiteOf(QUrl(address)), site);
    }

    // The zoom of a site applies to all its pages, stays within the
    // engine's range, and 100% is not kept; a stored value the program did
    // not write counts as 100%.
    void siteZoom()
    {
        using platform::SiteZoom;
        SiteZoom::SetFactor(QUrl("https://example.org/a"), 1.25);
        SiteZoom::SetFactor(QUrl("file:///tmp/a.html"), 9.0);
        SiteZoom::SetFactor(QUrl("relative.html"), 2.0);
        QCOMPARE(SiteZoom::Factor(QUrl("https://example.org/other?x")), 1.25);
        QCOMPARE(SiteZoom::Factor(QUrl("https://www.example.org/")), 1.0);
        QCOMPARE(SiteZoom::Factor(QUrl("file:///home/b.html")), SiteZoom::kMaximum);
        QCOMPARE(SiteZoom::Store().Records().size(), size_t(2));

        SiteZoom::SetFactor(QUrl("https://example.org/"), 1.0);
        QCOMPARE(SiteZoom::Store().Records().size(), size_t(1));

        RecentStore::CloseAll();
        writeBytes(SiteZoom::Store().FilePath(),
                   "skerrywind site zoom 1\nhttp://a\tbig\nhttp://b\t99\nhttp://c\tnan\nhttp://d\t0.5\n");
        QCOMPARE(SiteZoom::Factor(QUrl("http://a/")), 1.0);
        QCOMPARE(SiteZoom::Factor(QUrl("http://b/")), 1.0);
        QCOMPARE(SiteZoom::Factor(QUrl("http://c/")), 1.0);
        QCOMPARE(SiteZoom::Factor(QUrl("http://d/")), 0.5);
    }

    // Most visited first, most recent first among equals; the same address
    // right after itself is not another visit; the least recently visited
    // go beyond the bound; the model follows; Clear empties the file too.
    void addressHistory()
    {
        using platform::AddressHistory;
        for (const char* address : {"a", "b", "a", "a", "c", "b", "d", ""})
            AddressHistory::Add(QString::fromLatin1(address));
        QCOMPARE(AddressHistory::Addresses(), (QStringList{"b", "a", "d", "c"}));
        QCOMPARE(AddressHistory::Model()->stringList(), AddressHistory::Addresses());

        AddressHistory::Add(QStringLiteral("a"));
        QCOMPARE(AddressHistory::Addresses(), (QStringList{"a", "b", "d", "c"}));
        RecentStore::CloseAll();
        QCOMPARE(AddressHistory::Addresses(), (QStringList{"a", "b", "d", "c"}));

        for (int i = 0; i < AddressHistory::kCapacity; ++i)
            AddressHistory::Add(QStringLiteral("page %1").arg(i));
        const QStringList bounded = AddressHistory::Addresses();
        QCOMPARE(bounded.size(), AddressHistory::kCapacity);
        QVERIFY(bounded.contains(QStringLiteral("page 0")));
        QVERIFY(!bounded.contains(QStringLiteral("c")));  // the least recently visited
        QVERIFY(!bounded.contains(QStringLiteral("a")));  // visited most, but long ago
        RecentStore::CloseAll();
        QCOMPARE(AddressHistory::Addresses(), bounded);

        AddressHistory::Clear();
        QCOMPARE(AddressHistory::Model()->rowCount(), 0);
        QCOMPARE(bytesOf(AddressHistory::Store().FilePath()), QByteArray("skerrywind address history 1\n"));
    }
};

SKERRYWIND_TEST_MAIN(TestRecentStore)
#include "test_RecentStore.moc"
