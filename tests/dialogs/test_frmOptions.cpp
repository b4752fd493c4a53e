// The options dialog: filling it from the store, OK and Cancel, the unset
// marker, the toolbar following the choice at once (also after F4), its
// opening from the window menu, its caption drag and its stored position.
#include "FakePointer.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "chrome/MSysMenu32.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "platform/Runtime.h"
#include "platform/Settings.h"
#include "platform/WindowProc.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QTimer>
#include <QWindow>

using skwtest::RecordingBrowser;

namespace {
const QString kHome = QStringLiteral("Default Homepage");
const QString kSearch = QStringLiteral("Default SearchPage");
const QString kShow = QStringLiteral("Show Toolbar");

void storePref(const QString& key, const QString& value)
{
    platform::SaveSetting(QStringLiteral("Skerrywind"), QStringLiteral("Prefs"), key, value);
}

QString storedPref(const QString& key)
{
    return platform::GetSetting(QStringLiteral("Skerrywind"), QStringLiteral("Prefs"), key, QStringLiteral("(none)"));
}

QString storedPlacement(const QString& key)
{
    return platform::GetSetting(QStringLiteral("Skerwind32"), QStringLiteral("frmOptions"), key, QStringLiteral("(none)"));
}

void click(SoftButton* button)
{
    QWidget* cover = button->findChild<QWidget*>(QStringLiteral("Cover"));
    const QPoint at = cover->rect().center();
    skwtest::SendMouse(cover, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at);
    skwtest::SendMouse(cover, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
}

// The window menu's options command, as the main window receives it.
frmOptions& openOptions()
{
    const platform::LRESULT result = platform::SendMessage(&platform::Forms<frmMain>(), platform::WM_SYSCOMMAND, 2, 0);
    if (result != 0)
        qFatal("the options command returned %ld", long(result));
    return platform::Forms<frmOptions>();
}

// F4 in the main window: made active, the key goes to its focused widget.
void pressF4()
{
    QWidget* window = &platform::Forms<frmMain>();
    window->windowHandle()->requestActivate();
    QTRY_COMPARE(QGuiApplication::focusWindow(), window->windowHandle());
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keyClick(target, Qt::Key_F4);
}
}  // namespace

class TestFrmOptions : public QObject {
    Q_OBJECT

    int lastFormActions = 0;

private slots:
    void initTestCase()
    {
        RecordingBrowser::Install();
        platform::SetTwipsPerPixelOverride(15);
        platform::FormRegistry::SetLastFormAction([this] { ++lastFormActions; });
    }
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        platform::SetCommandLineArguments({});
        lastFormActions = 0;
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(skwtest::Boxes().empty());
    }

    void opensFilledFromTheStore_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("show");
        QTest::addColumn<QString>("homeBox");
        QTest::addColumn<QString>("searchBox");
        QTest::addColumn<bool>("showSet");

