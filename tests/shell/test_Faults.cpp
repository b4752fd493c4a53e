// Faults around the whole program: a settings folder that cannot be written,
// the disk refusing a write, settings files overwritten with garbage while the
// program runs, and a page process killed during a load. In each the program
// reports what failed, keeps working, and loses nothing already stored.
// SKERRYWIND_ENGINE_TEST: the last case loads pages in the real engine.
#include "Dialogs.h"
#include "EngineTest.h"
#include "FileSizeLimit.h"
#include "FormsTest.h"
#include "LoopbackServer.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "dialogs/frmOptions.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QWebEngineView>

#include <csignal>
#include <optional>

using skwtest::RecordingBrowser;

using skwtest::OpenOptions;
using skwtest::StoredPref;

namespace {
constexpr int kLoadTimeout = 30000;
const QString kPrefs = QStringLiteral("Skerrywind");
const QString kPlaces = QStringLiteral("Skerwind32");

// Both settings files as bytes, and the names in their folder.
QStringList snapshot()
{
    QStringList out;
    for (const QString& app : {kPrefs, kPlaces}) {
        QFile file(platform::SettingsFile(app));
        out << (file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().toHex())
                                               : QStringLiteral("(none)"));
    }
    out << QDir(platform::SettingsFolder()).entryList(QDir::Files | QDir::Hidden).join(u',');
    return out;
}

// A first run that stores preferences and every placement, then ends.
void storeAFirstRun()
{
    frmMain& main = platform::Forms<frmMain>();
    main.Show();
    frmOptions& options = OpenOptions();
    options.txtHomepage->SetText(QStringLiteral("file:///srv/home.html"));
    options.txtSearchpage->SetText(QStringLiteral("file:///srv/search.html"));
    skwtest::Click(options.cmdOk);
    main.close();
}

const QByteArray kStalledPage = "<!DOCTYPE html><html><head><title>Stalled</title></head><body><p>first part";
const QByteArray kWholePage = "<!DOCTYPE html><html><head><title>Whole</title></head><body>done</body></html>";
const QString kPagePath = QStringLiteral("/page.html");
}  // namespace

class TestFaults : public skwtest::FormsTest {
    Q_OBJECT

private slots:
    void init()
    {
        FormsTest::init();
        storeAFirstRun();
        skwtest::ClearBoxes();
        lastFormActions = 0;
    }

    // Nothing can be stored: options OK (which traps nothing) reaches the
    // top-level handler and the dialog stays open; closing reports each
    // trapped write and still ends the program; the files stay as they were
    // and the next start reads them.
    void writesRefused_data()
    {
        skwtest::AddRows<bool>("folderIsAFile", {{"a file where the settings folder should be", true},
                                                 {"the disk refuses to let a file grow", false}});
    }
    void writesRefused()
    {
        QFETCH(bool, folderIsAFile);
        const QStringList before = snapshot();
        QCOMPARE(StoredPref(QStringLiteral("Default Homepage")), QStringLiteral("file:///srv/home.html"));
        frmMain& main = platform::Forms<frmMain>();
        main.Show();
        frmOptions& options = OpenOptions();

        const QString folder = platform::SettingsFolder();
        std::optional<skwtest::FileSizeLimit> limit;
        if (folderIsAFile) {
            QVERIFY(QDir().rename(folder, folder + QStringLiteral(".kept")));
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else {
            limit.emplace(16);
        }

        options.txtHomepage->SetText(QStringLiteral("file:///srv/other.html"));
        skwtest::Click(options.cmdOk);
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Prompt, QStringLiteral("Run-time error '75':\r\n\r\nPath/File access error"));
        QVERIFY(options.isVisible());
        // The window still answers its browser.
        RecordingBrowser::Last()->RaiseStatusTextChange(QStringLiteral("Still here"));
        QCOMPARE(main.StatusBar->Panels(1).Text(), QStringLiteral("Still here"));

        main.close();

        QStringList places;
        for (size_t i = 1; i < skwtest::Boxes().size(); ++i) {
            QCOMPARE(skwtest::Boxes()[i].Title, QStringLiteral("Error! (75)"));
            places << skwtest::Boxes()[i].Prompt.section(QStringLiteral("Occured in: "), 1);
        }
        // The main window's preferences, then the toolbar's and the dialog's positions.
        QCOMPARE(places, (QStringList{"frmMain::Form_Cancel", "MReg::RegSaveFormPos", "MReg::RegSaveFormPos"}));
        QCOMPARE(platform::FormRegistry::LoadedCount(), 0);
        QCOMPARE(lastFormActions, 1);

        limit.reset();
        if (folderIsAFile) {
            QVERIFY(QFile::remove(folder));
            QVERIFY(QDir().rename(folder + QStringLiteral(".kept"), folder));
        }
        QCOMPARE(snapshot(), before);
        skwtest::ClearBoxes();
        platform::Forms<frmMain>().Show();
        QCOMPARE(mdlGlobals::strHomepage, QStringLiteral("file:///srv/home.html"));
        QVERIFY(skwtest::Boxes().empty());
    }

