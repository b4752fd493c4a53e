// The main window with a recording browser: the start-up, the layout of the
// browser and the status bar, the title and the status texts, the trapped
// failures, and the shut-down.
#include "Dialogs.h"
#include "FileSizeLimit.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/engine/AddressHistory.h"
#include "platform/system/RecentStore.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "settings/mdlGlobals.h"
#include "shell/MArgs.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>

using skwtest::RecordingBrowser;

namespace {
const QString kPrefix = QStringLiteral("Skerrywind v1.1.51a");

void storePref(const QString& key, const QString& value)
{
    platform::SaveSetting(QStringLiteral("Skerrywind"), QStringLiteral("Prefs"), key, value);
}

QString storedPref(const QString& key)
{
    return platform::GetSetting(QStringLiteral("Skerrywind"), QStringLiteral("Prefs"), key, QStringLiteral("(none)"));
}

// The navigation calls, without the sizes the layout sets.
QStringList navigationCalls()
{
    QStringList calls = RecordingBrowser::Last()->Calls;
    calls.removeIf([](const QString& call) { return call.startsWith(u"Width") || call.startsWith(u"Height"); });
    return calls;
}

QString panelText(int index)
{
    return platform::Forms<frmMain>().StatusBar->Panels(index).Text();
}

// The keys (modifier keys aside), clicks and wheel turns that reach a widget.
class Arrivals : public QObject {
public:
    explicit Arrivals(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Control && key != Qt::Key_Shift && key != Qt::Key_Alt)
                ++count;
        } else if (type == QEvent::MouseButtonPress || type == QEvent::Wheel) {
            ++count;
        }
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

void pressOnFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
}  // namespace