        QTest::newRow("nothing stored") << QString() << QString() << QString() << "[NOT SET]" << "[NOT SET]" << true;
        QTest::newRow("pages, toolbar hidden")
            << "file:///srv/home.html" << "https://search.example/?q=" << "False"
            << "file:///srv/home.html" << "https://search.example/?q=" << false;
    }
    void opensFilledFromTheStore()
    {
        QFETCH(QString, home);
        QFETCH(QString, search);
        QFETCH(QString, show);
        QFETCH(QString, homeBox);
        QFETCH(QString, searchBox);
        QFETCH(bool, showSet);
        if (!home.isEmpty())
            storePref(kHome, home);
        if (!search.isEmpty())
            storePref(kSearch, search);
        if (!show.isEmpty())
            storePref(kShow, show);
        platform::Forms<frmMain>().Show();

        frmOptions& options = openOptions();

        QVERIFY(options.isVisible());
        QCOMPARE(options.parentWidget(), &platform::Forms<frmMain>());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(options.txtHomepage->Text(), homeBox);
        QCOMPARE(options.txtSearchpage->Text(), searchBox);
        QCOMPARE(options.optShow->Value(), showSet);
        QCOMPARE(options.optHide->Value(), !showSet);
    }

    void okStoresWhatIsTyped_data()
    {
        QTest::addColumn<QString>("homeTyped");
        QTest::addColumn<QString>("searchTyped");
        QTest::addColumn<bool>("show");
        QTest::addColumn<QString>("storedHome");
        QTest::addColumn<QString>("storedSearch");

        QTest::newRow("markers untouched") << "[NOT SET]" << "[NOT SET]" << true << "" << "";
        QTest::newRow("cleared boxes") << "" << "" << false << "" << "";
        QTest::newRow("marker in other letter case is a page")
            << "[not set]" << "[Not Set]" << true << "[not set]" << "[Not Set]";
        QTest::newRow("pages as typed, blanks kept")
            << " file:///srv/home.html " << "search.example" << false << " file:///srv/home.html " << "search.example";
    }
    void okStoresWhatIsTyped()
    {
        QFETCH(QString, homeTyped);
        QFETCH(QString, searchTyped);
        QFETCH(bool, show);
        QFETCH(QString, storedHome);
        QFETCH(QString, storedSearch);
        storePref(kHome, QStringLiteral("file:///old.html"));
        platform::Forms<frmMain>().Show();
        frmOptions& options = openOptions();

        options.txtHomepage->SetText(homeTyped);
        options.txtSearchpage->SetText(searchTyped);
        (show ? options.optShow : options.optHide)->SetValue(true);
        click(options.cmdOk);

        QVERIFY(!options.isVisible());
        QVERIFY(platform::FormRegistry::IsLoaded<frmOptions>());
        QCOMPARE(storedPref(kHome), storedHome);
        QCOMPARE(storedPref(kSearch), storedSearch);
        QCOMPARE(storedPref(kShow), show ? QStringLiteral("True") : QStringLiteral("False"));
        QCOMPARE(mdlGlobals::strHomepage, storedHome);
        QCOMPARE(mdlGlobals::strSearchPage, storedSearch);
        QCOMPARE(mdlGlobals::bShowToolbar, show);
        QCOMPARE(platform::Forms<frmToolBar>().isVisible(), show);
    }

    // Cancel stores nothing; the next opening shows the stored values.
    void cancelStoresNothing()
    {
        storePref(kHome, QStringLiteral("file:///srv/home.html"));
        platform::Forms<frmMain>().Show();
        frmOptions& options = openOptions();
        options.txtHomepage->SetText(QStringLiteral("file:///edited.html"));
        options.optHide->SetValue(true);

        click(options.cmdCancel);

        QVERIFY(!options.isVisible());
        QCOMPARE(storedPref(kHome), QStringLiteral("file:///srv/home.html"));
        QCOMPARE(storedPref(kShow), QStringLiteral("(none)"));
        QVERIFY(platform::Forms<frmToolBar>().isVisible());
        openOptions();
        QCOMPARE(options.txtHomepage->Text(), QStringLiteral("file:///srv/home.html"));
        QVERIFY(options.optShow->Value());
    }

    // Opening it while it is open refills it from the store.
    void openingAgainRefills()
    {
        platform::Forms<frmMain>().Show();
        frmOptions& options = openOptions();
        options.txtSearchpage->SetText(QStringLiteral("unsaved"));

        openOptions();

        QVERIFY(options.isVisible());
        QCOMPARE(options.txtSearchpage->Text(), QStringLiteral("[NOT SET]"));
    }

    // F4 hides the toolbar in memory only; the dialog reads the stored choice
    // back (also into memory, even if cancelled), and OK with Show shows the
    // toolbar again.
    void afterF4TheStoredChoiceComesBack()
    {
        platform::Forms<frmMain>().Show();
        QVERIFY(platform::Forms<frmToolBar>().isVisible());
        pressF4();
        QVERIFY(!platform::Forms<frmToolBar>().isVisible());
        QCOMPARE(mdlGlobals::bShowToolbar, false);

        frmOptions& options = openOptions();
        QVERIFY(options.optShow->Value());
        QCOMPARE(mdlGlobals::bShowToolbar, true);
        click(options.cmdCancel);
        QCOMPARE(mdlGlobals::bShowToolbar, true);
        QVERIFY(!platform::Forms<frmToolBar>().isVisible());

        openOptions();
        click(options.cmdOk);

        QVERIFY(platform::Forms<frmToolBar>().isVisible());
        QCOMPARE(storedPref(kShow), QStringLiteral("True"));
    }

    // Show loads and shows a toolbar that was never loaded.
    void showWithToolbarNeverLoaded()
    {
        storePref(kShow, QStringLiteral("False"));
        platform::Forms<frmMain>().Show();
        QVERIFY(!platform::FormRegistry::IsLoaded<frmToolBar>());

        frmOptions& options = openOptions();
        options.optShow->SetValue(true);
        click(options.cmdOk);

        QVERIFY(platform::Forms<frmToolBar>().isVisible());
    }

    // A left-button drag on the caption moves the dialog by the pointer's
    // displacement; a right-button press starts nothing.
    void captionDrag_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("moved");

        QTest::newRow("left") << Qt::LeftButton << QPoint(4, -2);
        QTest::newRow("right") << Qt::RightButton << QPoint(0, 0);
    }
    void captionDrag()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, moved);
        platform::Forms<frmMain>().Show();
        frmOptions& options = openOptions();
        options.move(100, 100);
        const QPoint before = options.pos();

        skwtest::SendMouse(options.lblCaption, QEvent::MouseButtonPress, button, button, QPoint(20, 10));
        skwtest::SendMouse(options.lblCaption, QEvent::MouseMove, Qt::NoButton, button, QPoint(24, 8));
        skwtest::SendMouse(options.lblCaption, QEvent::MouseButtonRelease, button, Qt::NoButton, QPoint(24, 8));
        skwtest::SendMouse(options.lblCaption, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(40, 40));

        QCOMPARE(options.pos() - before, moved);
    }

    // The dialog stores its position, not its size, as the program ends with
    // both dialogs loaded; the next opening puts it there again.
    void closingMainWithBothDialogsLoaded()
    {
        frmMain& main = platform::Forms<frmMain>();
        main.Show();
        frmOptions& options = openOptions();
        options.move(130, 70);
        click(options.cmdCancel);
        auto* timer = new QTimer;
        timer->setInterval(5);
        connect(timer, &QTimer::timeout, [timer] {
            if (platform::FormRegistry::IsLoaded<frmAbout>() && platform::Forms<frmAbout>().isVisible()) {
                timer->stop();
                timer->deleteLater();
                click(platform::Forms<frmAbout>().cmdOk);
            }
        });
        timer->start();
        platform::SendMessage(&main, platform::WM_SYSCOMMAND, 1, 0);

        main.close();

        QCOMPARE(platform::FormRegistry::LoadedCount(), 0);
        QCOMPARE(lastFormActions, 1);
        QCOMPARE(storedPlacement(QStringLiteral("Left")), QStringLiteral("1950"));
        QCOMPARE(storedPlacement(QStringLiteral("Top")), QStringLiteral("1050"));
        QCOMPARE(storedPlacement(QStringLiteral("Width")), QStringLiteral("(none)"));

        platform::Forms<frmMain>().Show();
        QCOMPARE(openOptions().pos(), QPoint(130, 70));
    }
};

SKERRYWIND_TEST_MAIN(TestFrmOptions)
#include "test_frmOptions.moc"
