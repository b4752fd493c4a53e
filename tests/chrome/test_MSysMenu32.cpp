// The main window's window menu: its items, the about command, the commands
// it passes on, and its removal.
#include "Dialogs.h"
#include "FormsTest.h"
#include "TestSupport.h"

#include "chrome/MSysMenu32.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "platform/forms/WindowMenu.h"
#include "platform/system/Runtime.h"
#include "shell/frmMain.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

namespace {
const QStringList kDefaultItems = {"Restore", "Minimize", "Maximize", "Close"};

QStringList menuTexts(QWidget* window)
{
    QStringList texts;
    for (const QAction* action : platform::GetSystemMenu(window, false)->Menu()->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

frmMain& shownMain()
{
    frmMain& form = platform::Forms<frmMain>();
    form.Show();
    return form;
}

// Stands for whatever procedure the window had before the extension.
QStringList received;
platform::LRESULT recordingProc(QWidget* hWnd, uint32_t uMsg, platform::WPARAM wParam, platform::LPARAM lParam)
{
    received << QStringLiteral("%1 %2").arg(uMsg, 0, 16).arg(wParam, 0, 16);
    return platform::DefWindowProc(hWnd, uMsg, wParam, lParam) + 7;
}
}  // namespace

class TestMSysMenu32 : public skwtest::FormsTest {
    Q_OBJECT

public:
    TestMSysMenu32() : FormsTest(Browser::Recording, MessageBoxes::AreFaults) {}

private slots:
    void init()
    {
        FormsTest::init();
        received.clear();
    }
    void cleanup()
    {
        FormsTest::cleanup();
        QVERIFY(!MSysMenu32::lngOldWndProc);
    }

    void menuItemsInOrder()
    {
        frmMain& form = shownMain();

        QCOMPARE(menuTexts(&form), (kDefaultItems + QStringList{"-", "Skerrywind Options...", "About Skerrywind..."}));
        QCOMPARE(platform::GetSystemMenu(&form, false)->ItemId(5), 2u);
        QCOMPARE(platform::GetSystemMenu(&form, false)->ItemId(6), 1u);
    }

    void menuOpens_data()
    {
        skwtest::AddRows<bool>("byRightClick", {{"right-click on the status bar", true}, {"Alt+Space", false}});
    }
    void menuOpens()
    {
        QFETCH(bool, byRightClick);
        frmMain& form = shownMain();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QMenu* menu = platform::GetSystemMenu(&form, false)->Menu();

        if (byRightClick) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), form.StatusBar->mapToGlobal(QPoint(5, 5)));
            QCoreApplication::sendEvent(form.StatusBar, &event);
        } else {
            QTest::keyClick(&form, Qt::Key_Space, Qt::AltModifier);
        }

        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }

    // The command returns 0 only once OK has hidden the box, which is modal
    // and owned by the main window meanwhile; chosen from the menu, it
    // arrives once the menu has closed.
    void aboutCommandIsModal_data() { skwtest::AddRows<bool>("fromMenu", {{"command", false}, {"menu item", true}}); }
    void aboutCommandIsModal()
    {
        QFETCH(bool, fromMenu);
        frmMain& form = shownMain();
        QStringList log;
        QWidget* modal = nullptr;
        QWidget* owner = nullptr;
        skwtest::WhenShown<frmAbout>([&](frmAbout& about) {
            modal = QApplication::activeModalWidget();
            owner = about.parentWidget();
            log << QStringLiteral("shown");
            skwtest::Click(about.cmdOk);
        });

        if (fromMenu) {
            platform::GetSystemMenu(&form, false)->Menu()->actions().at(6)->trigger();
            QVERIFY(!platform::FormRegistry::IsLoaded<frmAbout>());
            QTRY_COMPARE(log, QStringList{"shown"});
        } else {
            const platform::LRESULT result = platform::SendMessage(&form, platform::WM_SYSCOMMAND, 1, 0);
            log << QStringLiteral("returned %1").arg(result);
            QCOMPARE(log, (QStringList{"shown", "returned 0"}));
        }
        QCOMPARE(modal, &platform::Forms<frmAbout>());
        QCOMPARE(owner, &form);
        QVERIFY(!platform::Forms<frmAbout>().isVisible());
    }

    // Other window commands reach the window's own procedure: the window
    // does what it would do without the extension.
    void otherCommandsPassOn_data()
    {
        skwtest::AddColumns<platform::WPARAM, int, bool>("command", "windowState", "loaded");

        QTest::newRow("minimize") << platform::SC_MINIMIZE << platform::vbMinimized << true;
        QTest::newRow("maximize") << platform::SC_MAXIMIZE << platform::vbMaximized << true;
        QTest::newRow("restore") << platform::SC_RESTORE << platform::vbNormal << true;
        QTest::newRow("unknown id 3") << platform::WPARAM(3) << platform::vbMaximized << true;
        QTest::newRow("close") << platform::SC_CLOSE << platform::vbNormal << false;
    }
    void otherCommandsPassOn()
    {
        QFETCH(platform::WPARAM, command);
        QFETCH(int, windowState);
        QFETCH(bool, loaded);
        frmMain& form = shownMain();
        form.showMaximized();

        platform::SendMessage(&form, platform::WM_SYSCOMMAND, command, 0);

        QCOMPARE(platform::FormRegistry::IsLoaded<frmMain>(), loaded);
        if (loaded)
            QCOMPARE(form.WindowState(), windowState);
        QCOMPARE(lastFormActions, loaded ? 0 : 1);
        QVERIFY(!platform::FormRegistry::IsLoaded<frmAbout>());
        QVERIFY(!platform::FormRegistry::IsLoaded<frmOptions>());
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
};

SKERRYWIND_TEST_MAIN(TestMSysMenu32)
#include "test_MSysMenu32.moc"
