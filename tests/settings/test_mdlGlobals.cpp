// The preferences and the settings store beneath them.
#include "TestSupport.h"

#include "platform/system/AppError.h"
#include "platform/system/Settings.h"
#include "settings/mdlGlobals.h"

#include <QDir>
#include <QFile>

namespace {
void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const platform::AppError& e) {
        return e.Number();
    }
    return 0;
}
const QString kPrefs = QStringLiteral("Skerrywind");
}  // namespace

class TestMdlGlobals : public skwtest::FreshFoldersTest {
    Q_OBJECT
private slots:
    void nothingStoredGivesTheDefaults()
    {
        mdlGlobals::strHomepage = QStringLiteral("stale");
        mdlGlobals::LoadPrefs();
        QCOMPARE(mdlGlobals::strHomepage, QString());
        QCOMPARE(mdlGlobals::strSearchPage, QString());
        QCOMPARE(mdlGlobals::bShowToolbar, true);
    }

    void showToolbarConversions_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("expected");  // 1 true, 0 false, -1 type mismatch
        QTest::newRow("True") << QStringLiteral("True") << 1;
        QTest::newRow("false lower") << QStringLiteral("false") << 0;
        QTest::newRow("TRUE upper") << QStringLiteral("TRUE") << 1;
        QTest::newRow("0") << QStringLiteral("0") << 0;
        QTest::newRow("1") << QStringLiteral("1") << 1;
        QTest::newRow("-1") << QStringLiteral("-1") << 1;
        QTest::newRow("0.0 with blanks") << QStringLiteral(" 0.0 ") << 0;
        QTest::newRow("2.5") << QStringLiteral("2.5") << 1;
        QTest::newRow("empty") << QString() << -1;
        QTest::newRow("word") << QStringLiteral("Yes") << -1;
        QTest::newRow("nan") << QStringLiteral("nan") << -1;
        QTest::newRow("inf") << QStringLiteral("inf") << -1;
        QTest::newRow("huge") << QStringLiteral("1e999") << -1;
        QTest::newRow("True with blank") << QStringLiteral("True ") << -1;
    }
    void showToolbarConversions()
    {
        QFETCH(QString, stored);
        QFETCH(int, expected);
        if (expected < 0) {
            QCOMPARE(errorNumberOf([&] { mdlGlobals::ShowToolbarValue(stored); }), int(platform::errTypeMismatch));
        } else {
            QCOMPARE(mdlGlobals::ShowToolbarValue(stored), expected == 1);
        }
    }

    // An unreadable "Show Toolbar" fails LoadPrefs after the two pages were
    // read; bShowToolbar keeps its value and the next save makes it clean.
    void unreadableShowToolbar()
    {
        platform::SaveSetting(kPrefs, "Prefs", "Default Homepage", "http://home.example/");
        platform::SaveSetting(kPrefs, "Prefs", "Show Toolbar", "maybe");
        mdlGlobals::bShowToolbar = false;
        QCOMPARE(errorNumberOf(mdlGlobals::LoadPrefs), int(platform::errTypeMismatch));
        QCOMPARE(mdlGlobals::strHomepage, QStringLiteral("http://home.example/"));
        QCOMPARE(mdlGlobals::bShowToolbar, false);
        mdlGlobals::SavePrefs();
        QCOMPARE(platform::GetSetting(kPrefs, "Prefs", "Show Toolbar"), QStringLiteral("False"));
    }

    void saveThenLoadChangesNothing()
    {
        mdlGlobals::LoadPrefs();
        mdlGlobals::strHomepage = QStringLiteral("  http://home.example/ with blanks  ");
        mdlGlobals::strSearchPage = QStringLiteral("line\nbreak\\back=slash");
        mdlGlobals::bShowToolbar = false;
        mdlGlobals::SavePrefs();
        mdlGlobals::strHomepage.clear();
        mdlGlobals::strSearchPage.clear();
        mdlGlobals::bShowToolbar = true;
        mdlGlobals::LoadPrefs();
        QCOMPARE(mdlGlobals::strHomepage, QStringLiteral("  http://home.example/ with blanks  "));
        QCOMPARE(mdlGlobals::strSearchPage, QStringLiteral("line\nbreak\\back=slash"));
        QCOMPARE(mdlGlobals::bShowToolbar, false);
        // The file stays readable by a person: one key a line, names as given.
        const QByteArray file = readFile(platform::SettingsFile(kPrefs));
        QVERIFY(file.contains("[Prefs]\nDefault Homepage=  http://home.example/ with blanks  \n"));
        QVERIFY(file.contains("Show Toolbar=False\n"));

        // Each read allows one write: what is in memory without a read since
        // the last write (a window closed early in its start-up) stays there.
        mdlGlobals::SavePrefs();
        mdlGlobals::strHomepage = QStringLiteral("http://unread.example/");
        mdlGlobals::SavePrefs();
        QCOMPARE(platform::GetSetting(kPrefs, "Prefs", "Default Homepage"),
                 QStringLiteral("  http://home.example/ with blanks  "));
    }

    void applicationsAndSectionsAreSeparate()
    {
        platform::SaveSetting("Skerwind32", "frmMain", "Left", "100");
        platform::SaveSetting("Skerwind32", "frmToolBar", "Left", "200");
        platform::SaveSetting(kPrefs, "frmMain", "Left", "300");
        QCOMPARE(platform::GetSetting("Skerwind32", "frmMain", "Left"), QStringLiteral("100"));
        QCOMPARE(platform::GetSetting("Skerwind32", "frmToolBar", "Left"), QStringLiteral("200"));
        QCOMPARE(platform::GetSetting(kPrefs, "frmMain", "Left"), QStringLiteral("300"));
        QCOMPARE(platform::GetSetting("Skerwind32", "frmOptions", "Left", "d"), QStringLiteral("d"));
        platform::SaveSetting("Skerwind32", "frmMain", "Left", "101");
        QCOMPARE(platform::GetSetting("Skerwind32", "frmMain", "Left"), QStringLiteral("101"));
        QCOMPARE(platform::GetSetting("Skerwind32", "frmToolBar", "Left"), QStringLiteral("200"));
    }

    // Garbage in the file: what parses is read, the rest is skipped, and the
    // next write leaves a clean file that keeps what was readable.
    void garbledFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 7919) & 0xFF);
        QTest::newRow("binary") << binary;
        QTest::newRow("invalid utf-8") << QByteArray("\xff\xfe\xc3\x28[Prefs\n=\x80\x81\n");
        QTest::newRow("10 MB line") << QByteArray(10 * 1024 * 1024, 'x');
        QTest::newRow("no section header") << QByteArray("Default Homepage=http://lost.example/\n");
        QTest::newRow("empty") << QByteArray();
    }
    void garbledFile()
    {
        QFETCH(QByteArray, bytes);
        const QString path = platform::SettingsFile(kPrefs);
        writeFile(path, bytes + "\n[Prefs]\nDefault SearchPage=http://kept.example/\n");
        mdlGlobals::LoadPrefs();
        QCOMPARE(mdlGlobals::strHomepage, QString());
        QCOMPARE(mdlGlobals::strSearchPage, QStringLiteral("http://kept.example/"));
        mdlGlobals::SavePrefs();
        const QByteArray clean = readFile(path);
        QVERIFY(clean.size() < 4096);
        QCOMPARE(platform::GetSetting(kPrefs, "Prefs", "Default SearchPage"), QStringLiteral("http://kept.example/"));
        QCOMPARE(platform::GetSetting(kPrefs, "Prefs", "Show Toolbar"), QStringLiteral("True"));
    }

    // An unwritable folder: error 75, and what was stored before is intact.
    void unwritableFolderRaises75AndLosesNothing()
    {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders; the fault tests cover this with a file-size limit");
        platform::SaveSetting(kPrefs, "Prefs", "Default Homepage", "http://before.example/");
        const QString folder = platform::SettingsFolder();
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const int number = errorNumberOf([] { platform::SaveSetting(kPrefs, "Prefs", "Default Homepage", "x"); });
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(number, int(platform::errPathFileAccess));
        QCOMPARE(platform::GetSetting(kPrefs, "Prefs", "Default Homepage"), QStringLiteral("http://before.example/"));
    }

    // The config folder's place taken by a file: no folder can be made.
    void configFolderIsAFile()
    {
        const QString folder = platform::SettingsFolder();
        QDir(folder).removeRecursively();
        writeFile(folder, "not a folder");
        mdlGlobals::LoadPrefs();
        QCOMPARE(errorNumberOf([] { mdlGlobals::SavePrefs(); }), int(platform::errPathFileAccess));
        QCOMPARE(readFile(folder), QByteArray("not a folder"));
    }

    // A settings file that exists but cannot be read is never replaced.
    void unreadableFileIsNotOverwritten()
    {
        const QString path = platform::SettingsFile(kPrefs);
        QDir().mkpath(path);  // a folder where the file should be: open for reading fails
        QCOMPARE(errorNumberOf([] { platform::SaveSetting(kPrefs, "Prefs", "Show Toolbar", "True"); }),
                 int(platform::errPathFileAccess));
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(platform::GetSetting(kPrefs, "Prefs", "Show Toolbar", "d"), QStringLiteral("d"));
    }
};

SKERRYWIND_TEST_MAIN(TestMdlGlobals)
#include "test_mdlGlobals.moc"
