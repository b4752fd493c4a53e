// The about box: what it shows, that it reads its texts once, its links and
// its place over the main window.
#include "Dialogs.h"
#include "FakePointer.h"
#include "FormsTest.h"
#include "TestSupport.h"

#include "dialogs/frmAbout.h"
#include "platform/system/DesktopServices.h"
#include "platform/system/Runtime.h"
#include "platform/system/VersionInfo.h"
#include "shell/frmMain.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
// Shows the about box modally over the main window, runs `whileShown` inside
// the modal display, then dismisses it with OK.
void openAbout(const std::function<void(frmAbout&)>& whileShown = {})
{
    skwtest::WhenShown<frmAbout>([whileShown](frmAbout& about) {
        if (whileShown)
            whileShown(about);
        skwtest::Click(about.cmdOk);
    });
    platform::Forms<frmAbout>().Show(platform::vbModal, &platform::Forms<frmMain>());
}

void setFileDate(const QString& path, const QDate& date)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)
        || !f.setFileTime(QDateTime(date, QTime(12, 0)), QFileDevice::FileModificationTime))
        qFatal("cannot date %s", qPrintable(path));
}
}  // namespace

class TestFrmAbout : public skwtest::FormsTest {
    Q_OBJECT

    QTemporaryDir exeDir;
    QString exe;

public:
    TestFrmAbout() : FormsTest(Browser::Recording, MessageBoxes::AreFaults) {}

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English));
        exe = exeDir.filePath(QStringLiteral("skerrywind"));
        platform::SetExecutablePathOverride(exe);
    }
    void init()
    {
        FormsTest::init();
        setFileDate(exe, QDate(2002, 9, 27));
        platform::Forms<frmMain>().Show();
    }
    void cleanup()
    {
        platform::SetEngineVersionOverride(nullptr);
        FormsTest::cleanup();
    }

    void texts_data()
    {
        skwtest::AddColumns<uint, uint, uint, QString>("major", "minor", "build", "versionLine");

        QTest::newRow("6.0.2900") << 6u << 0u << 2900u << "Version Installed: 6.0.2900";
        QTest::newRow("nothing reported") << 0u << 0u << 0u << "Version Installed: 0.0.0";
    }
    void texts()
    {
        QFETCH(uint, major);
        QFETCH(uint, minor);
        QFETCH(uint, build);
        QFETCH(QString, versionLine);
        const platform::EngineVersionNumbers engine{major, minor, build};
        platform::SetEngineVersionOverride(&engine);

        openAbout();

        const frmAbout& about = platform::Forms<frmAbout>();
        QCOMPARE(about.lblVersion->Caption(), QStringLiteral("v1.1.51a"));
        QCOMPARE(about.lblIEVersion->Caption(), versionLine);
        QCOMPARE(about.lblBuildDate->Caption(), QStringLiteral("27-Sep-2002"));
        // The engine the program really uses, by name.
        QCOMPARE(about.Label4->Caption(), QStringLiteral("Uses Qt WebEngine browser technology"));
        QCOMPARE(about.SWLogo->Picture().cacheKey(), platform::Forms<frmMain>().Icon().cacheKey());
        QCOMPARE(about.IELogo->size(), QSize(48, 48));
    }

    // OK only hides the box: the next opening shows the texts of the first
    // without reading the file date or the engine version again.
    void secondOpeningReadsNothingAgain()
    {
        const platform::EngineVersionNumbers first{6, 0, 2900};
        platform::SetEngineVersionOverride(&first);
        openAbout();
        const int reads = platform::EngineVersionReads();

        const platform::EngineVersionNumbers second{7, 1, 1};
        platform::SetEngineVersionOverride(&second);
        setFileDate(exe, QDate(2020, 1, 2));
        QString shownVersion;
        QString shownDate;
        openAbout([&](frmAbout& about) {
            shownVersion = about.lblIEVersion->Caption();
            shownDate = about.lblBuildDate->Caption();
        });

        QCOMPARE(shownVersion, QStringLiteral("Version Installed: 6.0.2900"));
        QCOMPARE(shownDate, QStringLiteral("27-Sep-2002"));
        QCOMPARE(platform::EngineVersionReads(), reads);
    }

    // The wide labels reach over the links; a click on a link still opens it.
    void linksOpenTheirTargets_data()
    {
        skwtest::AddColumns<QString, QString>("link", "target");

        // clang-format off
        QTest::newRow("author") << "HyperLblCtl2" << "mailto:ewan@skerrywind.org";
        QTest::newRow("copyright") << "HyperLblCtl3" << "mailto:ewan@skerrywind.org";
        QTest::newRow("home page") << "HyperLblCtl1" << "https://skerrywind.org/";
        // clang-format on
    }
    void linksOpenTheirTargets()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QStringList launched;
        platform::SetOpenUrlHook([&](const QString& url) { launched << url; });

        openAbout([&](frmAbout& about) {
            const QPoint centre = about.findChild<QWidget*>(link)->geometry().center();
            if (QWidget* under = about.childAt(centre))
                skwtest::SendMouse(under, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton,
                                   under->mapFrom(&about, centre));
        });
        platform::SetOpenUrlHook({});

        QCOMPARE(launched, QStringList{target});
    }

    void centredOnTheMainWindow()
    {
        frmMain& main = platform::Forms<frmMain>();
        main.setGeometry(200, 150, 600, 400);
        QRect shown;
        openAbout([&](frmAbout& about) { shown = about.frameGeometry(); });

        QCOMPARE(shown.size(), QSize(215, 193));
        QVERIFY((shown.center() - main.frameGeometry().center()).manhattanLength() <= 1);
    }
};

SKERRYWIND_TEST_MAIN(TestFrmAbout)
#include "test_frmAbout.moc"
