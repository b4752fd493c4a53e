// Every moment at which the program lets events run, tried in turn. A
// scripted session of the real forms over the recording browser (start-up, a
// navigation, the pointer over every control, the toolbar's commands, a
// page's permission and sign-in questions, find, zoom and full screen by
// key, both dialogs from the window menu, F4 both ways, close) runs once to
// count the nested loops it enters (DoEvents, modal Show, message box, a
// page's wait for an answer), then once for every pair of such a loop and an
// injection made as the loop begins: a termination signal, or the unload of a
// form loaded at that moment (the main window, the form whose code runs, a
// question window). Each run must end without a crash (under
// AddressSanitizer a use after free is one), with no form left, and with the
// stored preferences and placements kept or written as a close writes them.
#include "FakePointer.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "questions/frmAsk.h"
#include "questions/frmSignIn.h"
#include "platform/forms/Timer.h"
#include "platform/forms/WindowProc.h"
#include "platform/system/CodeDepth.h"
#include "platform/system/DesktopServices.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "platform/system/TerminationSignals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QPointer>
#include <QTimer>

#include <csignal>
#include <functional>
#include <map>

using skwtest::RecordingBrowser;

namespace {
const QString kPage = QStringLiteral("file:///srv/page.html");
const QString kMemoryFolder = QStringLiteral("/dev/shm");

// What is stored before each run, by section; a session that ends normally
// stores the same (no window moves, the options are confirmed unchanged),
// except the toolbar choice, which F4 in the main window changes.
const std::map<QString, std::map<QString, QString>> kStored = {
    {"Prefs",
     {{"Default Homepage", "file:///srv/home.html"}, {"Default SearchPage", "file:///srv/search.html"}, {"Show Toolbar", "True"}}},
    {"frmMain", {{"Left", "1500"}, {"Top", "1200"}, {"Width", "7500"}, {"Height", "6000"}}},
    {"frmToolBar", {{"Left", "9000"}, {"Top", "1500"}}},
    {"frmOptions", {{"Left", "3000"}, {"Top", "3000"}}},
};
QString applicationOf(const QString& section)
{
    return section == u"Prefs" ? QStringLiteral("Skerrywind") : QStringLiteral("Skerwind32");
}

// The loaded instance of F, without loading it.
template <class F>
F* loaded()
{
    return platform::FormRegistry::IsLoaded<F>() ? &platform::Forms<F>() : nullptr;
}

struct Injection {
    QString name;
    std::function<bool()> applies;  // at this moment
    std::function<void()> inject;
};
template <class F>
Injection unloadOf(const char* name)
{
    return {QStringLiteral("unload ") + name, [] { return platform::FormRegistry::IsLoaded<F>(); },
            [] { platform::FormRegistry::UnloadIfLoaded<F>(); }};
}
const std::vector<Injection>& injections()
{
    static const std::vector<Injection> all{
        {QStringLiteral("SIGTERM"), [] { return true; }, [] { platform::TerminationSignals::Simulate(SIGTERM); }},
        unloadOf<frmMain>("frmMain"), unloadOf<frmToolBar>("frmToolBar"), unloadOf<frmOptions>("frmOptions"),
        unloadOf<frmAbout>("frmAbout"), unloadOf<frmAsk>("frmAsk"), unloadOf<frmSignIn>("frmSignIn")};
    return all;
}

// The scripted session. Every step starts from the registry, so that a form
// an injection unloaded is not touched again.
class Session {
public:
    void Run()
    {
        platform::Forms<frmMain>().Show();
        if (frmMain* main = loaded<frmMain>()) {
            QPointer<RecordingBrowser> browser = static_cast<RecordingBrowser*>(main->WebBrowser1);
            for (const QString& title : {QStringLiteral("Page"), QString()})
                if (browser)
                    browser->RaiseTitleChange(title);
            if (browser)
                browser->RaiseDocumentComplete(kPage);
        }
        hoverEach(loaded<frmToolBar>());
        if (frmToolBar* toolbar = loaded<frmToolBar>()) {
            for (QPointer<platform::CommandButton> button : {toolbar->cmdBack, toolbar->cmdForward, toolbar->cmdStop,
                                                             toolbar->cmdRefresh, toolbar->cmdHome, toolbar->cmdSearch})
                if (button)
                    QTest::mouseClick(button, Qt::LeftButton);
        }
        if (frmToolBar* toolbar = loaded<frmToolBar>())
            press(toolbar->cmdGo);
        // A page's questions, each answered by its first button.
        ask(&platform::BrowserHost::PermissionRequested, QStringLiteral("127.0.0.1:8123"),
            platform::PermissionRequest::Notifications);
        hoverEach(loaded<frmAsk>());
        if (frmAsk* question = loaded<frmAsk>())
            press(question->cmdNo);
        ask(&platform::BrowserHost::SignInRequested, QStringLiteral("127.0.0.1:8123"), QStringLiteral("Staff"), false,
            false, QString());
        hoverEach(loaded<frmSignIn>());
        if (frmSignIn* question = loaded<frmSignIn>())
            press(question->cmdCancel);
        // Find, zoom and full screen by key, in the main window.
        for (const auto& [key, modifiers] : {std::pair {Qt::Key_F, Qt::ControlModifier}, {Qt::Key_X, Qt::NoModifier},
                                             {Qt::Key_Escape, Qt::NoModifier}, {Qt::Key_Equal, Qt::ControlModifier},
                                             {Qt::Key_0, Qt::ControlModifier}, {Qt::Key_F11, Qt::NoModifier},
                                             {Qt::Key_F11, Qt::NoModifier}})
            keyInMain(key, modifiers);
        fromWindowMenu(2);
        hoverEach(loaded<frmOptions>());
        if (frmOptions* options = loaded<frmOptions>())
            press(options->cmdOk);
        // The steps inside the about box's modal display run once it shows.
        // Nothing else ticks meanwhile, so the loops come in the same order
        // every run.
        QTimer aboutShown;
        aboutShown.setInterval(0);
        QObject::connect(&aboutShown, &QTimer::timeout, [&] {
            frmAbout* about = loaded<frmAbout>();
            if (!about || !about->isModal())
                return;
            aboutShown.stop();
            QPointer<frmAbout> guard = about;
            hoverEach(about);
            if (guard)
                skwtest::SendMouse(guard->HyperLblCtl1->findChild<QWidget*>("lblLabel"), QEvent::MouseButtonRelease,
                                   Qt::LeftButton, Qt::NoButton, QPoint(1, 1));
            if (guard)
                press(guard->cmdOk);
            if (guard && guard->isVisible())
                guard->Hide();  // whatever happened, the modal display ends
        });
        aboutShown.start();
        fromWindowMenu(1);
        // F4 in the main window twice (the preference follows), then in the
        // toolbar and once more in the main window.
        for (bool inMain : {true, true, false, true}) {
            QWidget* window = inMain ? static_cast<QWidget*>(loaded<frmMain>()) : loaded<frmToolBar>();
            keyIn(window, Qt::Key_F4, Qt::NoModifier);
        }
        if (frmMain* main = loaded<frmMain>())
            main->close();
    }

private:
    // A page's request, raised by the main window's browser.
    template <class Request, class... Args>
    static void ask(void (platform::BrowserHost::*event)(Request*), Args&&... args)
    {
        if (frmMain* main = loaded<frmMain>())
            static_cast<RecordingBrowser*>(main->WebBrowser1)->RaiseRequest(event, std::forward<Args>(args)...);
    }
    // A key pressed in a window, where it goes: to its focused control.
    static void keyIn(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        if (!window || !window->isVisible())
            return;
        QApplication::setActiveWindow(window);
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && focus->window() == window ? focus : window, key, modifiers);
    }
    static void keyInMain(Qt::Key key, Qt::KeyboardModifiers modifiers) { keyIn(loaded<frmMain>(), key, modifiers); }
    // One tick of every timer of the loaded forms, as after the pointer moved.
    static void tickAll()
    {
        QList<QPointer<platform::Timer>> timers;
        for (QWidget* form : {static_cast<QWidget*>(loaded<frmMain>()), static_cast<QWidget*>(loaded<frmToolBar>()),
                              static_cast<QWidget*>(loaded<frmOptions>()), static_cast<QWidget*>(loaded<frmAbout>()),
                              static_cast<QWidget*>(loaded<frmAsk>()), static_cast<QWidget*>(loaded<frmSignIn>())})
            if (form)
                for (platform::Timer* timer : form->findChildren<platform::Timer*>())
                    timers << timer;
        for (const QPointer<platform::Timer>& timer : timers)
            if (timer)
                timer->Fire();
    }
    void hover(QWidget* window)
    {
        pointer_.MoveOnto(window);
        tickAll();
    }
    // The pointer onto each of the form's flat controls in turn, then away.
    void hoverEach(QWidget* form)
    {
        if (!form)
            return;
        QList<QPointer<QWidget>> controls;
        for (platform::UserControl* control : form->findChildren<platform::UserControl*>())
            controls << control;
        for (const QPointer<QWidget>& control : controls)
            if (control)
                hover(control);
        pointer_.MoveAway();
        tickAll();
    }
    // A left press and release on a flat button, the pointer over it.
    void press(QPointer<SoftButton> button)
    {
        const auto cover = [&button] { return button->findChild<QWidget*>(QStringLiteral("Cover")); };
        if (button)
            hover(button);
        if (button)
            skwtest::SendMouse(cover(), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(2, 2));
        tickAll();
        if (button)
            skwtest::SendMouse(cover(), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(2, 2));
    }
    static void fromWindowMenu(platform::WPARAM command)
    {
        if (frmMain* main = loaded<frmMain>())
            platform::SendMessage(main, platform::WM_SYSCOMMAND, command, 0);
    }

