// The keys of the browser's commands wherever the focus is, the zoom steps
// and the texts the commands show.
#include "TestSupport.h"

#include "platform/forms/Forms.h"
#include "shell/MCommands.h"

using MCommands::Command;
using MCommands::FocusPlace;
Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(FocusPlace)

namespace {
constexpr int16_t kShift = platform::vbShiftMask;
constexpr int16_t kCtrl = platform::vbCtrlMask;
constexpr int16_t kAlt = platform::vbAltMask;
const FocusPlace kEverywhere[] = {FocusPlace::Page, FocusPlace::FindBox, FocusPlace::AddressBox, FocusPlace::Toolbar};
}  // namespace

class TestMCommands : public QObject {
    Q_OBJECT

private slots:
    // Every key means the same wherever the focus is, except Enter, which
    // finds again only in the find box. Modifiers must match exactly.
    void commandOfKey_data()
    {
        QTest::addColumn<int>("keyCode");
        QTest::addColumn<int>("shift");
        QTest::addColumn<Command>("expected");
        const struct {
            const char* name;
            int16_t keyCode;
            int16_t shift;
            Command expected;
        } rows[] = {
            {"Alt+Left", platform::vbKeyLeft, kAlt, Command::GoBack},
            {"browser back key (and mouse button)", platform::vbKeyBrowserBack, 0, Command::GoBack},
            {"Alt+Right", platform::vbKeyRight, kAlt, Command::GoForward},
            {"browser forward key", platform::vbKeyBrowserForward, 0, Command::GoForward},
            {"F5", platform::vbKeyF5, 0, Command::Refresh},
            {"Ctrl+R", platform::vbKeyR, kCtrl, Command::Refresh},
            {"Shift+F5", platform::vbKeyF5, kShift, Command::RefreshCompletely},
            {"Ctrl+F5", platform::vbKeyF5, kCtrl, Command::RefreshCompletely},
            {"Ctrl+Shift+R", platform::vbKeyR, kCtrl | kShift, Command::RefreshCompletely},
            {"Escape", platform::vbKeyEscape, 0, Command::Escape},
            {"Alt+Home", platform::vbKeyHome, kAlt, Command::GoHome},
            {"Ctrl+L", platform::vbKeyL, kCtrl, Command::FocusAddress},
            {"Alt+D", platform::vbKeyD, kAlt, Command::FocusAddress},
            {"F6", platform::vbKeyF6, 0, Command::FocusAddress},
            {"Ctrl+F", platform::vbKeyF, kCtrl, Command::Find},
            {"F3", platform::vbKeyF3, 0, Command::FindNext},
            {"Shift+F3", platform::vbKeyF3, kShift, Command::FindPrevious},
            {"Ctrl+=", platform::vbKeyOemPlus, kCtrl, Command::ZoomIn},
            {"Ctrl++ as Ctrl+Shift+=", platform::vbKeyOemPlus, kCtrl | kShift, Command::ZoomIn},
            {"Ctrl+keypad plus", platform::vbKeyAdd, kCtrl, Command::ZoomIn},
            {"Ctrl+-", platform::vbKeyOemMinus, kCtrl, Command::ZoomOut},
            {"Ctrl+keypad minus", platform::vbKeySubtract, kCtrl, Command::ZoomOut},
            {"Ctrl+0", platform::vbKey0, kCtrl, Command::ZoomReset},
            {"Ctrl+keypad 0", platform::vbKeyNumpad0, kCtrl, Command::ZoomReset},
            {"Ctrl+P", platform::vbKeyP, kCtrl, Command::Print},
            {"F11", platform::vbKeyF11, 0, Command::FullScreen},
            {"Ctrl+W", platform::vbKeyW, kCtrl, Command::Close},
            {"Ctrl+Q", platform::vbKeyQ, kCtrl, Command::Close},
            // Keys that are no command: the plain letters and arrows a text
            // box or a page needs, other modifiers, and F4 (the forms' own).
            {"Left", platform::vbKeyLeft, 0, Command::None},
            {"Ctrl+Alt+Left", platform::vbKeyLeft, kCtrl | kAlt, Command::None},
            {"R", platform::vbKeyR, 0, Command::None},
            {"Shift+R", platform::vbKeyR, kShift, Command::None},
            {"Alt+F5", platform::vbKeyF5, kAlt, Command::None},
            {"Home", platform::vbKeyHome, 0, Command::None},
            {"Shift+Escape", platform::vbKeyEscape, kShift, Command::None},
            {"=", platform::vbKeyOemPlus, 0, Command::None},
            {"0", platform::vbKey0, 0, Command::None},
            {"Ctrl+Shift+W", platform::vbKeyW, kCtrl | kShift, Command::None},
            {"F4", platform::vbKeyF4, 0, Command::None},
            {"Ctrl+F4", platform::vbKeyF4, kCtrl, Command::None},
            {"unknown key", 0, 0, Command::None},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << int(row.keyCode) << int(row.shift) << row.expected;
    }
    void commandOfKey()
    {
        QFETCH(int, keyCode);
        QFETCH(int, shift);
        QFETCH(Command, expected);
        for (const FocusPlace place : kEverywhere)
            QCOMPARE(MCommands::CommandOfKey(int16_t(keyCode), int16_t(shift), place), expected);
    }

    void enter_data()
    {
        QTest::addColumn<int>("shift");
        QTest::addColumn<FocusPlace>("place");
        QTest::addColumn<Command>("expected");
        QTest::newRow("find box") << 0 << FocusPlace::FindBox << Command::FindNext;
        QTest::newRow("find box, Shift") << int(kShift) << FocusPlace::FindBox << Command::FindPrevious;
        QTest::newRow("find box, Ctrl") << int(kCtrl) << FocusPlace::FindBox << Command::None;
        QTest::newRow("address box") << 0 << FocusPlace::AddressBox << Command::None;
        QTest::newRow("address box, Shift") << int(kShift) << FocusPlace::AddressBox << Command::None;
        QTest::newRow("page") << 0 << FocusPlace::Page << Command::None;
        QTest::newRow("toolbar") << 0 << FocusPlace::Toolbar << Command::None;
    }
    void enter()
    {
        QFETCH(int, shift);
        QFETCH(FocusPlace, place);
        QFETCH(Command, expected);
        QCOMPARE(MCommands::CommandOfKey(platform::vbKeyReturn, int16_t(shift), place), expected);
    }

    // From either end, step by step: every step once, in order, and each end
    // holds; factors between steps go to the neighbouring step.
    void zoomSteps()
    {
        const QStringList up{"25%", "33%", "50%", "67%", "75%", "80%", "90%", "100%", "110%",
                             "125%", "150%", "175%", "200%", "250%", "300%", "400%", "500%"};
        const auto sweep = [&](double from, int step) {
            QStringList seen;
            double f = from;
            for (qsizetype i = 0; i <= up.size(); ++i) {
                seen << MCommands::ZoomText(f).mid(QStringLiteral("Zoom ").size());
                f = MCommands::NextZoomFactor(f, step);
            }
            return seen;
        };
        QCOMPARE(sweep(0.25, 1), up + QStringList{"500%"});
        QCOMPARE(sweep(5.0, -1), QStringList(up.rbegin(), up.rend()) + QStringList{"25%"});

        QCOMPARE(MCommands::NextZoomFactor(1.04, 1), 1.1);
        QCOMPARE(MCommands::NextZoomFactor(1.04, -1), 1.0);
        QCOMPARE(MCommands::NextZoomFactor(0.333, -1), 0.25);
        QCOMPARE(MCommands::NextZoomFactor(0.333, 1), 0.5);
        QCOMPARE(MCommands::NextZoomFactor(7.0, 1), 5.0);
        QCOMPARE(MCommands::NextZoomFactor(0.1, -1), 0.25);
    }

    void texts()
    {
        QCOMPARE(MCommands::ZoomText(1.1), QStringLiteral("Zoom 110%"));
        QCOMPARE(MCommands::ZoomText(0.67), QStringLiteral("Zoom 67%"));
        QCOMPARE(MCommands::FindResultText(3, 12), QStringLiteral("3 of 12"));
        QCOMPARE(MCommands::FindResultText(0, 0), QStringLiteral("Not found"));
    }
};

SKERRYWIND_TEST_MAIN(TestMCommands)
#include "test_MCommands.moc"
