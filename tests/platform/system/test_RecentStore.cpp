// What the browser keeps across runs: files it did not write or cannot
// read, a disk that refuses the write, and the address history's order and
// bound over it.
#include "FileSizeLimit.h"
#include "TestSupport.h"

#include "platform/engine/AddressHistory.h"
#include "platform/system/RecentStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <optional>

using platform::RecentStore;

namespace {
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

QStringList recordsOf(RecentStore& store)
{
    QStringList records;
    for (const RecentStore::Record& r : store.Records())
        records << r.key + u'=' + r.fields.join(u',');
    return records;
}
}  // namespace

class TestRecentStore : public QObject {
    Q_OBJECT

    std::optional<RecentStore> store;

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        store.emplace(QStringLiteral("test.txt"), QStringLiteral("test store 1"), QStringLiteral("the test"), 1, 10);
    }
    void cleanup() { QVERIFY(skwtest::Boxes().empty()); }

    // A file the store did not write reads as empty or as its good lines
    // and is replaced whole, clean, at the next write; one that cannot be
    // read at all (a folder in its place) is never replaced.
    void filesItDidNotWrite_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("read");
        QByteArray noise;
        for (int i = 0; i < 4096; ++i)
            noise += char((i * 7919 + 13) % 256);
        QTest::newRow("binary noise") << noise << QStringList();
        QTest::newRow("empty") << QByteArray() << QStringList();
        QTest::newRow("another kind") << QByteArray("other store 1\na\t1\n") << QStringList();
        QTest::newRow("good lines among bad ones")
            << QByteArray("test store 1\r\na\t1\r\nno field\nb\t2\t3\n\t4\nt\\tab\\\\\t5\na\t7\n") << QStringList{"a=1", "t\tab\\=5"};
        QTest::newRow("unreadable") << QByteArray("(folder)") << QStringList();
    }
    void filesItDidNotWrite()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, read);
        const bool folder = content == "(folder)";
        if (folder)
            QVERIFY(QDir().mkpath(store->FilePath()));
        else
            writeBytes(store->FilePath(), content);
        QSignalSpy failures(&*store, &RecentStore::writeFailed);

        QCOMPARE(recordsOf(*store), read);
        store->Put(QStringLiteral("new"), {QStringLiteral("1")});
        store->Close();

        QCOMPARE(failures.size(), folder ? 1 : 0);
        QCOMPARE(QFileInfo(store->FilePath()).isDir(), folder);
        if (!folder) {
            QCOMPARE(recordsOf(*store), QStringList{"new=1"} + read);
            QVERIFY(bytesOf(store->FilePath()).startsWith("test store 1\nnew\t1\n"));
        }
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

    // Most visited first, most recent first among equals; the same address
    // right after itself is no new visit; beyond the bound the least
    // recently visited go, the most visited too; all of it survives a restart.
    void addressHistory()
    {
        using platform::AddressHistory;
        for (const char* address : {"a", "b", "a", "a", "c", "b", "d", ""})
            AddressHistory::Add(QString::fromLatin1(address));
        QCOMPARE(AddressHistory::Addresses(), (QStringList{"b", "a", "d", "c"}));
        for (int i = 1; i < AddressHistory::kCapacity; ++i)
            AddressHistory::Add(QStringLiteral("page %1").arg(i));
        RecentStore::CloseAll();
        const QStringList bounded = AddressHistory::Addresses();
        QCOMPARE(bounded.size(), AddressHistory::kCapacity);
        QCOMPARE(bounded.first(), QStringLiteral("page 999"));
        QCOMPARE(bounded.last(), QStringLiteral("d"));
        QVERIFY(!bounded.contains(QStringLiteral("a")));
    }
};

SKERRYWIND_TEST_MAIN(TestRecentStore)
#include "test_RecentStore.moc"
