// The floating toolbar over a recording browser: its commands, Go, F4 from
// either window and the show-toolbar preference, "-notoolbar", the address
// box following completed documents, the caption drag, the title band's
// activation colours and the stored position.
#include "FakePointer.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/Resources.h"
#include "platform/Runtime.h"
#include "platform/Settings.h"
#include "platform/Surface.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QCompleter>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWindow>

using skwtest::RecordingBrowser;

namespace {
void storeShowToolbar(const QString& value)
{
    platform::SaveSetting(QStringLiteral("Skerrywind"), QStringLiteral("Prefs"), QStringLiteral("Show Toolbar"), value);
}

QString storedShowToolbar()
{
    return platform::GetSetting(QStringLiteral("Skerrywind"), QStringLiteral("Prefs"), QStringLiteral("Show Toolbar"),
                                QStringLiteral("(none)"));
}

QString storedToolbarPlacement(const QString& key)
{
    return platform::GetSetting(QStringLiteral("Skerwind32"), QStringLiteral("frmToolBar"), key, QStringLiteral("(none)"));
}

frmMain& start(const QStringList& arguments = {})
{
    platform::SetCommandLineArguments(arguments);
    frmMain& form = platform::Forms<frmMain>();
    form.Show();
    return form;
}

frmToolBar& toolbar() { return platform::Forms<frmToolBar>(); }

// The browser calls since `from`, without the sizes the layout sets.
QStringList navigationCalls(qsizetype from = 0)
{
    QStringList calls = RecordingBrowser::Last()->Calls.mid(from);
    calls.removeIf([](const QString& call) { return call.startsWith(u"Width") || call.startsWith(u"Height"); });
    return calls;
}

QImage image(const QIcon& icon) { return icon.pixmap(32, 32).toImage(); }

// A colour of the title band, well inside it.
QRgb bandPixel() { return toolbar().hDC().Image().pixel(145, 7) & 0xFFFFFF; }
QRgb rgb(platform::OLE_COLOR c) { return platform::TranslateColor(c).rgb() & 0xFFFFFF; }

// F4 as the user presses it in `window`: the window is made active and the
// key goes to its focused widget.
void pressF4(QWidget* window, Qt::KeyboardModifiers modifiers)
{
    window->windowHandle()->requestActivate();
    QTRY_COMPARE(QGuiApplication::focusWindow(), window->windowHandle());
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QTest::keyClick(target, Qt::Key_F4, modifiers);
}
}  // namespace

