// The browser's keys, from the key event on: every binding in the page and
// in the address box, Enter and Escape where they differ, the keys the
// browser takes before the page, layouts that are not Latin and keys that
// give no command; the zoom steps and their bounds, and the zoom of a site
// kept within them.
#include "TestSupport.h"

#include "platform/engine/SiteZoom.h"
#include "platform/system/Application.h"
#include "platform/system/RecentStore.h"
#include "shell/MCommands.h"

#include <QKeyEvent>
#include <QUrl>

#include <cmath>

using MCommands::Command;
using MCommands::FocusPlace;

Q_DECLARE_METATYPE(MCommands::Command)
Q_DECLARE_METATYPE(MCommands::FocusPlace)

namespace {
Command commandOf(const QKeyEvent& key, FocusPlace place)
{
    return MCommands::CommandOfKey(platform::VbKeyCode(key), platform::VbShiftState(key.modifiers()), place);
}
bool browserFirst(const QKeyEvent& key)
{
    return MCommands::BrowserFirst(platform::VbKeyCode(key), platform::VbShiftState(key.modifiers()));
}
}  // namespace

class TestMCommands : public skwtest::FreshFoldersTest {
    Q_OBJECT

private slots:
    // Each key as Qt gives it (QKeySequence's names), pressed in the page and
    // in the address box: the same command in both, but Escape.
    void keys_data()
    {
        skwtest::AddColumns<QString, FocusPlace, Command>("keys", "place", "command");
        QTest::addColumn<bool>("first");  // the browser's before the page's
        const struct {
            const char* keys;
            Command command;
            bool first;
        } rows[] = {
            {"Alt+Left", Command::GoBack, false},
            {"Back", Command::GoBack, true},
            {"Alt+Right", Command::GoForward, false},
            {"Forward", Command::GoForward, true},
            {"F5", Command::Refresh, false},
            {"Ctrl+R", Command::Refresh, false},
            {"Shift+F5", Command::RefreshCompletely, false},
            {"Ctrl+F5", Command::RefreshCompletely, false},
            {"Ctrl+Shift+R", Command::RefreshCompletely, false},
            {"Alt+Home", Command::GoHome, false},
            {"Ctrl+L", Command::FocusAddress, false},
            {"Alt+D", Command::FocusAddress, false},
            {"F6", Command::FocusAddress, false},
            {"Ctrl+F", Command::Find, false},
            {"F3", Command::FindNext, false},
            {"Shift+F3", Command::FindPrevious, false},
            {"Ctrl+=", Command::ZoomIn, false},
            {"Ctrl++", Command::ZoomIn, false},
            {"Ctrl+Shift+=", Command::ZoomIn, false},
            {"Ctrl+Num++", Command::ZoomIn, false},
            {"Ctrl+-", Command::ZoomOut, false},
            {"Ctrl+Num+-", Command::ZoomOut, false},
            {"Ctrl+0", Command::ZoomReset, false},
            {"Ctrl+Num+0", Command::ZoomReset, false},
            {"Ctrl+P", Command::Print, false},
            {"F11", Command::FullScreen, true},
            {"Ctrl+W", Command::Close, true},
            {"Ctrl+Q", Command::Close, true},
            // No command: F4 is the main window's own; other shift states.
            {"F4", Command::None, false},
            {"Return", Command::None, false},
            {"Shift+R", Command::None, false},
            {"Ctrl+Alt+Left", Command::None, false},
            {"Ctrl+Shift+W", Command::None, false},
            {"Shift+F11", Command::None, false},
        };
        for (const auto& row : rows)
            for (const FocusPlace place : {FocusPlace::Page, FocusPlace::AddressBox})
                QTest::addRow("%s, %s", row.keys, place == FocusPlace::Page ? "page" : "address box")
                    << row.keys << place << row.command << row.first;
        QTest::newRow("Esc, page") << "Esc" << FocusPlace::Page << Command::Escape << false;
        QTest::newRow("Esc, address box") << "Esc" << FocusPlace::AddressBox << Command::RestoreAddress << false;
        QTest::newRow("Esc, toolbar") << "Esc" << FocusPlace::Toolbar << Command::Escape << false;
        QTest::newRow("Esc, find box") << "Esc" << FocusPlace::FindBox << Command::Escape << false;
        QTest::newRow("Return, find box") << "Return" << FocusPlace::FindBox << Command::FindNext << false;
        QTest::newRow("Shift+Return, find box")
            << "Shift+Return" << FocusPlace::FindBox << Command::FindPrevious << false;
        QTest::newRow("Ctrl+Return, find box") << "Ctrl+Return" << FocusPlace::FindBox << Command::None << false;
    }
    void keys()
    {
        QFETCH(QString, keys);
        QFETCH(FocusPlace, place);
        QFETCH(Command, command);
        QFETCH(bool, first);
        const QKeySequence sequence(keys);
        QCOMPARE(sequence.count(), 1);
        const QKeyCombination combination = sequence[0];
        // Qt reports a keypad key with the keypad modifier.
        const QKeyEvent key(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());

        QCOMPARE(commandOf(key, place), command);
        QCOMPARE(browserFirst(key), first);
    }

