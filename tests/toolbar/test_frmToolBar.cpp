// The floating toolbar over a recording browser: its commands, Go, F4 from
// either window and the show-toolbar preference, "-notoolbar", the address
// box following completed documents, the caption drag, the title band's
// activation colours and the stored position.
#include "FormsTest.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/drawing/Resources.h"
#include "platform/engine/AddressCompleter.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>

#include <optional>

using skwtest::RecordingBrowser;
using skwtest::Rgb;

namespace {
const QString kShowToolbar = QStringLiteral("Show Toolbar");
void storeShowToolbar(const QString& value)
{
    skwtest::StorePref(kShowToolbar, value);
}
QString storedShowToolbar()
{
    return skwtest::StoredPref(kShowToolbar);
}
QString storedPlacement(const QString& key)
{
    return platform::GetSetting("Skerwind32", "frmToolBar", key, "(none)");
}

frmMain& start(const QStringList& arguments = {})
{
    platform::SetCommandLineArguments(arguments);
    frmMain& form = platform::Forms<frmMain>();
    form.Show();
    return form;
}

frmToolBar& toolbar()
{
    return platform::Forms<frmToolBar>();
}

// The browser calls since `from`, without the sizes the layout sets.
QStringList navigationCalls(qsizetype from)
{
    QStringList calls = RecordingBrowser::Last()->Calls.mid(from);
    calls.removeIf([](const QString& call) { return call.startsWith(u"Width") || call.startsWith(u"Height"); });
    return calls;
}

QImage image(const QIcon& icon)
{
    return icon.pixmap(32, 32).toImage();
}

// A colour of the title band, well inside it.
QRgb bandPixel()
{
    return skwtest::ImagePixel(toolbar(), 145, 7);
}

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

class TestFrmToolBar : public skwtest::FormsTest {
    Q_OBJECT

private slots:
    void cleanup()
    {
        FormsTest::cleanup();
        QVERIFY(!platform::FormRegistry::IsLoaded<frmToolBar>());
    }

    void commands_data()
    {
        skwtest::AddColumns<QString, int, QString, QString, QString>("button", "iconId", "homepage", "searchPage",
                                                                     "expected");

        // clang-format off
        QTest::newRow("back") << "cmdBack" << 101 << "" << "" << "GoBack";
        QTest::newRow("forward") << "cmdForward" << 102 << "" << "" << "GoForward";
        QTest::newRow("stop") << "cmdStop" << 103 << "" << "" << "Stop";
        QTest::newRow("refresh") << "cmdRefresh" << 104 << "" << "" << "Refresh";
        QTest::newRow("home, no preference") << "cmdHome" << 105 << "" << "file:///s.html" << "GoHome";
        QTest::newRow("home, preference") << "cmdHome" << 105 << "file:///h.html" << "" << "Navigate file:///h.html";
        QTest::newRow("search, no preference") << "cmdSearch" << 106 << "file:///h.html" << "" << "GoSearch";
        QTest::newRow("search, preference") << "cmdSearch" << 106 << "" << "file:///s.html" << "Navigate file:///s.html";
        // clang-format on
    }
    // Each button calls its member; a call that fails is reported with the
    // object name "frmToolbar" and the handler's own name.
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
        QCOMPARE(image(cmd->Picture()), image(platform::LoadResIcon(iconId)));

        QTest::mouseClick(cmd, Qt::LeftButton);
        QCOMPARE(navigationCalls(before), QStringList{expected});
        QVERIFY(skwtest::Boxes().empty());

