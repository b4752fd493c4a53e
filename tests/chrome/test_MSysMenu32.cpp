// The main window's window menu: its items, the two commands it adds, the
// commands it passes on, and its removal.
#include "FakePointer.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "chrome/MSysMenu32.h"
#include "controls/SoftButton.h"
#include "dialogs/frmAbout.h"
#include "platform/Runtime.h"
#include "platform/StatusBar.h"
#include "platform/WindowMenu.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

using skwtest::RecordingBrowser;

namespace {
QStringList menuTexts(QWidget* window)
{
    QStringList texts;
    for (const QAction* action : platform::GetSystemMenu(window, false)->Menu()->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

const QStringList kDefaultItems = {"Restore", "Minimize", "Maximize", "Close"};

void clickOk(SoftButton* button)
{
    QWidget* cover = button->findChild<QWidget*>(QStringLiteral("Cover"));
    const QPoint at = cover->rect().center();
    skwtest::SendMouse(cover, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at);
    skwtest::SendMouse(cover, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
}

// Runs `step` once the about box shows, from inside its modal display; a
// timer, since the box lets events run while it loads.
void whenAboutShown(std::function<void(frmAbout&)> step)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (!platform::FormRegistry::IsLoaded<frmAbout>() || !platform::Forms<frmAbout>().isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        step(platform::Forms<frmAbout>());
    });
    timer->start();
}

// A procedure that stands for whatever was installed before the extension.
QStringList received;
platform::LRESULT recordingProc(QWidget* hWnd, uint32_t uMsg, platform::WPARAM wParam, platform::LPARAM lParam)
{
    received << QStringLiteral("%1 %2").arg(uMsg, 0, 16).arg(wParam, 0, 16);
    return platform::DefWindowProc(hWnd, uMsg, wParam, lParam) + 7;
}
}  // namespace

class TestMSysMenu32 : public QObject {
    Q_OBJECT

    int lastFormActions = 0;

