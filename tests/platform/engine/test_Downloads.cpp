// Downloads: safe, never-overwriting names in the download folder, and the
// status texts of a real download.
// SKERRYWIND_ENGINE_TEST: downloads a local file through the real engine.
#include "TestSupport.h"

#include "platform/engine/BrowserPage.h"
#include "platform/engine/Downloads.h"
#include "platform/engine/EngineProfile.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

using platform::Downloads;

namespace {
constexpr int timeoutMs = 30000;

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
}  // namespace

class TestDownloads : public skwtest::FreshFoldersTest {
    Q_OBJECT

    // Loads a local file the engine cannot show and returns the status texts
    // up to the last one.
    QStringList download(Downloads& downloads, platform::BrowserPage& page, const QString& path)
    {
        QSignalSpy texts(&downloads, &Downloads::statusText);
        page.load(QUrl::fromLocalFile(path));
        const bool ended = QTest::qWaitFor(
            [&] {
                return !texts.isEmpty() && !texts.last().first().toString().startsWith(QLatin1String("Downloading"));
            },
            timeoutMs);
        QStringList result;
        for (const auto& call : texts)
            result << call.first().toString();
        if (!ended)
            result << QStringLiteral("<no end within the time limit>");
        return result;
    }

private slots:
    void safeFileName_data()
    {
        skwtest::AddColumns<QString, QString>("suggested", "expected");
        // clang-format off
        QTest::newRow("plain") << "report.pdf" << "report.pdf";
        QTest::newRow("climbing out") << "../../etc/passwd" << "passwd";
        QTest::newRow("backslash folders") << "C:\\Users\\x\\report.pdf" << "report.pdf";
        QTest::newRow("dot dot") << ".." << "download";
        QTest::newRow("empty") << "" << "download";
        QTest::newRow("folder only") << "reports/" << "download";
        QTest::newRow("control characters") << QString("re\nport\x01.pdf") << "report.pdf";
        QTest::newRow("hidden file kept") << ".profile" << ".profile";
        // clang-format on
    }
    void safeFileName()
    {
        QFETCH(QString, suggested);
        QFETCH(QString, expected);
        QCOMPARE(Downloads::safeFileName(suggested), expected);
    }

    void overlongNameIsShortenedKeepingItsExtension()
    {
        const QString letter = QString::fromUtf8("\xF0\x9F\x98\x80");  // 4 bytes, 2 UTF-16 units
        const QString name = Downloads::safeFileName(letter.repeated(300) + ".pdf");
        QVERIFY(name.endsWith(".pdf"));
        QVERIFY(name.toUtf8().size() <= 240);
        QCOMPARE(QString::fromUtf8(name.toUtf8()), name);  // no half characters
        // A counter still fits under the system's 255-byte limit.
        QVERIFY(QFile(QDir(skwtest::UserFolder()).filePath(Downloads::uniqueFileName(skwtest::UserFolder(), name)))
                    .open(QIODevice::WriteOnly));
    }

    void uniqueFileName_data()
    {
        skwtest::AddColumns<QStringList, QStringList, QString, QString>("existing", "taken", "name", "expected");
        // clang-format off
        QTest::newRow("free") << QStringList() << QStringList() << "report.pdf" << "report.pdf";
        QTest::newRow("exists") << QStringList {"report.pdf"} << QStringList() << "report.pdf" << "report (1).pdf";
        QTest::newRow("counter exists too") << QStringList {"report.pdf", "report (1).pdf"} << QStringList()
                                            << "report.pdf" << "report (2).pdf";
        QTest::newRow("no extension") << QStringList {"README"} << QStringList() << "README" << "README (1)";
        QTest::newRow("tar archive") << QStringList {"data.tar.gz"} << QStringList() << "data.tar.gz" << "data (1).tar.gz";
        QTest::newRow("hidden file") << QStringList {".profile"} << QStringList() << ".profile" << ".profile (1)";
        QTest::newRow("being downloaded") << QStringList() << QStringList {"report.pdf"} << "report.pdf" << "report (1).pdf";
        // clang-format on
    }
    void uniqueFileName()
    {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, taken);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const QDir folder(skwtest::UserFolder() + "/downloads");
        for (const QString& file : existing)
            writeFile(folder.filePath(file), "old");
        QSet<QString> takenPaths;
        for (const QString& file : taken)
            takenPaths.insert(folder.filePath(file));
        QCOMPARE(Downloads::uniqueFileName(folder.path(), name, takenPaths), expected);
    }

    void secondDownloadDoesNotOverwriteTheFirst()
    {
        Downloads downloads(platform::EngineProfile::instance());
        platform::BrowserPage page;
        const QString source = skwtest::UserFolder() + "/report.zip";
        const QString folder = skwtest::UserFolder() + "/downloads";
        const QByteArray first = QByteArray("PK first ").repeated(20000);
        const QByteArray second = QByteArray("PK second ").repeated(10);

        writeFile(source, first);
        QStringList texts = download(downloads, page, source);
        QCOMPARE(texts.last(), "Saved to " + folder + "/report.zip");
        QVERIFY(texts.first().startsWith("Downloading report.zip: "));
        QCOMPARE(readFile(folder + "/report.zip"), first);

        writeFile(source, second);
        texts = download(downloads, page, source);
        QCOMPARE(texts.last(), "Saved to " + folder + "/report (1).zip");
        QCOMPARE(readFile(folder + "/report (1).zip"), second);
        QCOMPARE(readFile(folder + "/report.zip"), first);
    }

    void unusableFolderIsReported()
    {
        Downloads downloads(platform::EngineProfile::instance());
        platform::BrowserPage page;
        // A folder that cannot be made, even by root: its parent is a file.
        writeFile(skwtest::UserFolder() + "/plain-file", "x");
        qputenv("XDG_DOWNLOAD_DIR", (skwtest::UserFolder() + "/plain-file/downloads").toUtf8());
        writeFile(skwtest::UserFolder() + "/report.zip", "PK");
        const QStringList texts = download(downloads, page, skwtest::UserFolder() + "/report.zip");
        QCOMPARE(texts, QStringList{"Download failed: cannot create the folder " + skwtest::UserFolder()
                                    + "/plain-file/downloads"});
    }
};

SKERRYWIND_TEST_MAIN(TestDownloads)
#include "test_Downloads.moc"
