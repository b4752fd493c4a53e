// SKERRYWIND_ENGINE_TEST: every key of the browser's commands over the real
// engine, with the focus in the page (in a form field that keeps every key
// from the page's own handling) and in the toolbar's address box; the
// mouse's back and forward buttons and Ctrl with the wheel over the page.
#include "EngineWindow.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "platform/engine/BrowserHost.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "settings/mdlGlobals.h"

#include <QLineEdit>
#include <QPrinter>
#include <QWebEngineView>
#include <QWindow>

using namespace skwtest;

namespace {
// A page whose form field has the focus and keeps every key from the page's
// own handling: the commands must work all the same.
QByteArray page(const char* title)
{
    return QByteArray("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>") + title
           + "</title></head><body><p>Page " + title
           + "</p><input id=\"field\" autofocus onkeydown=\"event.preventDefault()\"></body></html>";
}

// What a command is given with: a key, a mouse button, or Ctrl with the
// wheel (no key, no button).
struct Input {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    Qt::MouseButton button = Qt::NoButton;
};
}  // namespace

class TestKeysEngine : public QObject {
    Q_OBJECT

    LoopbackServer server;
    int printDialogs = 0;

private slots:
    void initTestCase()
    {
        server.SetPage(QStringLiteral("/a.html"), page("A"));
        server.SetPage(QStringLiteral("/b.html"), page("B"));
        server.SetPage(QStringLiteral("/slow.html"), page("Slow"), true);
        platform::FormRegistry::SetLastFormAction([] {});
        platform::SetPrintDialogHook([this](QPrinter&) {
            ++printDialogs;
            return false;
        });
    }
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        platform::SetCommandLineArguments({});
        printDialogs = 0;
    }
    // The rows share one main window, while it stays open.
    void cleanup() { QVERIFY(skwtest::Boxes().empty()); }
    void cleanupTestCase() { CloseTheMainWindow(); }

    // Each key gives its command with the focus in the page (in a field
    // that takes every key for itself) and in the toolbar's address box.
    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("expected");

        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
        const struct {
            Input input;
            const char* before;
            const char* expected;
        } rows[] = {
            {{"Alt+Left", Qt::Key_Left, alt}, "", "back"},
            {{"Alt+Right", Qt::Key_Right, alt}, "back", "forward"},
            {{"F5", Qt::Key_F5, {}}, "", "reload"},
            {{"Ctrl+R", Qt::Key_R, ctrl}, "", "reload"},
            {{"Shift+F5", Qt::Key_F5, shift}, "", "reload past the cache"},
            {{"Ctrl+Shift+R", Qt::Key_R, ctrl | shift}, "", "reload past the cache"},
            {{"Escape", Qt::Key_Escape, {}}, "loading", "stopped"},
            {{"Escape", Qt::Key_Escape, {}}, "find box", "find box closed"},
            {{"Escape", Qt::Key_Escape, {}}, "full screen", "not full screen"},
            {{"Alt+Home", Qt::Key_Home, alt}, "", "home"},
            {{"Ctrl+L", Qt::Key_L, ctrl}, "", "address box"},
            {{"Alt+D", Qt::Key_D, alt}, "", "address box"},
            {{"F6", Qt::Key_F6, {}}, "", "address box"},
            {{"Ctrl+F", Qt::Key_F, ctrl}, "", "find box"},
            {{"Ctrl+=", Qt::Key_Equal, ctrl}, "", "zoom 110%"},
            {{"Ctrl++", Qt::Key_Plus, ctrl | shift}, "", "zoom 110%"},
            {{"Ctrl+keypad +", Qt::Key_Plus, ctrl | Qt::KeypadModifier}, "", "zoom 110%"},
            {{"Ctrl+-", Qt::Key_Minus, ctrl}, "", "zoom 90%"},
            {{"Ctrl+0", Qt::Key_0, ctrl}, "zoomed", "zoom 100%"},
            {{"Ctrl+P", Qt::Key_P, ctrl}, "", "print dialog"},
            {{"F11", Qt::Key_F11, {}}, "", "full screen"},
            {{"Ctrl+W", Qt::Key_W, ctrl}, "", "closed"},
            {{"Ctrl+Q", Qt::Key_Q, ctrl}, "", "closed"},
            {{"F4", Qt::Key_F4, {}}, "", "toolbar hidden"},
            {{"mouse back button", 0, {}, Qt::BackButton}, "", "back"},
            {{"mouse forward button", 0, {}, Qt::ForwardButton}, "back", "forward"},
            {{"Ctrl+wheel", 0, ctrl}, "", "zoom 110%"},
        };
        for (const char* place : {"page", "address box"}) {
            for (const auto& row : rows) {
                const bool mouse = row.input.key == 0;
                if (mouse && QByteArray(place) != "page")
                    continue;  // the mouse acts over the page
                QTest::addRow("%s, %s", row.input.name, place)
                    << row.input.key << int(row.input.modifiers) << int(row.input.button)
                    << QString::fromLatin1(row.before) << QString::fromLatin1(row.expected);
            }
        }
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, button);
        QFETCH(QString, before);
        QFETCH(QString, expected);
        const bool inPage = QByteArray(QTest::currentDataTag()).endsWith(", page");
        const QString a = server.Url(QStringLiteral("/a.html"));
        const QString b = server.Url(QStringLiteral("/b.html"));
        // The window of the row before, if it is still open, as it was made:
        // not full screen, no find box, at 100%, with the toolbar shown.
        frmMain& form = MainWindow();
        form.Show();
        form.DoCommand(MCommands::Command::Escape);
        form.WebBrowser1->SetZoomFactor(1.0);
        if (!Toolbar().Visible())
            Toolbar().Show(platform::vbModeless, &form);
        mdlGlobals::bShowToolbar = true;
        // Page B, with page A before it where the row goes back.
        if (before == "back" || expected == "back")
            QVERIFY(Open(a));
        if (before == "back" || expected == "back" || AddressBox()->text() != b)
            QVERIFY(Open(b));
        if (before == "back") {
            form.WebBrowser1->GoBack();
            QTRY_COMPARE_WITH_TIMEOUT(AddressBox()->text(), a, kLoadTimeout);
            QTRY_VERIFY(!form.WebBrowser1->Busy());
        } else if (before == "loading") {
            form.WebBrowser1->Navigate(server.Url(QStringLiteral("/slow.html")));
            QTRY_VERIFY_WITH_TIMEOUT(form.Caption().endsWith(u"[Slow]"), kLoadTimeout);
            QVERIFY(form.WebBrowser1->Busy());
        } else if (before == "find box") {
            form.DoCommand(MCommands::Command::Find);
        } else if (before == "full screen") {
            form.SetFullScreen(true);
        } else if (before == "zoomed") {
            form.WebBrowser1->SetZoomFactor(1.5);
        }
        QVERIFY(inPage ? FocusThePage() : FocusTheAddressBox());
        if (inPage)
            QTRY_COMPARE(RunScript(QStringLiteral("document.activeElement.id")).toString(), QStringLiteral("field"));
        const qsizetype requestsBefore = server.Requests.size();
        const QString addressBefore = AddressBox()->text();

        QWidget* target = QApplication::focusWidget();
        if (key != 0) {
            QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        } else if (button != Qt::NoButton) {
            const QPoint at = form.WebBrowser1->Widget()->mapTo(&form, QPoint(50, 50));
            QTest::mousePress(form.windowHandle(), Qt::MouseButton(button), {}, at);
            QTest::mouseRelease(form.windowHandle(), Qt::MouseButton(button), {}, at);
        } else {
            const QPoint at(50, 50);
            QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                              Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &wheel);
        }

        if (expected == "back") {
            QTRY_COMPARE_WITH_TIMEOUT(AddressBox()->text(), a, kLoadTimeout);
        } else if (expected == "forward") {
            QTRY_COMPARE_WITH_TIMEOUT(AddressBox()->text(), b, kLoadTimeout);
        } else if (expected.startsWith(u"reload")) {
            QTRY_VERIFY_WITH_TIMEOUT(server.Requests.size() > requestsBefore, kLoadTimeout);
            const QByteArray head = server.LastRequestFor(QStringLiteral("/b.html"));
            QCOMPARE(head.contains("no-cache"), expected == "reload past the cache");
        } else if (expected == "stopped") {
            QTRY_VERIFY_WITH_TIMEOUT(!form.WebBrowser1->Busy(), kLoadTimeout);
            QTRY_COMPARE(PanelText(1), QStringLiteral("Stopped"));
        } else if (expected == "find box closed") {
            QVERIFY(!form.FindBox1->Visible());
        } else if (expected == "not full screen") {
            QVERIFY(!form.FullScreen());
        } else if (expected == "home") {
            QTRY_COMPARE_WITH_TIMEOUT(AddressBox()->text(), QStringLiteral("skerrywind:home"), kLoadTimeout);
            QTRY_COMPARE(form.Caption(), QStringLiteral("Skerrywind v1.1.51a - [Skerrywind]"));
        } else if (expected == "address box") {
            QVERIFY(Toolbar().Visible());
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(AddressBox()));
            QCOMPARE(AddressBox()->selectedText(), AddressBox()->text());
        } else if (expected == "find box") {
            QVERIFY(form.FindBox1->Visible());
            QTRY_COMPARE(form.ActiveControl(), static_cast<QWidget*>(form.FindBox1));
        } else if (expected.startsWith(u"zoom")) {
            const QString percent = expected.section(u' ', 1);
            QCOMPARE(MCommands::ZoomText(form.WebBrowser1->ZoomFactor()), QStringLiteral("Zoom ") + percent);
            QCOMPARE(PanelText(1), QStringLiteral("Zoom ") + percent);
        } else if (expected == "print dialog") {
            QCOMPARE(printDialogs, 1);
        } else if (expected == "full screen") {
            QVERIFY(form.FullScreen());
        } else if (expected == "closed") {
            QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
            QCOMPARE(platform::GetSetting(QStringLiteral("Skerrywind"), QStringLiteral("Prefs"), QStringLiteral("Show Toolbar")),
                     QStringLiteral("True"));
            return;
        } else if (expected == "toolbar hidden") {
            QVERIFY(!Toolbar().Visible());
            QCOMPARE(mdlGlobals::bShowToolbar, !inPage);  // only the main window's F4 changes it
        } else {
            QFAIL("unknown expectation");
        }
        if (!expected.startsWith(u"back") && !expected.startsWith(u"forward") && expected != "home"
            && expected != "address box")
            QCOMPARE(AddressBox()->text(), addressBefore);
    }

};

SKERRYWIND_TEST_MAIN(TestKeysEngine)
#include "test_Keys_engine.moc"