    frmMain& shownMain()
    {
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        return form;
    }

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
        lastFormActions = 0;
        received.clear();
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        platform::FormRegistry::UnloadIfLoaded<frmAbout>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!MSysMenu32::lngOldWndProc);
    }

    void menuItemsInOrder()
    {
        frmMain& form = shownMain();

        QCOMPARE(menuTexts(&form), (kDefaultItems + QStringList{"-", "Skerrywind Options...", "About Skerrywind..."}));
        platform::WindowMenu* menu = platform::GetSystemMenu(&form, false);
        QCOMPARE(menu->ItemId(5), 2u);
        QCOMPARE(menu->ItemId(6), 1u);
        QVERIFY(platform::GetWindowProc(&form) == &MSysMenu32::SysMenuWndProc);
    }

    // The menu opens from the status bar by right-click.
    void rightClickOnStatusBarOpensTheMenu()
    {
        frmMain& form = shownMain();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QMenu* menu = platform::GetSystemMenu(&form, false)->Menu();

        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), form.StatusBar->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(form.StatusBar, &event);

        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }

    void altSpaceOpensTheMenu()
    {
        frmMain& form = shownMain();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QMenu* menu = platform::GetSystemMenu(&form, false)->Menu();

        QTest::keyClick(&form, Qt::Key_Space, Qt::AltModifier);

        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }

    // The command returns only once OK has hidden the box, and the box is
    // modal and owned by the main window meanwhile.
    void aboutCommandIsModal()
    {
        frmMain& form = shownMain();
        QStringList log;
        QWidget* modal = nullptr;
        QWidget* owner = nullptr;
        whenAboutShown([&](frmAbout& about) {
            modal = QApplication::activeModalWidget();
            owner = about.parentWidget();
            log << QStringLiteral("shown");
            clickOk(about.cmdOk);
            log << QStringLiteral("OK");
        });

        const platform::LRESULT result = platform::SendMessage(&form, platform::WM_SYSCOMMAND, 1, 0);
        log << QStringLiteral("returned %1").arg(result);

        QCOMPARE(log, (QStringList{"shown", "OK", "returned 0"}));
        QCOMPARE(modal, &platform::Forms<frmAbout>());
        QCOMPARE(owner, &form);
        QVERIFY(platform::FormRegistry::IsLoaded<frmAbout>());
        QVERIFY(!platform::Forms<frmAbout>().isVisible());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Chosen from the menu, the command arrives once the menu has closed.
    void aboutItemFromTheMenu()
    {
        frmMain& form = shownMain();
        QAction* about = platform::GetSystemMenu(&form, false)->Menu()->actions().at(6);
        bool opened = false;
        whenAboutShown([&](frmAbout& box) {
            opened = true;
            clickOk(box.cmdOk);
        });

        about->trigger();
        QVERIFY(!platform::FormRegistry::IsLoaded<frmAbout>());
        QTRY_VERIFY(opened);
        QTRY_VERIFY(!platform::Forms<frmAbout>().isVisible());
    }

    // Window commands other than the two pass on to the window's own
    // procedure: the window does what it would do without the extension.
    void otherCommandsPassOn_data()
    {
        QTest::addColumn<platform::WPARAM>("command");
        QTest::addColumn<int>("windowState");
        QTest::addColumn<bool>("loaded");

        QTest::newRow("minimize") << platform::SC_MINIMIZE << platform::vbMinimized << true;
        QTest::newRow("maximize") << platform::SC_MAXIMIZE << platform::vbMaximized << true;
        QTest::newRow("unknown id 3") << platform::WPARAM(3) << platform::vbNormal << true;
        QTest::newRow("close") << platform::SC_CLOSE << platform::vbNormal << false;
    }
    void otherCommandsPassOn()
    {
        QFETCH(platform::WPARAM, command);
        QFETCH(int, windowState);
        QFETCH(bool, loaded);
        frmMain& form = shownMain();

        platform::SendMessage(&form, platform::WM_SYSCOMMAND, command, 0);

        QCOMPARE(platform::FormRegistry::IsLoaded<frmMain>(), loaded);
        if (loaded)
            QCOMPARE(form.WindowState(), windowState);
        else
            QCOMPARE(lastFormActions, 1);
        QVERIFY(!platform::FormRegistry::IsLoaded<frmAbout>());
    }

    void restoreFromMinimised()
    {
        frmMain& form = shownMain();
        platform::SendMessage(&form, platform::WM_SYSCOMMAND, platform::SC_MINIMIZE, 0);

        platform::SendMessage(&form, platform::WM_SYSCOMMAND, platform::SC_RESTORE, 0);

        QCOMPARE(form.WindowState(), platform::vbNormal);
    }

    // The hook sits in front of whatever procedure was there and hands it
    // every other message with its result; unhooking puts it back and the
    // menu returns to its own items.
    void unhookRestoresProcedureAndMenu()
    {
        QWidget window;
        platform::SetWindowProc(&window, &recordingProc);

        MSysMenu32::SysMenuHook(&window, QStringLiteral("About..."));
        QCOMPARE(menuTexts(&window), (kDefaultItems + QStringList{"-", "Skerrywind Options...", "About..."}));
        QCOMPARE(platform::SendMessage(&window, 0x0005, 0, 0), 7);
        QCOMPARE(platform::SendMessage(&window, platform::WM_SYSCOMMAND, 0xF010, 0), 7);
        QCOMPARE(received, (QStringList{"5 0", "112 f010"}));

        MSysMenu32::SysMenuUnhook(&window);

        QVERIFY(platform::GetWindowProc(&window) == &recordingProc);
        QCOMPARE(menuTexts(&window), kDefaultItems);
        QVERIFY(!MSysMenu32::lngOldWndProc);
    }

    // A load cut short before the hook: unhooking touches neither the
    // procedure nor the menu.
    void unhookWithoutHookDoesNothing()
    {
        QWidget window;
        platform::SetWindowProc(&window, &recordingProc);
        platform::MENUITEMINFO item;
        item.fMask = platform::MIIM_ID | platform::MIIM_TYPE;
        item.wID = 9;
        item.dwTypeData = QStringLiteral("Own item");
        platform::InsertMenuItem(platform::GetSystemMenu(&window, false), 4, true, item);

        MSysMenu32::SysMenuUnhook(&window);

        QVERIFY(platform::GetWindowProc(&window) == &recordingProc);
        QCOMPARE(menuTexts(&window), (kDefaultItems + QStringList{"Own item"}));
    }

    // The main window unhooks at unload: its menu is back to its own items.
    void mainWindowUnhooksAtUnload()
    {
        frmMain& form = shownMain();
        QMenu* menu = platform::GetSystemMenu(&form, false)->Menu();
        QCOMPARE(menu->actions().size(), 7);

        form.Unload();

        QCOMPARE(menu->actions().size(), 4);
        QVERIFY(!MSysMenu32::lngOldWndProc);
    }

    // Closing the main window with the about box loaded (hidden) unloads
    // it too, and the program ends.
    void closingEndsProgramWithAboutLoaded()
    {
        frmMain& form = shownMain();
        whenAboutShown([](frmAbout& about) { clickOk(about.cmdOk); });
        platform::SendMessage(&form, platform::WM_SYSCOMMAND, 1, 0);

        form.close();

        QVERIFY(!platform::FormRegistry::IsLoaded<frmAbout>());
        QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
        QCOMPARE(platform::FormRegistry::LoadedCount(), 0);
        QCOMPARE(lastFormActions, 1);
    }
};

SKERRYWIND_TEST_MAIN(TestMSysMenu32)
#include "test_MSysMenu32.moc"