class TestFrmMain : public QObject {
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
        mdlGlobals::bShowToolbar = false;
        lastFormActions = 0;
    }
    void cleanup()
    {
        platform::SetTwipsPerPixelOverride(15);
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Arguments and preferences are read before the navigation; pending
    // events run before it and after it, all before the load returns and
    // before the window shows.
    void startUpOrder()
    {
        storePref(QStringLiteral("Default Homepage"), QStringLiteral("file:///srv/home.html"));
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

        QCOMPARE(log, (QStringList{"pending before load", "Navigate file:///srv/home.html", "posted by the navigation"}));
    }

    void resizeLayout_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<QSize>("client");

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
        RecordingBrowser::Install(
            [](RecordingBrowser* browser) { browser->FailOn(QStringLiteral("GoHome"), platform::errPermissionDenied); });

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
        storePref(QStringLiteral("Default Homepage"), QStringLiteral("file:///srv/home.html"));
        storePref(QStringLiteral("Show Toolbar"), QStringLiteral("maybe"));

        frmMain& form = platform::Forms<frmMain>();
        form.Show();

        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Title, QStringLiteral("Error! (13)"));
        QCOMPARE(skwtest::Boxes()[0].Prompt, QStringLiteral("Type mismatch\r\n\r\nOccured in: frmMain::Form_Load"));
        QVERIFY(navigationCalls().isEmpty());
        QVERIFY(form.isVisible());

        form.close();

        QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
        QCOMPARE(storedPref(QStringLiteral("Show Toolbar")), QStringLiteral("False"));
        QCOMPARE(storedPref(QStringLiteral("Default Homepage")), QStringLiteral("file:///srv/home.html"));
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(lastFormActions, 1);
    }

    // The toolbar goes too, also one that was only loaded hidden and so has
    // no owner to go with; it reports its own failure to store its position.
    void unloadFailureClosesAnyway_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("toolbar shown") << QStringList{};
        QTest::newRow("toolbar hidden") << QStringList{QStringLiteral("-notoolbar")};
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

    void caption_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");

        QTest::newRow("titled") << "News" << kPrefix + " - [News]";
        QTest::newRow("untitled") << QString() << kPrefix;
        QTest::newRow("the modified mark of Qt") << "[*]" << kPrefix + " - [[*]]";
        const QString mixed = QStringLiteral("line one\r\nline two \u05E9\u05DC\u05D5\u05DD \u202E\U0001F600\U0001F30A");
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

    void statusPanels()
    {
        frmMain& form = platform::Forms<frmMain>();
        form.Show();
        RecordingBrowser* browser = RecordingBrowser::Last();
        const int barHeight = form.StatusBar->height();

        browser->RaiseStatusTextChange(QStringLiteral("Opening page file:///a.html..."));
        browser->RaiseStatusTextChange(QString());
        QCOMPARE(panelText(1), QStringLiteral("Opening page file:///a.html..."));
        browser->RaiseStatusTextChange(QStringLiteral("Done"));
        browser->RaiseStatusTextChange(QString());
        QCOMPARE(panelText(1), QStringLiteral("Done"));

        // A status text of many lines and thousands of characters is clipped:
        // neither the bar nor the window grows for it.
        const QString longText = QString(5000, u'x') + QStringLiteral("\n<b>second</b>\nthird");
        browser->RaiseStatusTextChange(longText);
        QCOMPARE(panelText(1), longText);
        form.resize(300, 200);
        QCOMPARE(form.width(), 300);
        QCOMPARE(form.StatusBar->height(), barHeight);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (const QLabel* panel : form.StatusBar->findChildren<QLabel*>())
            QVERIFY(form.StatusBar->rect().contains(panel->geometry()));
        QVERIFY(skwtest::Boxes().empty());
    }

    // Escape and F4 go on to the focused control as well, the other
    // command keys and buttons only to their command, and keys without a
    // command only to the control. Ctrl and the wheel zoom a step a notch,
    // however the turns come; without Ctrl the page scrolls.
    void whatReachesThePage_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("arrivals");

        QTest::newRow("Escape") << "Escape" << QStringList{"Stop"} << 1;
        QTest::newRow("F4") << "F4" << QStringList{} << 1;
        QTest::newRow("Ctrl+R") << "Ctrl+R" << QStringList{"Refresh"} << 0;
        QTest::newRow("Shift+F5") << "Shift+F5" << QStringList{"Refresh2 3"} << 0;
        QTest::newRow("Alt+Left") << "Alt+Left" << QStringList{"GoBack"} << 0;
        QTest::newRow("A") << "A" << QStringList{} << 1;
        QTest::newRow("mouse back button") << "back button" << QStringList{"GoBack"} << 0;
        QTest::newRow("mouse forward button") << "forward button" << QStringList{"GoForward"} << 0;
        QTest::newRow("mouse left button") << "left button" << QStringList{} << 1;
        QTest::newRow("Ctrl+wheel, a notch") << "Ctrl+wheel 120" << QStringList{"SetZoomFactor 1.1"} << 0;
        QTest::newRow("Ctrl+wheel, thirds of notches")
            << "Ctrl+wheel 40 40 40 40" << QStringList{"SetZoomFactor 1.1"} << 0;
        QTest::newRow("Ctrl+wheel, back") << "Ctrl+wheel -120 -240" << QStringList{"SetZoomFactor 0.9", "SetZoomFactor 0.8", "SetZoomFactor 0.75"} << 0;
        QTest::newRow("Ctrl+wheel, turning round")
            << "Ctrl+wheel 100 -100 -20" << QStringList{"SetZoomFactor 0.9"} << 0;
        QTest::newRow("wheel") << "wheel 120" << QStringList{} << 1;
    }
    void whatReachesThePage()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, calls);
        QFETCH(int, arrivals);
        frmMain& form = startWithFocusOnThePage();
        QWidget* page = form.WebBrowser1->Widget();
        Arrivals arrived(page);

        const QPoint at = page->rect().center();
        if (input.endsWith(u"button")) {
            const Qt::MouseButton button = input.startsWith(u"back") ? Qt::BackButton
                                           : input.startsWith(u"forward") ? Qt::ForwardButton
                                                                          : Qt::LeftButton;
            QTest::mousePress(page, button, Qt::NoModifier, at);
            QTest::mouseRelease(page, button, Qt::NoModifier, at);
        } else if (input.contains(u"wheel")) {
            const Qt::KeyboardModifiers modifiers = input.startsWith(u"Ctrl") ? Qt::ControlModifier : Qt::NoModifier;
            for (const QString& delta : input.section(u' ', 1).split(u' ')) {
                QWheelEvent wheel(at, page->mapToGlobal(at), QPoint(), QPoint(0, delta.toInt()), Qt::NoButton,
                                  modifiers, Qt::NoScrollPhase, false);
                QApplication::sendEvent(page, &wheel);
            }
        } else {
            const QKeySequence sequence(input);
            const QKeyCombination combination = sequence[0];
            pressOnFocus(combination.key(), combination.keyboardModifiers());
        }

        QCOMPARE(RecordingBrowser::Last()->Calls, calls);
        QCOMPARE(arrived.count, arrivals);
        if (input.startsWith(u"Ctrl+wheel"))
            QCOMPARE(panelText(1), MCommands::ZoomText(RecordingBrowser::Last()->ZoomFactor()));
        QVERIFY(skwtest::Boxes().empty());
    }

    // The find box over the page: it finds as the user types (any text, as
    // typed), Enter and Shift+Enter, F3 and its buttons find again, results
    // show in panel 1; Escape or a navigation closes it, clears the
    // highlights and gives the focus back to the page; opened again it
    // finds its text again.
    void findBox_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "ab";
        QTest::newRow("right-to-left and emoji") << QStringLiteral("שלום 😀");
        QTest::newRow("10,000 characters") << QString(10000, u'x');
    }
    void findBox()
    {
        QFETCH(QString, text);
        frmMain& form = startWithFocusOnThePage();
        RecordingBrowser* browser = RecordingBrowser::Last();
        QVERIFY(!form.FindBox1);  // made when first asked for

        pressOnFocus(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(form.FindBox1->Visible());
        QTRY_COMPARE(form.ActiveControl(), static_cast<QWidget*>(form.FindBox1));
        QVERIFY(form.FindBox1->geometry().right() < form.WebBrowser1->Widget()->geometry().right());
        form.FindBox1->txtFind->SetText(text);
        browser->RaiseFindTextResult(2, 5);
        QCOMPARE(panelText(1), QStringLiteral("2 of 5"));
        pressOnFocus(Qt::Key_Return);
        pressOnFocus(Qt::Key_Return, Qt::ShiftModifier);
        pressOnFocus(Qt::Key_F3);
        pressOnFocus(Qt::Key_F3, Qt::ShiftModifier);
        skwtest::Click(form.FindBox1->cmdNext);
        skwtest::Click(form.FindBox1->cmdPrevious);
        QCOMPARE(browser->Calls, (QStringList{"FindText " + text, "FindText " + text, "FindText " + text + " backward",
                                             "FindText " + text, "FindText " + text + " backward",
                                             "FindText " + text, "FindText " + text + " backward"}));
        browser->RaiseFindTextResult(0, 0);
        QCOMPARE(panelText(1), QStringLiteral("Not found"));

        browser->Calls.clear();
        pressOnFocus(Qt::Key_Escape);
        QVERIFY(!form.FindBox1->Visible());
        QCOMPARE(browser->Calls, (QStringList{"FindText", "Stop"}));
        QCOMPARE(panelText(1), QString());
        QCOMPARE(QApplication::focusWidget(), form.WebBrowser1->Widget());
        browser->RaiseFindTextResult(1, 1);  // late, for the closed box
        QCOMPARE(panelText(1), QString());

        browser->Calls.clear();
        pressOnFocus(Qt::Key_F, Qt::ControlModifier);
        QVERIFY(form.FindBox1->Visible());
        QCOMPARE(form.FindBox1->txtFind->SelLength(), int32_t(text.size()));
        browser->RaiseBeforeNavigate(QStringLiteral("file:///next.html"));
        QVERIFY(!form.FindBox1->Visible());
        QCOMPARE(browser->Calls, (QStringList{"FindText " + text, "FindText"}));
        QVERIFY(skwtest::Boxes().empty());
    }

    // Full screen and back, by F11 and Escape; the placement stored at the
    // unload is the one from before the full screen, also when the window
    // closes while full screen.
    void fullScreenKeepsThePlacement_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<bool>("fullScreenAtClose");
        QTest::newRow("closed while full screen") << QStringList{"F11"} << true;
        QTest::newRow("F11 twice") << QStringList{"F11", "F11"} << false;
        QTest::newRow("Escape leaves it") << QStringList{"F11", "Escape"} << false;
        QTest::newRow("Ctrl+W while full screen") << QStringList{"F11", "Ctrl+W"} << true;
    }
    void fullScreenKeepsThePlacement()
    {
        QFETCH(QStringList, keys);
        QFETCH(bool, fullScreenAtClose);
        frmMain& form = startWithFocusOnThePage();
        form.resize(400, 300);
        form.Move(1500, 1200);
        const QList<float> placement{form.Left(), form.Top(), form.Width(), form.Height()};

        for (const QString& key : keys) {
            if (!platform::FormRegistry::IsLoaded<frmMain>())
                break;
            const QKeyCombination combination = QKeySequence(key)[0];
            pressOnFocus(combination.key(), combination.keyboardModifiers());
            if (platform::FormRegistry::IsLoaded<frmMain>()) {
                QVERIFY(form.FullScreen() == form.windowState().testFlag(Qt::WindowFullScreen));
                QCOMPARE((QList<float>{form.Left(), form.Top(), form.Width(), form.Height()}), placement);
            }
        }
        if (platform::FormRegistry::IsLoaded<frmMain>()) {
            QCOMPARE(form.FullScreen(), fullScreenAtClose);
            form.close();
        }

        QVERIFY(!platform::FormRegistry::IsLoaded<frmMain>());
        QCOMPARE(lastFormActions, 1);
        QStringList stored;
        for (const char* key : {"Left", "Top", "Width", "Height"})
            stored << platform::GetSetting(QStringLiteral("Skerwind32"), QStringLiteral("frmMain"), QString::fromLatin1(key));
        QCOMPARE(stored, (QStringList{"1500", "1200", QString::number(400 * 15 + 120), QString::number(300 * 15 + 405)}));
    }

    // Ctrl+L shows a hidden toolbar as its own F4 does (the preference
    // stays), with the focus on the whole address.
    void addressBoxFromThePage()
    {
        storePref(QStringLiteral("Show Toolbar"), QStringLiteral("False"));
        frmMain& form = startWithFocusOnThePage();
        RecordingBrowser::Last()->RaiseDocumentComplete(QStringLiteral("file:///srv/page.html"));
        QVERIFY(!platform::Forms<frmToolBar>().Visible());

        pressOnFocus(Qt::Key_L, Qt::ControlModifier);

        frmToolBar& toolbar = platform::Forms<frmToolBar>();
        QVERIFY(toolbar.Visible());
        QTRY_COMPARE(QApplication::focusWidget(), toolbar.txtURL->TextBox_hWnd());
        QCOMPARE(qobject_cast<QLineEdit*>(toolbar.txtURL->TextBox_hWnd())->selectedText(), QStringLiteral("file:///srv/page.html"));
        QVERIFY(!mdlGlobals::bShowToolbar);
        // From the address box, keys go to the main window's commands.
        pressOnFocus(Qt::Key_F5);
        QCOMPARE(RecordingBrowser::Last()->Calls, QStringList{"Refresh"});
        form.close();
        QCOMPARE(storedPref(QStringLiteral("Show Toolbar")), QStringLiteral("False"));
    }

    // Keys pressed again and again in the toolbar while the main window is
    // still loading (its toolbar shows before the load ends): nothing
    // crashes, no window is stacked on another, and the window that is not
    // shown yet is not closed under its own load.
    void keysDuringStartUp_data()
    {
        QTest::addColumn<QString>("key");
        for (const char* key : {"Ctrl+P", "Ctrl+L", "Ctrl+F", "F11", "Escape", "Ctrl+=", "Alt+Left", "F4", "Ctrl+W"})
            QTest::newRow(key) << QString::fromLatin1(key);
    }
    void keysDuringStartUp()
    {
        QFETCH(QString, key);
        storePref(QStringLiteral("Show Toolbar"), QStringLiteral("True"));
        int pressed = 0;
        // At the first navigation, inside the load, with the toolbar shown.
        RecordingBrowser::Install([&](RecordingBrowser* browser) {
            browser->OnCall = [&](const QString& call) {
                if (call != QStringLiteral("GoHome") || pressed > 0)
                    return;
                frmToolBar& toolbar = platform::Forms<frmToolBar>();
                toolbar.txtURL->SetFocus();
                if (!QTest::qWaitFor([&] { return QApplication::focusWidget() == toolbar.txtURL->TextBox_hWnd(); }))
                    return;
                const QKeyCombination combination = QKeySequence(key)[0];
                for (; pressed < 50 && platform::FormRegistry::IsLoaded<frmToolBar>(); ++pressed)
                    QTest::keyClick(QApplication::focusWidget(), combination.key(), combination.keyboardModifiers());
            };
        });

        platform::Forms<frmMain>();
        RecordingBrowser::Install();

        QVERIFY(pressed > 0);
        QVERIFY(platform::FormRegistry::IsLoaded<frmMain>());
        QCOMPARE(lastFormActions, 0);
        // Top-level windows of the program: at most one of each kind.
        QStringList windows;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible())
                windows << QString::fromLatin1(top->metaObject()->className());
        windows.sort();
        QCOMPARE(windows.removeDuplicates(), 0);
        QVERIFY(skwtest::Boxes().empty());
    }

    // An address history that cannot be saved says so in panel 1, once,
    // not in a box; the program goes on.
    void historyThatCannotBeSaved()
    {
        frmMain& form = startWithFocusOnThePage();
        QSignalSpy texts(form.WebBrowser1, &platform::BrowserHost::StatusTextChange);
        {
            skwtest::FileSizeLimit limit(8);
            for (int i = 0; i < 3; ++i) {
                RecordingBrowser::Last()->RaiseDocumentComplete(QStringLiteral("file:///page%1.html").arg(i));
                platform::AddressHistory::Store().Flush();
            }
        }
        QCOMPARE(texts.size(), 1);
        QCOMPARE(panelText(1), QStringLiteral("Cannot save the address history (Path/File access error)"));
        QVERIFY(skwtest::Boxes().empty());
        form.close();
        QCOMPARE(platform::AddressHistory::Addresses().size(), 3);
    }
};

SKERRYWIND_TEST_MAIN(TestFrmMain)
#include "test_frmMain.moc"