    skwtest::FakePointer pointer_;
};
}  // namespace

class TestReEntry : public QObject {
    Q_OBJECT

    int lastFormActions = 0;
    // For each nested loop of the clean session: the injections that apply.
    std::vector<std::vector<size_t>> loops;

    // The stored state before a run; `width` replaces the main window's.
    void prepareRun(const QString& width = QString())
    {
        // Every stored setting is synced to the disk; in memory the hundreds
        // of runs take seconds instead of half a minute.
        skwtest::FreshUserFolders(QFileInfo(kMemoryFolder).isWritable() ? kMemoryFolder : QString());
        skwtest::ClearBoxes();
        for (const auto& [section, keys] : kStored)
            for (const auto& [key, value] : keys)
                platform::SaveSetting(applicationOf(section), section, key, value);
        if (!width.isEmpty())
            platform::SaveSetting("Skerwind32", "frmMain", "Width", width);
        lastFormActions = 0;
    }
    // The first stored value that is neither as before nor as a close writes
    // it (the toolbar choice may be written clean, or as F4 left it). `width`
    // and `showToolbar` stand for what the run stored in their place.
    static QString storedChange(const QString& width = QString(), const QString& showToolbar = QString())
    {
        for (const auto& [section, keys] : kStored) {
            for (const auto& [key, stored] : keys) {
                QString value = stored;
                if (section == u"frmMain" && key == u"Width" && !width.isEmpty())
                    value = width;
                if (key == u"Show Toolbar" && !showToolbar.isEmpty())
                    value = showToolbar;
                const QString now = platform::GetSetting(applicationOf(section), section, key);
                if (now != value && !(key == u"Show Toolbar" && (now == u"False" || now == u"True")))
                    return QStringLiteral("%1/%2 is \"%3\", not \"%4\"").arg(section, key, now, value);
            }
        }
        return QString();
    }