        RecordingBrowser::Last()->FailOn(expected.section(u' ', 0, 0), platform::errPermissionDenied);
        QTest::mouseClick(cmd, Qt::LeftButton);
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Prompt, "Permission denied\r\n\r\nOccured in: frmToolbar::" + button + "_Click");
    }

    // Go does nothing with an empty box, and passes the text on as typed.
    void go()
    {
        start();
        const qsizetype before = RecordingBrowser::Last()->Calls.size();
        emit toolbar().cmdGo->Click();
        toolbar().txtURL->SetText(QStringLiteral("  file:///a.html "));
        emit toolbar().cmdGo->Click();
        QCOMPARE(navigationCalls(before), QStringList{"Navigate   file:///a.html "});
    }

    // The main window's F4 sets the preference to what it did; the
    // toolbar's own F4 and "-notoolbar" leave it. Either way the store holds
    // the preference once the main window has closed.
    void f4AndNoToolbar_data()
    {
        skwtest::AddColumns<QStringList, QString>("arguments", "storedBefore");
        QTest::addColumn<QString>("pressIn");  // "main", "toolbar" or nothing
        skwtest::AddColumns<int, bool, QString>("modifiers", "visibleAfter", "storedAfter");

        const QStringList none, noToolbar{QStringLiteral("-NoToolbar")};
        // clang-format off
        QTest::newRow("main hides") << none << "True" << "main" << int(Qt::NoModifier) << false << "False";
        QTest::newRow("main shows") << none << "False" << "main" << int(Qt::NoModifier) << true << "True";
        QTest::newRow("main, Ctrl+F4") << none << "True" << "main" << int(Qt::ControlModifier) << false << "False";
        QTest::newRow("toolbar hides, preference kept") << none << "True" << "toolbar" << int(Qt::NoModifier) << false << "True";
        QTest::newRow("toolbar, Shift+F4") << none << "True" << "toolbar" << int(Qt::ShiftModifier) << false << "True";
        QTest::newRow("-notoolbar, True kept") << noToolbar << "True" << "" << 0 << false << "True";
        QTest::newRow("-notoolbar, False kept") << noToolbar << "False" << "" << 0 << false << "False";
        QTest::newRow("-notoolbar, then F4") << noToolbar << "False" << "main" << 0 << true << "True";
        // clang-format on
    }
    void f4AndNoToolbar()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, storedBefore);
        QFETCH(QString, pressIn);
        QFETCH(int, modifiers);
        QFETCH(bool, visibleAfter);
        QFETCH(QString, storedAfter);
        storeShowToolbar(storedBefore);
        frmMain& main = start(arguments);
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(platform::FormRegistry::IsLoaded<frmToolBar>(), storedBefore == "True" || !arguments.isEmpty());

        if (!pressIn.isEmpty())
            pressF4(pressIn == "main" ? static_cast<QWidget*>(&main) : &toolbar(), Qt::KeyboardModifiers(modifiers));

        QCOMPARE(toolbar().Visible(), visibleAfter);
        if (visibleAfter)
            QCOMPARE(toolbar().parentWidget(), &main);
        main.close();
        QCOMPARE(storedShowToolbar(), storedAfter);
        QVERIFY(skwtest::Boxes().empty());
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

    // The address box's list opens only while the user types, with the
    // addresses completed so far (matched anywhere, in any letter case) or
    // the files of the folder typed; it never takes a click, stays closed
    // after Escape until the user types again, and a folder listing that
    // comes after the user moved on does not open it. The box's menu clears
    // the history.
    void addressCompletion_data()
    {
        skwtest::AddColumns<QString, QString>("typed", "then");
        QTest::addColumn<QStringList>("shown");  // empty: the list is closed
        const QStringList visited{"file:///srv/Visited-Page.html"}, file{"file://%1/abc.html"};
        // clang-format off
        QTest::newRow("typed") << "visited-p" << "" << visited;
        QTest::newRow("Escape") << "visited-p" << "Escape" << QStringList();
        QTest::newRow("Escape, then typing") << "visited-p" << "Escape, Backspace" << visited;
        QTest::newRow("a page completed") << "visited-p" << "completed" << QStringList();
        QTest::newRow("Go clicked") << "visited-p" << "Go" << QStringList();
        QTest::newRow("the main window clicked") << "visited-p" << "main" << QStringList();
        QTest::newRow("history cleared") << "visited-p" << "clear, Backspace" << QStringList();
        QTest::newRow("file listed") << "file://%1/ab" << "listed" << file;
        QTest::newRow("file listed after Escape") << "file://%1/ab" << "Escape, listed" << QStringList();
        QTest::newRow("file listed after Go") << "file://%1/ab" << "Go, listed" << QStringList();
        // clang-format on
    }
    void addressCompletion()
    {
        QFETCH(QString, typed);
        QFETCH(QString, then);
        QFETCH(QStringList, shown);
        QTemporaryDir dir;
        QFile(dir.filePath(QStringLiteral("abc.html"))).open(QIODevice::WriteOnly);
        frmMain& main = start();
        RecordingBrowser::Last()->RaiseDocumentComplete(QStringLiteral("file:///srv/Visited-Page.html"));
        auto* edit = qobject_cast<QLineEdit*>(toolbar().txtURL->TextBox_hWnd());
        platform::AddressCompleter* completer = platform::AddressCompleter::Of(edit);
        toolbar().windowHandle()->requestActivate();
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        QVERIFY(!completer->ListVisible());  // the completed address was not typed
        edit->clear();
        QTest::keyClicks(edit, typed.arg(dir.path()));
        auto* files = edit->findChild<QFileSystemModel*>();
        std::optional<QSignalSpy> listed;
        if (files)
            listed.emplace(files, &QFileSystemModel::directoryLoaded);
        const qsizetype calls = RecordingBrowser::Last()->Calls.size();

        for (const QString& step : then.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
            if (step == "Escape" || step == "Backspace")
                QTest::keyClick(edit, step == "Escape" ? Qt::Key_Escape : Qt::Key_Backspace);
            else if (step == "completed")
                RecordingBrowser::Last()->RaiseDocumentComplete(QStringLiteral("file:///srv/other.html"));
            else if (step == "listed")  // the typed folder, not only its parents
                QTRY_VERIFY(std::any_of(listed->cbegin(), listed->cend(),
                                        [&](const QVariantList& signal) { return signal[0] == dir.path(); }));
            else if (step == "clear") {
                emit edit->customContextMenuRequested(QPoint(5, 5));
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QCOMPARE(menu->actions().last()->text(), QStringLiteral("Clear address history"));
                QCOMPARE(menu->actions().at(menu->actions().size() - 2)->text(), QStringLiteral("Clear site zoom"));
                menu->actions().last()->trigger();
                menu->close();
            } else {
                // A click through the window system, as a person makes it.
                QWidget* target = step == "Go" ? static_cast<QWidget*>(toolbar().cmdGo->findChild<QWidget*>("Cover"))
                                               : main.WebBrowser1->Widget();
                QTest::mouseClick(target->window()->windowHandle(), Qt::LeftButton, {},
                                  target->mapTo(target->window(), target->rect().center()));
                QCOMPARE(RecordingBrowser::Last()->Calls.size() - calls, step == "Go" ? 1 : 0);
            }
        }
        QCoreApplication::processEvents();
        QCOMPARE(completer->ListVisible(), !shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(completer->Completions(), QStringList{shown.first().arg(dir.path())});
    }

    // The window moves by the pointer's displacement since a left-button
    // press, with the press's Y rounded to a whole twip, halves to even; a
    // position that cannot be applied is reported and leaves the window.
    void captionDrag_data()
    {
        skwtest::AddColumns<double, int, QPointF, bool, QPointF, QPoint, QString>(
            "twipsPerPixel", "button", "press", "releaseFirst", "move", "displacement", "report");

        QTest::newRow("(100, 50) to (160, 20)")
            << 15.0 << 1 << QPointF(100, 50) << false << QPointF(160, 20) << QPoint(60, -30) << "";
        QTest::newRow("right button: no drag")
            << 15.0 << 2 << QPointF(100, 50) << false << QPointF(160, 20) << QPoint(0, 0) << "";
        QTest::newRow("released: drag over")
            << 15.0 << 1 << QPointF(100, 50) << true << QPointF(160, 20) << QPoint(0, 0) << "";
        QTest::newRow("Y 50.5 keeps 50") << 1.0 << 1 << QPointF(100, 50.5) << false << QPointF(100, 20)
                                         << QPoint(0, -30) << "";
        QTest::newRow("Y 51.5 becomes 52")
            << 1.0 << 1 << QPointF(100, 51.5) << false << QPointF(100, 20) << QPoint(0, -32) << "";
        QTest::newRow("off any screen") << 15.0 << 1 << QPointF(100, 50) << false << QPointF(1e12, 20) << QPoint(0, 0)
                                        << "Overflow\r\n\r\nOccured in: frmToolbar::lblCaption_MouseMove";
    }
    void captionDrag()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(int, button);
        QFETCH(QPointF, press);
        QFETCH(bool, releaseFirst);
        QFETCH(QPointF, move);
        QFETCH(QPoint, displacement);
        QFETCH(QString, report);
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
        QCOMPARE(skwtest::Boxes().empty() ? QString() : skwtest::Boxes()[0].Prompt, report);
    }

    // The band shows the active caption colour while the toolbar is the
    // program's active window, the inactive one while the main window is.
    void bandFollowsActivation()
    {
        QVERIFY(Rgb(platform::COLOR_ACTIVECAPTION) != Rgb(platform::COLOR_INACTIVECAPTION));
        frmMain& main = start();
        QTRY_COMPARE(QGuiApplication::focusWindow(), toolbar().windowHandle());
        QCOMPARE(bandPixel(), Rgb(platform::COLOR_ACTIVECAPTION));

        main.windowHandle()->requestActivate();
        QTRY_COMPARE(bandPixel(), Rgb(platform::COLOR_INACTIVECAPTION));

        toolbar().windowHandle()->requestActivate();
        QTRY_COMPARE(bandPixel(), Rgb(platform::COLOR_ACTIVECAPTION));
    }

    // The toolbar stores its position, not its size, and reopens there.
    void storedPositionRestored()
    {
        start();
        toolbar().Move(2250, 1200);
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCOMPARE(storedPlacement(QStringLiteral("Left")), QStringLiteral("2250"));
        QCOMPARE(storedPlacement(QStringLiteral("Width")), QStringLiteral("(none)"));

        start();

        QVERIFY(toolbar().Visible());
        QCOMPARE(QPointF(toolbar().Left(), toolbar().Top()), QPointF(2250, 1200));
        QCOMPARE(QSizeF(toolbar().Width(), toolbar().Height()), QSizeF(4365, 1470));
    }
};

SKERRYWIND_TEST_MAIN(TestFrmToolBar)
#include "test_frmToolBar.moc"