    // Settings files overwritten while the program runs are read as empty
    // and written whole again: no box, and clean files that hold what was
    // written last.
    void garbageWhileRunning_data()
    {
        QTest::addColumn<QByteArray>("garbage");
        QByteArray noise;
        for (int i = 0; i < 4096; ++i)
            noise += char((i * 7919 + 13) % 256 == '[' ? 0 : (i * 7919 + 13) % 256);
        QTest::newRow("binary noise") << noise;
        QTest::newRow("keys outside any section") << QByteArray("Default Homepage=file:///evil\nLeft=1\x00\xff\n", 40);
        QTest::newRow("empty") << QByteArray();
    }
    void garbageWhileRunning()
    {
        QFETCH(QByteArray, garbage);
        frmMain& main = platform::Forms<frmMain>();
        main.Show();
        for (const QString& app : {kPrefs, kPlaces}) {
            QFile file(platform::SettingsFile(app));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(garbage), garbage.size());
        }

        frmOptions& options = OpenOptions();
        QCOMPARE(options.txtHomepage->Text(), QStringLiteral("[NOT SET]"));
        options.txtHomepage->SetText(QStringLiteral("file:///srv/new.html"));
        options.optHide->SetValue(true);
        skwtest::Click(options.cmdOk);
        QVERIFY(!options.isVisible());
        main.close();

        QVERIFY(skwtest::Boxes().empty());
        QCOMPARE(lastFormActions, 1);
        QCOMPARE(StoredPref(QStringLiteral("Default Homepage")), QStringLiteral("file:///srv/new.html"));
        QCOMPARE(StoredPref(QStringLiteral("Default SearchPage")), QString());
        QCOMPARE(StoredPref(QStringLiteral("Show Toolbar")), QStringLiteral("False"));
        for (const char* form : {"frmMain", "frmOptions", "frmToolBar"})
            QVERIFY2(platform::GetSetting(kPlaces, QString::fromLatin1(form), QStringLiteral("Left")) != QString(),
                     form);
        // Clean: every line a section or a key of this program's, as text.
        const QRegularExpression line(QStringLiteral("^(|\\[frm\\w+\\]|\\[Prefs\\]|[A-Za-z ]+=[-\\w:/.]*)$"));
        for (const QString& app : {kPrefs, kPlaces}) {
            QFile file(platform::SettingsFile(app));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            QCOMPARE(QString::fromUtf8(bytes).toUtf8(), bytes);
            for (const QString& text : QString::fromUtf8(bytes).split(u'\n'))
                QVERIFY2(line.match(text).hasMatch(), qPrintable(app + ": " + text));
        }
    }

    // The page process is killed while a page still loads: the window says
    // the page was lost, stops being busy, loads the page again on Refresh,
    // and the stored settings are not touched.
    void pageProcessKilledDuringALoad()
    {
        skwtest::LoopbackServer server;
        QVERIFY(server.Listen());
        server.SetPage(kPagePath, kStalledPage, true);
        RecordingBrowser::Uninstall();
        platform::SetCommandLineArguments({server.Url(kPagePath)});
        const QStringList before = snapshot();

        frmMain& main = platform::Forms<frmMain>();
        main.Show();
        auto* view = qobject_cast<QWebEngineView*>(main.WebBrowser1->Widget());
        QVERIFY(view);
        QTRY_VERIFY_WITH_TIMEOUT(main.Caption().endsWith(u"[Stalled]"), kLoadTimeout);
        QVERIFY(main.WebBrowser1->Busy());
        QTRY_COMPARE_WITH_TIMEOUT(main.StatusBar->Panels(2).Text(), QStringLiteral("BUSY"), kLoadTimeout);
        const qint64 pid = view->page()->renderProcessPid();
        QVERIFY(pid > 0);

        QStringList texts;
        connect(main.WebBrowser1, &platform::BrowserHost::StatusTextChange, this,
                [&texts](const QString& text) { texts << text; });
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);

        QTRY_VERIFY_WITH_TIMEOUT(view->page()->renderProcessPid() != pid && !main.WebBrowser1->Busy(), kLoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(main.StatusBar->Panels(2).Text(), QString(), kLoadTimeout);
        QVERIFY(platform::FormRegistry::IsLoaded<frmMain>());
        QVERIFY(main.isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(platform::Forms<frmToolBar>().txtURL->Text(), server.Url(kPagePath), kLoadTimeout);
        QVERIFY2(main.StatusBar->Panels(1).Text().contains(u"stopped working"), qPrintable(texts.join(u'|')));
        QVERIFY(skwtest::Boxes().empty());

        server.SetPage(kPagePath, kWholePage);
        main.WebBrowser1->Refresh();
        QTRY_VERIFY_WITH_TIMEOUT(main.Caption().endsWith(u"[Whole]"), kLoadTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!main.WebBrowser1->Busy(), kLoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(main.StatusBar->Panels(1).Text(), QStringLiteral("Done"), kLoadTimeout);
        QCOMPARE(view->url().toString(), server.Url(kPagePath));
        QCOMPARE(snapshot(), before);
        QVERIFY(skwtest::Boxes().empty());
    }
};

SKERRYWIND_ENGINE_TEST_MAIN(TestFaults)
#include "test_Faults.moc"