    // Runs one session; returns what went wrong, or nothing.
    QString runSession()
    {
        Session().Run();
        // A signal not handled yet is handled now; what the session left is
        // destroyed once nothing runs any more.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* widget : QApplication::allWidgets())
            if (qobject_cast<platform::Form*>(widget))
                return QStringLiteral("form %1 is left").arg(widget->objectName());
        if (lastFormActions != 1)
            return QStringLiteral("the program ended %1 times").arg(lastFormActions);
        return storedChange();
    }

private slots:
    void initTestCase()
    {
        RecordingBrowser::Install();
        platform::SetTwipsPerPixelOverride(15);
        platform::SetCommandLineArguments({});
        platform::SetOpenUrlHook([](const QString&) {});
        // Every tick comes from the session itself, so that every run reaches
        // the same loops in the same order.
        platform::Timer::SetAutomaticTicks(false);
        platform::FormRegistry::SetLastFormAction([this] { ++lastFormActions; });
        platform::TerminationSignals::SetHandler([](int) { platform::FormRegistry::UnloadIfLoaded<frmMain>(); });
    }
    void cleanupTestCase()
    {
        platform::SetNestedLoopHook({});
        platform::Timer::SetAutomaticTicks(true);
    }

    // The session without injections: it holds, and its loops are counted.
    void cleanSession()
    {
        prepareRun();
        loops.clear();
        platform::SetNestedLoopHook([this] {
            std::vector<size_t> applying;
            for (size_t i = 0; i < injections().size(); ++i)
                if (injections()[i].applies())
                    applying.push_back(i);
            loops.push_back(applying);
        });
        const QString failure = runSession();
        platform::SetNestedLoopHook({});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(skwtest::Boxes().size(), size_t(0));
        // The session reaches the start-up, both dialogs and the toolbar's controls.
        QVERIFY(loops.size() > 100);
        QVERIFY(std::any_of(loops.begin(), loops.end(), [](const auto& applying) { return applying.size() == 5; }));
    }

