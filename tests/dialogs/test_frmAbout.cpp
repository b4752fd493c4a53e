// The about box: what it shows, that it reads its texts once, its links and
// its place over the main window.
#include "FakePointer.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "dialogs/frmAbout.h"
#include "platform/DesktopServices.h"
#include "platform/Runtime.h"
#include "platform/VersionInfo.h"
#include "shell/frmMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

using skwtest::RecordingBrowser;

namespace {
void clickOk(SoftButton* button)
{
    QWidget* cover = button->findChild<QWidget*>(QStringLiteral("Cover"));
    const QPoint at = cover->rect().center();
    skwtest::SendMouse(cover, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at);
    skwtest::SendMouse(cover, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
}

// Shows the about box modally over the main window, runs `whileShown` inside
// the modal display and then dismisses it with OK (unless `whileShown` has
// closed it already).
void openAbout(const std::function<void(frmAbout&)>& whileShown = {})
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, whileShown] {
        if (!platform::FormRegistry::IsLoaded<frmAbout>() || !platform::Forms<frmAbout>().isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        frmAbout& about = platform::Forms<frmAbout>();
        if (whileShown)
            whileShown(about);
        if (platform::FormRegistry::IsLoaded<frmAbout>() && about.isVisible())
            clickOk(about.cmdOk);
    });
    timer->start();
    platform::Forms<frmAbout>().Show(platform::vbModal, &platform::Forms<frmMain>());
}

void setFileDate(const QString& path, const QDate& date)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(QDateTime(date, QTime(12, 0)), QFileDevice::FileModificationTime))
        qFatal("cannot date %s", qPrintable(path));
}
}  // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

    QTemporaryDir exeDir;
    QString exe;

private slots:
    void initTestCase()
    {
        RecordingBrowser::Install();
        platform::SetTwipsPerPixelOverride(15);
        platform::FormRegistry::SetLastFormAction([] {});
        QLocale::setDefault(QLocale(QLocale::English));
        exe = exeDir.filePath(QStringLiteral("skerrywind"));
        setFileDate(exe, QDate(2002, 9, 27));
        platform::SetExecutablePathOverride(exe);
    }
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        platform::Forms<frmMain>().Show();
    }
    void cleanup()
    {
        platform::SetEngineVersionOverride(nullptr);
        setFileDate(exe, QDate(2002, 9, 27));
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(skwtest::Boxes().empty());
    }

    void texts_data()
    {
        QTest::addColumn<uint>("major");
        QTest::addColumn<uint>("minor");
        QTest::addColumn<uint>("build");
        QTest::addColumn<QString>("versionLine");

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

        frmAbout& about = platform::Forms<frmAbout>();
        QCOMPARE(about.lblVersion->Caption(), QStringLiteral("v1.1.51a"));
        QCOMPARE(about.lblIEVersion->Caption(), versionLine);
        QCOMPARE(about.lblBuildDate->Caption(), QStringLiteral("27-Sep-2002"));
        // The engine the program really uses, by name.
        QCOMPARE(about.Label4->Caption(), QStringLiteral("Uses Qt WebEngine browser technology"));
        QCOMPARE(about.SWLogo->Picture().cacheKey(), platform::Forms<frmMain>().Icon().cacheKey());
        QVERIFY(!about.IELogo->Picture().isNull());
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
        openAbout([&](frmAbout& about) { shownVersion = about.lblIEVersion->Caption(); });

        QCOMPARE(shownVersion, QStringLiteral("Version Installed: 6.0.2900"));
        QCOMPARE(platform::Forms<frmAbout>().lblBuildDate->Caption(), QStringLiteral("27-Sep-2002"));
        QCOMPARE(platform::EngineVersionReads(), reads);
    }

    // Closed by the window system, the box is unloaded; the next opening
    // loads it afresh.
    void closedByTheWindowSystemLoadsAfresh()
    {
        const platform::EngineVersionNumbers first{6, 0, 2900};
        platform::SetEngineVersionOverride(&first);
        openAbout([](frmAbout& about) { about.close(); });
        QVERIFY(!platform::FormRegistry::IsLoaded<frmAbout>());

        const platform::EngineVersionNumbers second{7, 1, 1};
        platform::SetEngineVersionOverride(&second);
        openAbout();

        QCOMPARE(platform::Forms<frmAbout>().lblIEVersion->Caption(), QStringLiteral("Version Installed: 7.1.1"));
    }

    // The wide labels reach over the links; a click on a link still opens it.
    void linksOpenTheirTargets_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("target");

        QTest::newRow("author") << "HyperLblCtl2" << "mailto:ewan@skerrywind.org";
        QTest::newRow("copyright") << "HyperLblCtl3" << "mailto:ewan@skerrywind.org";
        QTest::newRow("home page") << "HyperLblCtl1" << "https://skerrywind.org/";
    }
    void linksOpenTheirTargets()
    {
        QFETCH(QString, link);
        QFETCH(QString, target);
        QStringList launched;
        platform::SetOpenUrlHook([&](const QString& url) { launched << url; });

        openAbout([&](frmAbout& about) {
            const auto* control = about.findChild<QWidget*>(link);
            const QPoint centre = control->geometry().center();
            QWidget* under = about.childAt(centre);
            if (under)
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
        QPoint aboutCentre;
        QSize clientSize;
        openAbout([&](frmAbout& about) {
            aboutCentre = about.frameGeometry().center();
            clientSize = about.size();
        });

        QCOMPARE(clientSize, QSize(215, 193));
        QVERIFY((aboutCentre - main.frameGeometry().center()).manhattanLength() <= 1);
    }
};

SKERRYWIND_TEST_MAIN(TestFrmAbout)
#include "test_frmAbout.moc"
