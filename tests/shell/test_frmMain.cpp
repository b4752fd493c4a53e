// The main window with a recording browser: the start-up, the layout of the
// browser and the status bar, the title and the status texts, the keys and
// wheel turns with the focus in the page, full screen, the trapped failures,
// and the shut-down.
#include "Dialogs.h"
#include "FormsTest.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "dialogs/frmAbout.h"
#include "platform/forms/WindowProc.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "questions/frmPageDialog.h"
#include "settings/mdlGlobals.h"
#include "shell/MArgs.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QFile>
#include <QLabel>
#include <QTimer>
#include <QWindow>

using skwtest::PanelText;
using skwtest::RecordingBrowser;
using skwtest::StoredPref;
using skwtest::StorePref;

namespace {
const QString kPrefix = QStringLiteral("Skerrywind v1.1.51a");

// The navigation calls, without the sizes the layout sets.
QStringList navigationCalls()
{
    QStringList calls = RecordingBrowser::Last()->Calls;
    calls.removeIf([](const QString& call) { return call.startsWith(u"Width") || call.startsWith(u"Height"); });
    return calls;
}

// The keys (modifier keys aside), clicks and wheel turns that reach a widget.
struct Arrivals : QObject {
    explicit Arrivals(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
        count += key ? key->key() < Qt::Key_Shift || key->key() > Qt::Key_Alt
                     : event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel;
        return false;
    }
};

// The main window shown and active, with the focus on its page.
frmMain& startWithFocusOnThePage()
{
    frmMain& form = platform::Forms<frmMain>();
    form.Show();
    form.windowHandle()->requestActivate();
    form.WebBrowser1->SetFocus();
    if (!QTest::qWaitFor([&] { return QApplication::focusWidget() == form.WebBrowser1->Widget(); }))
        qWarning("the page did not get the focus");
    RecordingBrowser::Last()->Calls.clear();
    return form;
}
}  // namespace

class TestFrmMain : public skwtest::FormsTest {
    Q_OBJECT

private slots:
    void init()
    {
        FormsTest::init();
        mdlGlobals::bShowToolbar = false;
    }
    void cleanup()
    {
        platform::SetTwipsPerPixelOverride(15);
        FormsTest::cleanup();
    }

    // Arguments and preferences are read before the navigation; pending
    // events run before it and after it, all before the load returns and
    // before the window shows.
    void startUpOrder()
    {
        StorePref(QStringLiteral("Default Homepage"), QStringLiteral("file:///srv/home.html"));
        platform::SetCommandLineArguments({QStringLiteral("-notoolbar")});
        QStringList log;
        QTimer::singleShot(0, [&] { log << QStringLiteral("pending before load"); });
        RecordingBrowser::Install([&](RecordingBrowser* browser) {
            browser->OnCall = [&, browser](const QString& call) {
                if (!call.startsWith(u"Navigate"))
                    return;
                log << call;
                QCOMPARE(MArgs::strArgs, (QStringList{QString(), QStringLiteral("-notoolbar")}));
                QCOMPARE(mdlGlobals::strHomepage, QStringLiteral("file:///srv/home.html"));
                QVERIFY(!browser->Widget()->window()->isVisible());
                QTimer::singleShot(0, [&] { log << QStringLiteral("posted by the navigation"); });
            };
        });

        platform::Forms<frmMain>();
        RecordingBrowser::Install();

        QCOMPARE(log,
                 (QStringList{"pending before load", "Navigate file:///srv/home.html", "posted by the navigation"}));
    }

    void resizeLayout_data()
    {
        skwtest::AddColumns<double, QSize>("twipsPerPixel", "client");

        QTest::newRow("design size") << 15.0 << QSize(305, 201);
        QTest::newRow("120 dpi") << 12.0 << QSize(641, 479);
        QTest::newRow("lower than the status bar") << 15.0 << QSize(40, 5);
    }
    void resizeLayout()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(QSize, client);
        platform::SetTwipsPerPixelOverride(twipsPerPixel);
        frmMain& form = platform::Forms<frmMain>();
        form.Show();