    // A start-up that opens an error box (a stored width the window refuses,
    // a show-toolbar value that is no truth value, or both), ended by a
    // termination signal while the box is open: the program ends, and what
    // the user stored is kept (the unreadable value may be written clean).
    void signalWhileStartUpBoxIsOpen_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("showToolbar");
        QTest::addColumn<QString>("reportedBy");
        QTest::newRow("placement") << "-50" << "True" << "MReg::RegLoadFormPos";
        QTest::newRow("preference") << "7500" << "maybe" << "frmMain::Form_Load";
        QTest::newRow("both") << "-50" << "maybe" << "frmMain::Form_Load";
    }
    void signalWhileStartUpBoxIsOpen()
    {
        QFETCH(QString, width);
        QFETCH(QString, showToolbar);
        QFETCH(QString, reportedBy);
        prepareRun(width);
        platform::SaveSetting("Skerrywind", "Prefs", "Show Toolbar", showToolbar);
        std::vector<platform::MessageBoxCall> boxes;
        // The box's own loop handles the signal that comes while it is open.
        const auto previous = platform::SetMessageBoxHook([&boxes](const platform::MessageBoxCall& call) {
            boxes.push_back(call);
            if (boxes.size() == 1)
                platform::TerminationSignals::Simulate(SIGTERM);
            QCoreApplication::processEvents();
        });
        platform::Forms<frmMain>().Show();
        platform::SetMessageBoxHook(previous);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(platform::FormRegistry::LoadedCount(), 0);
        QCOMPARE(lastFormActions, 1);
        QVERIFY(!boxes.empty());
        QVERIFY2(boxes.front().Prompt.endsWith(reportedBy), qPrintable(boxes.front().Prompt));
        const QString change = storedChange(width, showToolbar);
        QVERIFY2(change.isEmpty(), qPrintable(change));
    }

    void injectionAtEveryLoop()
    {
        QVERIFY(!loops.empty());
        QStringList failures;
        int runs = 0;
        for (size_t target = 0; target < loops.size(); ++target) {
            for (size_t injection : loops[target]) {
                prepareRun();
                size_t loop = 0;
                platform::SetNestedLoopHook([&loop, target, injection] {
                    if (loop++ == target)
                        injections()[injection].inject();
                });
                const QString failure = runSession();
                platform::SetNestedLoopHook({});
                ++runs;
                if (!failure.isEmpty())
                    failures << QStringLiteral("loop %1, %2: %3").arg(target).arg(injections()[injection].name, failure);
            }
        }
        qInfo("%d runs over %d loops", runs, int(loops.size()));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }
};

SKERRYWIND_TEST_MAIN(TestReEntry)
#include "test_ReEntry.moc"