    // Keys as X11 reports them under other layouts: the key code of the key's
    // place, the layout's key and text. Where that is a character beyond
    // ASCII, the US layout's letter or digit key at the place counts; a key
    // without one (a dead key, an input method's composing) gives no command.
    void otherLayouts_data()
    {
        skwtest::AddColumns<int, int>("qtKey", "modifiers");
        QTest::addColumn<quint32>("keyCode");  // X11's: evdev's plus 8
        QTest::addColumn<Command>("command");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("Cyrillic, F's place") << 0x0410 << ctrl << 41u << Command::Find;
        QTest::newRow("Cyrillic, Alt, D's place") << 0x0412 << int(Qt::AltModifier) << 40u << Command::FocusAddress;
        QTest::newRow("Greek, P's place") << 0x03A0 << ctrl << 33u << Command::Print;
        QTest::newRow("Hebrew, R's place") << 0x05E8 << ctrl << 27u << Command::Refresh;
        // The layout's own ASCII keys stay theirs.
        QTest::newRow("Hebrew, \"/\" at Q's place") << int(Qt::Key_Slash) << ctrl << 24u << Command::None;
        QTest::newRow("Dvorak, \",\" at W's place") << int(Qt::Key_Comma) << ctrl << 25u << Command::None;
        QTest::newRow("AZERTY, the 0 key") << int(Qt::Key_Agrave) << ctrl << 19u << Command::ZoomReset;
        QTest::newRow("AZERTY, A at Q's place") << int(Qt::Key_A) << ctrl << 24u << Command::None;
        QTest::newRow("Cyrillic, no Ctrl") << 0x0410 << 0 << 41u << Command::None;
        QTest::newRow("dead key") << int(Qt::Key_Dead_Circumflex) << ctrl << 34u << Command::None;
        QTest::newRow("composing") << 0 << ctrl << 0u << Command::None;
    }
    void otherLayouts()
    {
        QFETCH(int, qtKey);
        QFETCH(int, modifiers);
        QFETCH(quint32, keyCode);
        QFETCH(Command, command);
        const QKeyEvent key(QEvent::KeyPress, qtKey, Qt::KeyboardModifiers(modifiers), keyCode, 0, 0,
                            qtKey > 0x20 && qtKey < 0x10000 ? QString(QChar(qtKey)).toLower() : QString());

        QCOMPARE(commandOf(key, FocusPlace::Page), command);
        QCOMPARE(commandOf(key, FocusPlace::AddressBox), command);
    }

    // From anywhere in the range (and beyond it, as a garbled store may
    // hold), a step goes to the next of the usual steps and stays within
    // 25% to 500%; a hundred steps end at either bound.
    void zoomSteps_data()
    {
        skwtest::AddColumns<double, int, int>("from", "step", "presses");
        QTest::addColumn<QStringList>("texts");  // after each of the first three presses, then after the last
        QTest::newRow("in from 100%") << 1.0 << 1 << 100
                                      << QStringList{"Zoom 110%", "Zoom 125%", "Zoom 150%", "Zoom 500%"};
        QTest::newRow("out from 100%") << 1.0 << -1 << 100
                                       << QStringList{"Zoom 90%", "Zoom 80%", "Zoom 75%", "Zoom 25%"};
        QTest::newRow("in between steps") << 1.2 << 1 << 1 << QStringList{"Zoom 125%"};
        QTest::newRow("out, next to a step") << 1.104 << -1 << 1 << QStringList{"Zoom 100%"};
        QTest::newRow("in at the top") << 5.0 << 1 << 1 << QStringList{"Zoom 500%"};
        QTest::newRow("out at the bottom") << 0.25 << -1 << 1 << QStringList{"Zoom 25%"};
        QTest::newRow("out from above the range") << 9.0 << -1 << 1 << QStringList{"Zoom 500%"};
        QTest::newRow("in from below the range") << 0.01 << 1 << 1 << QStringList{"Zoom 25%"};
    }
    void zoomSteps()
    {
        QFETCH(double, from);
        QFETCH(int, step);
        QFETCH(int, presses);
        QFETCH(QStringList, texts);
        constexpr int kFirstPresses = 3;
        double factor = from;
        QStringList shown;
        for (int i = 0; i < presses; ++i) {
            factor = MCommands::NextZoomFactor(factor, step);
            QVERIFY(factor >= platform::SiteZoom::kMinimum && factor <= platform::SiteZoom::kMaximum);
            if (i < kFirstPresses)
                shown << MCommands::ZoomText(factor);
        }
        if (presses > kFirstPresses)
            shown << MCommands::ZoomText(factor);
        QCOMPARE(shown, texts);
    }

    // A site keeps its zoom within the engine's range; 100% and a value the
    // program did not write (out of range, garbled) count as none.
    void siteZoomBounds_data()
    {
        QTest::addColumn<QString>("stored");  // a number to set, or "written <text>" as found in the store
        QTest::addColumn<double>("factor");
        QTest::newRow("within") << "1.5" << 1.5;
        QTest::newRow("above") << "40" << 5.0;
        QTest::newRow("below") << "0.01" << 0.25;
        QTest::newRow("not a number") << "nan" << 1.0;
        QTest::newRow("written above the range") << "written 9" << 1.0;
        QTest::newRow("written garbled") << "written 1,5x" << 1.0;
    }
    void siteZoomBounds()
    {
        QFETCH(QString, stored);
        QFETCH(double, factor);
        const QUrl page(QStringLiteral("https://example.org/a/b.html"));
        if (stored.startsWith(u"written "))
            platform::SiteZoom::Store().Put(platform::SiteZoom::SiteOf(page), {stored.mid(8)});
        else
            platform::SiteZoom::SetFactor(page, stored == "nan" ? std::nan("") : stored.toDouble());

        QCOMPARE(platform::SiteZoom::Factor(QUrl(QStringLiteral("https://EXAMPLE.org/other"))), factor);
    }
};

SKERRYWIND_TEST_MAIN(TestMCommands)
#include "test_MCommands.moc"