        form.resize(client);

        const int barHeight = form.StatusBar->height();
        QVERIFY(barHeight > 0);
        QCOMPARE(form.StatusBar->geometry(), QRect(0, client.height() - barHeight, client.width(), barHeight));
        QCOMPARE(form.WebBrowser1->Widget()->geometry(),
                 QRect(0, 0, client.width(), std::max(0, client.height() - barHeight)));
        QVERIFY(skwtest::Boxes().empty());
    }

    void minimisedChangesNothing()
    {
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        form.resize(400, 300);
        const QRect before = form.WebBrowser1->Widget()->geometry();
        const int callsBefore = RecordingBrowser::Last()->Calls.size();

        form.setWindowState(Qt::WindowMinimized);
        form.resize(600, 500);
        QCOMPARE(form.WindowState(), platform::vbMinimized);
        QCOMPARE(form.WebBrowser1->Widget()->geometry(), before);
        QCOMPARE(RecordingBrowser::Last()->Calls.size(), callsBefore);

        form.setWindowState(Qt::WindowNoState);
        QCOMPARE(form.WebBrowser1->Widget()->geometry(), QRect(0, 0, 600, 500 - form.StatusBar->height()));
    }

    void trappedLoadFailure()
    {
        RecordingBrowser::Install([](RecordingBrowser* browser) {
            browser->FailOn(QStringLiteral("GoHome"), platform::errPermissionDenied);
        });

        frmMain& form = platform::Forms<frmMain>();
        RecordingBrowser::Install();
        form.Show();

        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Title, QStringLiteral("Error! (70)"));
        QCOMPARE(skwtest::Boxes()[0].Prompt, QStringLiteral("Permission denied\r\n\r\nOccured in: frmMain::Form_Load"));
        QVERIFY(form.isVisible());
    }

    // A failed height leaves the width that was set before it.
    void trappedResizeFailure()
    {
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        const int heightBefore = form.WebBrowser1->Widget()->height();
        RecordingBrowser::Last()->FailOn(QStringLiteral("Height"), platform::errInvalidPropertyValue);

        form.resize(500, 400);

        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Title, QStringLiteral("Error! (380)"));
        QVERIFY(skwtest::Boxes()[0].Prompt.endsWith(u"Occured in: frmMain::Form_Resize"));
        QCOMPARE(form.WebBrowser1->Widget()->size(), QSize(500, heightBefore));
    }

    // A "Show Toolbar" that is no truth value stops the load at the
    // preferences: one box, no navigation, the window opens, and closing it
    // stores the preferences so that the next start is clean.
    void unreadableShowToolbar()
    {
        StorePref(QStringLiteral("Default Homepage"), QStringLiteral("file:///srv/home.html"));
        StorePref(QStringLiteral("Show Toolbar"), QStringLiteral("maybe"));

        frmMain& form = platform::Forms<frmMain>();
        form.Show();

        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Title, QStringLiteral("Error! (13)"));
        QCOMPARE(skwtest::Boxes()[0].Prompt, QStringLiteral("Type mismatch\r\n\r\nOccured in: frmMain::Form_Load"));
        QVERIFY(navigationCalls().isEmpty());
        QVERIFY(form.isVisible());

        form.close();

        QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
        QCOMPARE(StoredPref(QStringLiteral("Show Toolbar")), QStringLiteral("False"));
        QCOMPARE(StoredPref(QStringLiteral("Default Homepage")), QStringLiteral("file:///srv/home.html"));
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(lastFormActions, 1);
    }

    // The toolbar goes too, also one that was only loaded hidden and so has
    // no owner to go with; it reports its own failure to store its position.
    void unloadFailureClosesAnyway_data()
    {
        skwtest::AddRows<QStringList>("arguments", {{"toolbar shown", QStringList{}},
                                                    {"toolbar hidden", QStringList{QStringLiteral("-notoolbar")}}});
    }
    void unloadFailureClosesAnyway()
    {
        QFETCH(QStringList, arguments);
        platform::SetCommandLineArguments(arguments);
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        // A file where the settings folder should be: nothing can be stored.
        QFile blocker(platform::SettingsFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        form.close();

        QCOMPARE(skwtest::Boxes().size(), size_t(2));
        QCOMPARE(skwtest::Boxes()[0].Title, QStringLiteral("Error! (75)"));
        QVERIFY(skwtest::Boxes()[0].Prompt.endsWith(u"Occured in: frmMain::Form_Cancel"));
        QVERIFY(skwtest::Boxes()[1].Prompt.endsWith(u"Occured in: MReg::RegSaveFormPos"));
        QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
        QVERIFY(!platform::FormRegistry::IsLoaded<frmToolBar>());
        QCOMPARE(lastFormActions, 1);
    }

    // A command line a later start handed over: its first URL is navigated
    // to and the window comes forward restored; the toolbar and the start's
    // own arguments stay. An open modal box does not hold it up, and stays.
    // Closing as the user does asks the page first: a page with something
    // not saved asks its leave question, titled with its site, Stay the
    // default. Stay keeps everything open and stores nothing; Leave closes
    // and stores what a close stores. The program's own unload (a
    // termination signal's) does not ask.
    void closeAsksThePage_data()
    {
        QTest::addColumn<QString>("how");     // "Ctrl+W", "Ctrl+Q", "window manager", "window menu", "unload"
        QTest::addColumn<bool>("asks");       // the page has a leave question
        QTest::addColumn<QString>("answer");  // "Leave", "Stay", "Return", "Escape", "its close"
        QTest::addColumn<bool>("closed");

        QTest::newRow("Ctrl+W, Leave") << "Ctrl+W" << true << "Leave" << true;
        QTest::newRow("Ctrl+Q, Stay") << "Ctrl+Q" << true << "Stay" << false;
        QTest::newRow("window manager, Return stays") << "window manager" << true << "Return" << false;
        QTest::newRow("window menu, Escape stays") << "window menu" << true << "Escape" << false;
        QTest::newRow("window manager, the question's own close stays")
            << "window manager" << true << "its close" << false;
        QTest::newRow("window menu, Leave") << "window menu" << true << "Leave" << true;
        QTest::newRow("Ctrl+W, nothing to ask") << "Ctrl+W" << false << "" << true;
        QTest::newRow("unload, never asked") << "unload" << true << "" << true;
    }
    void closeAsksThePage()
    {
        QFETCH(QString, how);
        QFETCH(bool, asks);
        QFETCH(QString, answer);
        QFETCH(bool, closed);
        frmMain& form = startWithFocusOnThePage();
        RecordingBrowser* browser = RecordingBrowser::Last();
        if (asks)
            browser->LeaveQuestionFrom = QStringLiteral("https://127.0.0.1:8123");
        const auto close = [&] {
            if (how == "Ctrl+W" || how == "Ctrl+Q")
                QTest::keyClick(browser->Widget(), how == "Ctrl+W" ? Qt::Key_W : Qt::Key_Q, Qt::ControlModifier);
            else if (how == "window manager")
                form.close();
            else if (how == "window menu")
                platform::SendMessage(&form, platform::WM_SYSCOMMAND, platform::SC_CLOSE, 0);
            else
                platform::FormRegistry::UnloadIfLoaded<frmMain>();
        };
        close();

        const bool asked = asks && how != "unload";
        QCOMPARE(browser && browser->Calls.contains("QueryClose"), how != "unload");
        QCOMPARE(skwtest::Shown<frmPageDialog>(), asked);
        if (asked) {
            frmPageDialog& box = platform::Forms<frmPageDialog>();
            QCOMPARE(box.Caption(), QStringLiteral("Leave 127.0.0.1:8123?"));
            QCOMPARE(box.cmdOk->Caption(), QStringLiteral("Leave"));
            QCOMPARE(box.cmdCancel->Caption(), QStringLiteral("Stay"));
            QVERIFY(box.cmdStop->isHidden());
            // Closing again while the page is asked asks nothing more.
            close();
            QCOMPARE(browser->Calls.count("QueryClose"), 1);
            if (answer == "Leave")
                skwtest::Click(box.cmdOk);
            else if (answer == "Stay")
                skwtest::Click(box.cmdCancel);
            else if (answer == "its close")
                box.close();
            else
                QTest::keyClick(box.focusWidget() ? box.focusWidget() : &box,
                                answer == "Return" ? Qt::Key_Return : Qt::Key_Escape);
        }
        QCOMPARE(platform::FormRegistry::IsLoaded<frmMain>(), !closed);
        QCOMPARE(lastFormActions, closed ? 1 : 0);
        QCOMPARE(StoredPref(QStringLiteral("Show Toolbar")),
                 closed ? QStringLiteral("True") : QStringLiteral("(none)"));
        QVERIFY(skwtest::Boxes().empty());
        if (closed)
            return;
        QVERIFY(form.Visible());
        QVERIFY(!platform::Forms<frmPageDialog>().Visible());
        // Stayed: the next close asks again.
        close();
        QCOMPARE(browser->Calls.count("QueryClose"), 2);
        QVERIFY(platform::Forms<frmPageDialog>().Visible());
        skwtest::Click(platform::Forms<frmPageDialog>().cmdOk);
        QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
    }

    void receiveCommandLine_data()
    {
        skwtest::AddColumns<QString, Qt::WindowStates, bool, QStringList>("commandLine", "before", "aboutBoxOpen",
                                                                          "navigation");
        const QStringList toB{"Navigate file:///b.html"};
        QTest::newRow("first URL among words")
            << " www.example.org -notoolbar file:///b.html http://c/" << Qt::WindowStates() << false << toB;
        QTest::newRow("only the switch, minimised")
            << "-NoToolbar" << Qt::WindowStates(Qt::WindowMinimized) << false << QStringList();
        QTest::newRow("minimised from maximised")
            << "file:///b.html" << (Qt::WindowMinimized | Qt::WindowMaximized) << false << toB;
        QTest::newRow("the about box open") << "file:///b.html" << Qt::WindowStates() << true << toB;
    }
    void receiveCommandLine()
    {
        QFETCH(QString, commandLine);
        QFETCH(Qt::WindowStates, before);
        QFETCH(bool, aboutBoxOpen);
        QFETCH(QStringList, navigation);
        platform::SetCommandLineArguments({QStringLiteral("file:///own.html")});
        mdlGlobals::bShowToolbar = true;
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        form.setWindowState(before);
        const QStringList startCalls = navigationCalls();

        bool aboutBoxStayed = true;
        if (aboutBoxOpen) {
            skwtest::WhenShown<frmAbout>([&](frmAbout& about) {
                form.ReceiveCommandLine(commandLine);
                aboutBoxStayed = QApplication::activeModalWidget() == &about;
                skwtest::Click(about.cmdOk);
            });
            platform::Forms<frmAbout>().Show(platform::vbModal, &form);
        } else {
            form.ReceiveCommandLine(commandLine);
        }

        QCOMPARE(navigationCalls(), startCalls + navigation);
        QCOMPARE(form.windowState(), before & ~Qt::WindowMinimized);
        QVERIFY(aboutBoxStayed);
        QVERIFY(platform::Forms<frmToolBar>().Visible() && mdlGlobals::bShowToolbar);
        QCOMPARE(MArgs::strArgs, (QStringList{QString(), QStringLiteral("file:///own.html")}));
        QVERIFY(skwtest::Boxes().empty());
    }

    void caption_data()
    {
        skwtest::AddColumns<QString, QString>("title", "expected");

        QTest::newRow("titled") << "News" << kPrefix + " - [News]";
        QTest::newRow("untitled") << QString() << kPrefix;
        QTest::newRow("the modified mark of Qt") << "[*]" << kPrefix + " - [[*]]";
        const QString mixed =
            QStringLiteral("line one\r\nline two \u05E9\u05DC\u05D5\u05DD \u202E\U0001F600\U0001F30A");
        QTest::newRow("line breaks, right-to-left, emoji") << mixed << kPrefix + " - [" + mixed + "]";
        const QString huge = QString(10000, u'\u0645').replace(5000, 2, QStringLiteral("\n\U0001F600"));
        QTest::newRow("10,000 characters") << huge << kPrefix + " - [" + huge + "]";
    }
    void caption()
    {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        RecordingBrowser::Last()->RaiseTitleChange(QStringLiteral("Earlier"));

        RecordingBrowser::Last()->RaiseTitleChange(title);

        QCOMPARE(form.Caption(), expected);
        QCOMPARE(form.windowHandle()->title(), expected);
        QVERIFY(skwtest::Boxes().empty());
    }

    // A page element fills the screen, and leaves it by itself, by Escape or
    // with the window's close; a page that asks again and again while full
    // changes nothing more. The window comes back exactly as it was, and
    // what a close stores is the placement from before.
    void pageFullScreen_data()
    {
        QTest::addColumn<QString>("leave");  // "page", "Escape", "close"
        QTest::addColumn<int>("repeats");    // further requests while full
        QTest::addColumn<bool>("toolbar");

        QTest::newRow("the page leaves") << "page" << 0 << true;
        QTest::newRow("Escape") << "Escape" << 0 << true;
        QTest::newRow("Escape, toolbar hidden before") << "Escape" << 0 << false;
        QTest::newRow("100 requests while full, then Escape") << "Escape" << 100 << true;
        QTest::newRow("closed while full") << "close" << 0 << true;
        QTest::newRow("closed after 100 requests") << "close" << 100 << false;
    }
    void pageFullScreen()
    {
        QFETCH(QString, leave);
        QFETCH(int, repeats);
        QFETCH(bool, toolbar);
        if (!toolbar)
            platform::SetCommandLineArguments({QStringLiteral("-notoolbar")});
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        form.Move(1500, 1200);
        form.SetWidth(7000);
        form.SetHeight(5000);
        const QList<float> before = {form.Left(), form.Top(), form.Width(), form.Height()};
        const QRect browserBefore = form.WebBrowser1->Widget()->geometry();
        RecordingBrowser* browser = RecordingBrowser::Last();
        // Whatever the page does with the keys.
        browser->PageTakes = [](const QInputEvent&) { return true; };
        auto request = [&](bool on) {
            return browser->RaiseRequest(&platform::BrowserHost::FullScreenRequested, QStringLiteral("127.0.0.1:8123"),
                                         on);
        };

        for (int i = 0; i <= repeats; ++i)
            QVERIFY(request(true)->Accepted());
        QVERIFY(form.FullScreen());
        QVERIFY(!form.StatusBar->Visible());
        QVERIFY(!skwtest::Shown<frmToolBar>());
        QCOMPARE(form.WebBrowser1->Widget()->geometry(), form.rect());

        if (leave == "close") {
            form.close();
            const QString stored[] = {"Left", "Top", "Width", "Height"};
            for (int i = 0; i < 4; ++i)
                QCOMPARE(platform::GetSetting("Skerwind32", "frmMain", stored[i], QString()).toFloat(), before[i]);
            // Hidden for the page, the toolbar is still wanted.
            QCOMPARE(StoredPref(QStringLiteral("Show Toolbar")), QStringLiteral("True"));
            return;
        }
        if (leave == "page") {
            QVERIFY(request(false)->Accepted());
        } else {
            form.windowHandle()->requestActivate();
            QTRY_COMPARE(QGuiApplication::focusWindow(), form.windowHandle());
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &form, Qt::Key_Escape);
            // The page is told to leave.
            QVERIFY(browser->Calls.contains(QStringLiteral("ExitFullScreen")));
            // The page's own answer to that finds the window restored.
            QVERIFY(request(false)->Accepted());
        }
        QVERIFY(!form.FullScreen());
        QCOMPARE((QList<float>{form.Left(), form.Top(), form.Width(), form.Height()}), before);
        QCOMPARE(form.WebBrowser1->Widget()->geometry(), browserBefore);
        QVERIFY(form.StatusBar->Visible());
        QCOMPARE(skwtest::Shown<frmToolBar>(), toolbar);
        QVERIFY(skwtest::Boxes().empty());
    }

    void statusPanels()
    {
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        RecordingBrowser* browser = RecordingBrowser::Last();
        const int barHeight = form.StatusBar->height();

        browser->RaiseStatusTextChange(QStringLiteral("Opening page file:///a.html..."));
        browser->RaiseStatusTextChange(QString());
        QCOMPARE(PanelText(1), QStringLiteral("Opening page file:///a.html..."));
        browser->RaiseStatusTextChange(QStringLiteral("Done"));
        browser->RaiseStatusTextChange(QString());
        QCOMPARE(PanelText(1), QStringLiteral("Done"));

        // A status text of many lines and thousands of characters is clipped:
        // neither the bar nor the window grows for it.
        const QString longText = QString(5000, u'x') + QStringLiteral("\n<b>second</b>\nthird");
        browser->RaiseStatusTextChange(longText);
        QCOMPARE(PanelText(1), longText);
        form.resize(300, 200);
        QCOMPARE(form.width(), 300);
        QCOMPARE(form.StatusBar->height(), barHeight);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (const QLabel* panel : form.StatusBar->findChildren<QLabel*>())
            QVERIFY(form.StatusBar->rect().contains(panel->geometry()));
        QVERIFY(skwtest::Boxes().empty());
    }

    // With the focus in the page, the page has each key and wheel turn first
    // and the browser acts on what it leaves. Closing, full screen and the
    // back and forward buttons are the browser's first, and the page never
    // sees them; F4 shows the toolbar and goes on to the page. Ctrl and the
    // wheel zoom a step a notch however the turns come.
    void whatReachesThePage_data()
    {
        skwtest::AddColumns<QString, bool>("input", "pageTakesAll");
        QTest::addColumn<QStringList>("effects");  // the browser's calls, then what became of the windows
        QTest::addColumn<int>("arrivals");
        const QStringList none;
        QTest::newRow("Escape") << "Escape" << false << QStringList{"Stop"} << 1;
        QTest::newRow("Escape, taken") << "Escape" << true << none << 1;
        QTest::newRow("F4, taken") << "F4" << true << QStringList{"toolbar hidden"} << 1;
        QTest::newRow("Shift+F5") << "Shift+F5" << false << QStringList{"Refresh2 3"} << 1;
        QTest::newRow("Ctrl+R, taken") << "Ctrl+R" << true << none << 1;
        QTest::newRow("Ctrl+F") << "Ctrl+F" << false << QStringList{"find box"} << 1;
        QTest::newRow("Ctrl+F, taken") << "Ctrl+F" << true << none << 1;
        QTest::newRow("Ctrl+L, taken") << "Ctrl+L" << true << none << 1;
        QTest::newRow("Shift+R") << "Shift+R" << false << none << 1;
        QTest::newRow("Ctrl+Alt+Left") << "Ctrl+Alt+Left" << false << none << 1;
        QTest::newRow("Enter") << "Return" << false << none << 1;
        QTest::newRow("F11, taken") << "F11" << true << QStringList{"full screen", "toolbar hidden"} << 0;
        QTest::newRow("Ctrl+W, taken") << "Ctrl+W" << true << QStringList{"QueryClose", "closed"} << 0;
        QTest::newRow("Ctrl+Q, taken") << "Ctrl+Q" << true << QStringList{"QueryClose", "closed"} << 0;
        QTest::newRow("mouse back") << "mouse back" << false << QStringList{"GoBack"} << 0;
        QTest::newRow("mouse left") << "mouse left" << false << none << 1;
        QTest::newRow("thirds of notches") << "wheel 40 40 40 40" << false << QStringList{"SetZoomFactor 1.1"} << 4;
        QTest::newRow("turning round") << "wheel 100 -100 -20 -240" << false
                                       << QStringList{"SetZoomFactor 0.9", "SetZoomFactor 0.8", "SetZoomFactor 0.75"}
                                       << 4;
        QTest::newRow("wheel, taken") << "wheel 120" << true << none << 1;
    }
    void whatReachesThePage()
    {
        QFETCH(QString, input);
        QFETCH(bool, pageTakesAll);
        QFETCH(QStringList, effects);
        QFETCH(int, arrivals);
        frmMain& form = startWithFocusOnThePage();
        if (pageTakesAll)
            RecordingBrowser::Last()->PageTakes = [](const QInputEvent&) { return true; };
        QWidget* page = form.WebBrowser1->Widget();
        Arrivals arrived(page);
        const QPoint at = page->rect().center();
        if (input.startsWith(u"mouse")) {
            const Qt::MouseButton button = input.endsWith(u"back") ? Qt::BackButton : Qt::LeftButton;
            QTest::mouseClick(page, button, {}, at);
        } else if (input.startsWith(u"wheel")) {
            for (const QString& delta : input.split(u' ').mid(1)) {
                QWheelEvent wheel(at, page->mapToGlobal(at), {}, {0, delta.toInt()}, {}, Qt::ControlModifier,
                                  Qt::NoScrollPhase, false);
                QApplication::sendEvent(page, &wheel);
            }
        } else {
            const QKeyCombination key = QKeySequence(input)[0];
            QTest::keyClick(page, key.key(), key.keyboardModifiers());
        }
        QStringList happened = navigationCalls();
        if (!platform::FormRegistry::IsLoaded<frmMain>())
            happened << QStringLiteral("closed");
        else if (form.FullScreen())
            happened << QStringLiteral("full screen");
        if (platform::FormRegistry::IsLoaded<frmMain>()) {
            if (form.FindBox1 && form.FindBox1->Visible())
                happened << QStringLiteral("find box");
            if (!platform::Forms<frmToolBar>().Visible())
                happened << QStringLiteral("toolbar hidden");
        }
        QCOMPARE(happened, effects);
        QCOMPARE(arrived.count, arrivals);
    }

    // F11 hides the toolbar and brings it back when the window leaves full
    // screen, unless F4 changed the show-toolbar preference meanwhile;
    // Escape never ends it.
    void windowFullScreen_data()
    {
        skwtest::AddColumns<QString, bool, bool>("keys", "fullScreen", "toolbar");
        QTest::newRow("F11") << "F11" << true << false;
        QTest::newRow("F11 twice") << "F11, F11" << false << true;
        QTest::newRow("Escape keeps it") << "F11, Esc" << true << false;
        QTest::newRow("Ctrl+L shows the toolbar") << "F11, Ctrl+L" << true << true;
        QTest::newRow("F4 twice meanwhile") << "F11, F4, F4, F11" << false << false;
    }
    void windowFullScreen()
    {
        QFETCH(QString, keys);
        QFETCH(bool, fullScreen);
        QFETCH(bool, toolbar);
        mdlGlobals::bShowToolbar = true;
        frmMain& form = startWithFocusOnThePage();
        QVERIFY(platform::Forms<frmToolBar>().Visible());
        const QKeySequence sequence(keys);
        for (int i = 0; i < sequence.count(); ++i) {
            // Each key where the focus is then: the page, or the address box after Ctrl+L.
            QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : form.WebBrowser1->Widget();
            QTest::keyClick(focus, sequence[i].key(), sequence[i].keyboardModifiers());
        }
        QCOMPARE(form.FullScreen(), fullScreen);
        QCOMPARE(platform::Forms<frmToolBar>().Visible(), toolbar);
    }
};

SKERRYWIND_TEST_MAIN(TestFrmMain)
#include "test_frmMain.moc"