class TestFrmToolBar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RecordingBrowser::Install();
        platform::FormRegistry::SetLastFormAction([] {});
    }
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        platform::SetTwipsPerPixelOverride(15);
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!platform::FormRegistry::IsLoaded<frmToolBar>());
    }

    void commands_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("iconId");
        QTest::addColumn<QString>("homepage");
        QTest::addColumn<QString>("searchPage");
        QTest::addColumn<QString>("expected");

        QTest::newRow("back") << "cmdBack" << 101 << "" << "" << "GoBack";
        QTest::newRow("forward") << "cmdForward" << 102 << "" << "" << "GoForward";
        QTest::newRow("stop") << "cmdStop" << 103 << "" << "" << "Stop";
        QTest::newRow("refresh") << "cmdRefresh" << 104 << "" << "" << "Refresh";
        QTest::newRow("home, no preference") << "cmdHome" << 105 << "" << "file:///s.html" << "GoHome";
        QTest::newRow("home, preference") << "cmdHome" << 105 << "file:///h.html" << "" << "Navigate file:///h.html";
        QTest::newRow("search, no preference") << "cmdSearch" << 106 << "file:///h.html" << "" << "GoSearch";
        QTest::newRow("search, preference") << "cmdSearch" << 106 << "" << "file:///s.html" << "Navigate file:///s.html";
    }
    void commands()
    {
        QFETCH(QString, button);
        QFETCH(int, iconId);
        QFETCH(QString, homepage);
        QFETCH(QString, searchPage);
        QFETCH(QString, expected);
        start();
        mdlGlobals::strHomepage = homepage;
        mdlGlobals::strSearchPage = searchPage;
        const qsizetype before = RecordingBrowser::Last()->Calls.size();
        auto* cmd = toolbar().findChild<platform::CommandButton*>(button);
        QVERIFY(cmd);
        QCOMPARE(image(cmd->Picture()), image(platform::LoadResIcon(iconId)));

        QTest::mouseClick(cmd, Qt::LeftButton);

        QCOMPARE(navigationCalls(before), QStringList{expected});
        QVERIFY(skwtest::Boxes().empty());
    }

    void failingCommandIsReported_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("call");
        QTest::newRow("back") << "cmdBack" << "GoBack";
        QTest::newRow("forward") << "cmdForward" << "GoForward";
        QTest::newRow("stop") << "cmdStop" << "Stop";
        QTest::newRow("refresh") << "cmdRefresh" << "Refresh";
        QTest::newRow("home") << "cmdHome" << "GoHome";
        QTest::newRow("search") << "cmdSearch" << "Navigate";
    }
    void failingCommandIsReported()
    {
        QFETCH(QString, button);
        QFETCH(QString, call);
        start();
        mdlGlobals::strHomepage.clear();
        mdlGlobals::strSearchPage = QStringLiteral("file:///s.html");
        RecordingBrowser::Last()->FailOn(call, platform::errPermissionDenied);

        toolbar().findChild<platform::CommandButton*>(button)->click();

        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Title, QStringLiteral("Error! (70)"));
        QCOMPARE(skwtest::Boxes()[0].Prompt,
                 QStringLiteral("Permission denied\r\n\r\nOccured in: frmToolbar::%1_Click").arg(button));
        QVERIFY(toolbar().Visible());
    }

    void go_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty") << "" << QStringList{};
        QTest::newRow("blanks kept") << "  file:///a.html " << QStringList{"Navigate   file:///a.html "};
        QTest::newRow("blanks only") << " " << QStringList{"Navigate  "};
        QTest::newRow("no scheme added") << "example" << QStringList{"Navigate example"};
    }
    void go()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, expected);
        start();
        const qsizetype before = RecordingBrowser::Last()->Calls.size();
        toolbar().txtURL->SetText(typed);

        emit toolbar().cmdGo->Click();

        QCOMPARE(navigationCalls(before), expected);
        QCOMPARE(toolbar().txtURL->Text(), typed);
    }

    // The main window's F4 sets the preference to what it did; the
    // toolbar's own F4 leaves it. Either way the effect reaches the store
    // when the main window closes.
    void f4_data()
    {
        QTest::addColumn<bool>("fromToolbar");
        QTest::addColumn<QString>("storedBefore");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("visibleAfter");
        QTest::addColumn<QString>("storedAfter");

        QTest::newRow("main window hides") << false << "True" << int(Qt::NoModifier) << false << "False";
        QTest::newRow("main window shows") << false << "False" << int(Qt::NoModifier) << true << "True";
        QTest::newRow("main window, Ctrl+F4") << false << "True" << int(Qt::ControlModifier) << false << "False";
        QTest::newRow("toolbar hides, preference kept") << true << "True" << int(Qt::NoModifier) << false << "True";
        QTest::newRow("toolbar, Shift+F4") << true << "True" << int(Qt::ShiftModifier) << false << "True";
    }
    void f4()
    {
        QFETCH(bool, fromToolbar);
        QFETCH(QString, storedBefore);
        QFETCH(int, modifiers);
        QFETCH(bool, visibleAfter);
        QFETCH(QString, storedAfter);
        storeShowToolbar(storedBefore);
        frmMain& main = start();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        pressF4(fromToolbar ? static_cast<QWidget*>(&toolbar()) : &main, Qt::KeyboardModifiers(modifiers));

        QCOMPARE(toolbar().Visible(), visibleAfter);
        if (visibleAfter)
            QCOMPARE(toolbar().parentWidget(), &main);
        main.close();
        QCOMPARE(storedShowToolbar(), storedAfter);
        QVERIFY(skwtest::Boxes().empty());
    }

    void noToolbarArgument_data()
    {
        QTest::addColumn<QString>("storedBefore");
        QTest::addColumn<bool>("pressF4");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("stored True") << "True" << false << "True";
        QTest::newRow("stored False") << "False" << false << "False";
        QTest::newRow("nothing stored") << "" << false << "True";
        QTest::newRow("F4 then shows it") << "False" << true << "True";
    }
    void noToolbarArgument()
    {
        QFETCH(QString, storedBefore);
        QFETCH(bool, pressF4);
        QFETCH(QString, storedAfter);
        if (!storedBefore.isEmpty())
            storeShowToolbar(storedBefore);
        frmMain& main = start({QStringLiteral("-NoToolbar")});

        QVERIFY(platform::FormRegistry::IsLoaded<frmToolBar>());
        QVERIFY(!toolbar().Visible());
        if (pressF4) {
            ::pressF4(&main, Qt::NoModifier);
            QVERIFY(toolbar().Visible());
        }
        main.close();

        QCOMPARE(storedShowToolbar(), storedAfter);
        QVERIFY(!platform::FormRegistry::IsLoaded<frmToolBar>());
    }

    // Every completed document, frames included, writes its address into the
    // box of the toolbar, which is loaded for it and stays hidden; the last
    // to complete wins, over what the user typed. A URL that is no text
    // changes nothing.
    void hiddenToolbarFollowsDocuments()
    {
        storeShowToolbar(QStringLiteral("False"));
        start();
        QVERIFY(!platform::FormRegistry::IsLoaded<frmToolBar>());
        RecordingBrowser* browser = RecordingBrowser::Last();

        browser->RaiseDocumentComplete(QStringLiteral("file:///frame.html"));
        QVERIFY(platform::FormRegistry::IsLoaded<frmToolBar>());
        QVERIFY(!toolbar().Visible());
        QCOMPARE(toolbar().txtURL->Text(), QStringLiteral("file:///frame.html"));
        QCOMPARE(toolbar().txtURL->SelStart(), 0);  // the address shows from its start

        toolbar().txtURL->SetText(QStringLiteral("typed"));
        browser->RaiseDocumentComplete(QStringLiteral("file:///page.html"));
        QCOMPARE(toolbar().txtURL->Text(), QStringLiteral("file:///page.html"));

        emit browser->DocumentComplete(browser, QVariant());
        emit browser->DocumentComplete(browser, QVariant::fromValue(QSize(1, 2)));
        QCOMPARE(toolbar().txtURL->Text(), QStringLiteral("file:///page.html"));
        QVERIFY(!toolbar().Visible());
        QVERIFY(skwtest::Boxes().empty());
    }

    // The address box offers the addresses completed so far, matched
    // anywhere and in any letter case, and file paths for "/" and "file:".
    void addressCompletion()
    {
        QTemporaryDir dir;
        QFile page(dir.filePath(QStringLiteral("abc.html")));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        start();
        RecordingBrowser::Last()->RaiseDocumentComplete(QStringLiteral("file:///srv/Visited-Page.html"));
        auto* edit = qobject_cast<QLineEdit*>(toolbar().txtURL->TextBox_hWnd());
        QVERIFY(edit && edit->completer());
        QCompleter* completer = edit->completer();
        toolbar().windowHandle()->requestActivate();
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        edit->clear();

        QTest::keyClicks(edit, QStringLiteral("visited-p"));
        QCOMPARE(completer->completionCount(), 1);
        QCOMPARE(completer->currentCompletion(), QStringLiteral("file:///srv/Visited-Page.html"));

        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("file://") + dir.path() + QStringLiteral("/ab"));
        QTRY_COMPARE(completer->currentCompletion(), QStringLiteral("file://") + dir.path() + QStringLiteral("/abc.html"));

        edit->clear();
        QTest::keyClicks(edit, dir.path() + QStringLiteral("/ab"));
        QTRY_COMPARE(completer->currentCompletion(), dir.path() + QStringLiteral("/abc.html"));
    }

    // The window moves by the pointer's displacement since a left-button
    // press, with the press's Y rounded to a whole twip, halves to even.
    void captionDrag_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<int>("button");
        QTest::addColumn<QPointF>("press");
        QTest::addColumn<bool>("releaseFirst");
        QTest::addColumn<QPointF>("move");
        QTest::addColumn<QPoint>("displacement");

        QTest::newRow("(100, 50) to (160, 20)") << 15.0 << 1 << QPointF(100, 50) << false << QPointF(160, 20) << QPoint(60, -30);
        QTest::newRow("right button: no drag") << 15.0 << 2 << QPointF(100, 50) << false << QPointF(160, 20) << QPoint(0, 0);
        QTest::newRow("released: drag over") << 15.0 << 1 << QPointF(100, 50) << true << QPointF(160, 20) << QPoint(0, 0);
        QTest::newRow("Y 50.5 keeps 50") << 1.0 << 1 << QPointF(100, 50.5) << false << QPointF(100, 20) << QPoint(0, -30);
        QTest::newRow("Y 51.5 becomes 52") << 1.0 << 1 << QPointF(100, 51.5) << false << QPointF(100, 20) << QPoint(0, -32);
    }
    void captionDrag()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(int, button);
        QFETCH(QPointF, press);
        QFETCH(bool, releaseFirst);
        QFETCH(QPointF, move);
        QFETCH(QPoint, displacement);
        platform::SetTwipsPerPixelOverride(twipsPerPixel);
        start();
        frmToolBar& bar = toolbar();
        bar.Move(1500, 900);
        const QSize size = bar.size();

        emit bar.lblCaption->MouseDown(int16_t(button), 0, float(press.x()), float(press.y()));
        if (releaseFirst)
            emit bar.lblCaption->MouseUp(int16_t(platform::vbRightButton), 0, float(press.x()), float(press.y()));
        emit bar.lblCaption->MouseMove(0, 0, float(move.x()), float(move.y()));

        QCOMPARE(QPointF(bar.Left(), bar.Top()), QPointF(1500 + displacement.x(), 900 + displacement.y()));
        QCOMPARE(bar.size(), size);
        QVERIFY(skwtest::Boxes().empty());
    }

    // With the real mouse on the label: the window follows the pointer.
    void dragWithTheMouse()
    {
        start();
        frmToolBar& bar = toolbar();
        bar.Move(1500, 900);
        using skwtest::SendMouse;

        SendMouse(bar.lblCaption, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(20, 8));
        SendMouse(bar.lblCaption, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(27, 5));
        QCOMPARE(QPointF(bar.Left(), bar.Top()), QPointF(1500 + 7 * 15, 900 - 3 * 15));
        SendMouse(bar.lblCaption, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(20, 8));
        SendMouse(bar.lblCaption, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, QPoint(40, 8));
        QCOMPARE(QPointF(bar.Left(), bar.Top()), QPointF(1500 + 7 * 15, 900 - 3 * 15));
    }

    // A position that cannot be applied is reported; the window stays and
    // the drag goes on.
    void failingDragMoveIsReported()
    {
        start();
        frmToolBar& bar = toolbar();
        bar.Move(1500, 900);
        emit bar.lblCaption->MouseDown(platform::vbLeftButton, 0, 100, 50);

        emit bar.lblCaption->MouseMove(platform::vbLeftButton, 0, 1e12f, 50);

        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Prompt, QStringLiteral("Overflow\r\n\r\nOccured in: frmToolbar::lblCaption_MouseMove"));
        QCOMPARE(QPointF(bar.Left(), bar.Top()), QPointF(1500, 900));
        emit bar.lblCaption->MouseMove(platform::vbLeftButton, 0, 160, 20);
        QCOMPARE(QPointF(bar.Left(), bar.Top()), QPointF(1560, 870));
    }

    // The band shows the active caption colour while the toolbar is the
    // program's active window, the inactive one while the main window is.
    void bandFollowsActivation()
    {
        QVERIFY(rgb(platform::COLOR_ACTIVECAPTION) != rgb(platform::COLOR_INACTIVECAPTION));
        frmMain& main = start();
        QTRY_COMPARE(QGuiApplication::focusWindow(), toolbar().windowHandle());
        QCOMPARE(bandPixel(), rgb(platform::COLOR_ACTIVECAPTION));

        main.windowHandle()->requestActivate();
        QTRY_COMPARE(bandPixel(), rgb(platform::COLOR_INACTIVECAPTION));

        toolbar().windowHandle()->requestActivate();
        QTRY_COMPARE(bandPixel(), rgb(platform::COLOR_ACTIVECAPTION));
    }

    // The toolbar stores its position, not its size, and reopens there.
    void storedPositionRestored()
    {
        start();
        toolbar().Move(2250, 1200);
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCOMPARE(storedToolbarPlacement(QStringLiteral("Left")), QStringLiteral("2250"));
        QCOMPARE(storedToolbarPlacement(QStringLiteral("Width")), QStringLiteral("(none)"));

        start();

        QVERIFY(toolbar().Visible());
        QCOMPARE(QPointF(toolbar().Left(), toolbar().Top()), QPointF(2250, 1200));
        QCOMPARE(QSizeF(toolbar().Width(), toolbar().Height()), QSizeF(4365, 1470));
    }
};

SKERRYWIND_TEST_MAIN(TestFrmToolBar)
#include "test_frmToolBar.moc"
