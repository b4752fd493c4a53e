// Every moment at which the program lets events run, tried in turn. A
// scripted session of the real forms over the recording browser (start-up, a
// navigation, the pointer over every control, the toolbar's commands, a
// page's questions: a permission with a certificate question queued behind
// it, one withdrawn while it shows, a sign-in and a dialog with the stop
// offer answered while the page waits for them; find, zoom and full screen
// by key, both dialogs from the window menu, F4 both ways, a second start's
// hand-over, and a close that the page's leave question first keeps, then
// lets go) runs once to count the nested loops it enters (DoEvents, modal
// Show, message box, a page's wait for an answer), then once for every pair
// of such a loop and an injection made as the loop begins: a termination
// signal, or the unload of a form loaded at that moment (the main window,
// the form whose code runs, a question window). Each run starts with no
// answers remembered, must reach its loop and make its injection there (the
// runs repeat the counted one up to it), and must end without a crash
// (under AddressSanitizer a use after free is one), with no form left, and
// with the stored preferences and placements kept or written exactly as a
// close writes them.
#include "Dialogs.h"
#include "FakePointer.h"
#include "FormsTest.h"
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "platform/forms/Timer.h"
#include "platform/forms/WindowProc.h"
#include "platform/system/CodeDepth.h"
#include "platform/system/DesktopServices.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "platform/system/TerminationSignals.h"
#include "questions/MQuestions.h"
#include "questions/frmAsk.h"
#include "questions/frmPageDialog.h"
#include "questions/frmSignIn.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QPointer>
#include <QTimer>

#include <csignal>
#include <functional>
#include <map>

using skwtest::Loaded;
using skwtest::RecordingBrowser;

namespace {
const QString kPage = QStringLiteral("file:///srv/page.html");
const QString kSite = QStringLiteral("https://127.0.0.1:8123");
const QString kMemoryFolder = QStringLiteral("/dev/shm");
// Passes of the event loop that a page waits for its answer while no window
// asks for it, before the wait counts as one that would never end.
constexpr int kIdleTicks = 1000;

// What is stored before each run, by section; a session that ends normally
// stores the same (no window moves, the options are confirmed unchanged),
// except the toolbar choice, which F4 in the main window changes: the close
// stores the choice of that moment.
const std::map<QString, std::map<QString, QString>> kStored = {
    {"Prefs",
     {{"Default Homepage", "file:///srv/home.html"},
      {"Default SearchPage", "file:///srv/search.html"},
      {"Show Toolbar", "True"}}},
    {"frmMain", {{"Left", "1500"}, {"Top", "1200"}, {"Width", "7500"}, {"Height", "6000"}}},
    {"frmToolBar", {{"Left", "9000"}, {"Top", "1500"}}},
    {"frmOptions", {{"Left", "3000"}, {"Top", "3000"}}},
};
QString applicationOf(const QString& section)
{
    return section == u"Prefs" ? QStringLiteral("Skerrywind") : QStringLiteral("Skerwind32");
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
        unloadOf<frmMain>("frmMain"),
        unloadOf<frmToolBar>("frmToolBar"),
        unloadOf<frmOptions>("frmOptions"),
        unloadOf<frmAbout>("frmAbout"),
        unloadOf<frmAsk>("frmAsk"),
        unloadOf<frmSignIn>("frmSignIn"),
        unloadOf<frmPageDialog>("frmPageDialog")};
    return all;
}

// The scripted session. Every step starts from the registry, so that a form
// an injection unloaded is not touched again.
class Session {
public:
    void Run()
    {
        platform::Forms<frmMain>().Show();
        if (frmMain* main = Loaded<frmMain>()) {
            QPointer<RecordingBrowser> browser = static_cast<RecordingBrowser*>(main->WebBrowser1);
            // The page has something not saved: closing asks it first.
            browser->LeaveQuestionFrom = kSite;
            for (const QString& title : {QStringLiteral("Page"), QString()})
                if (browser)
                    browser->RaiseTitleChange(title);
            if (browser)
                browser->RaiseDocumentComplete(kPage);
        }
        hoverEach(Loaded<frmToolBar>());
        if (frmToolBar* toolbar = Loaded<frmToolBar>()) {
            for (QPointer<platform::CommandButton> button : {toolbar->cmdBack, toolbar->cmdForward, toolbar->cmdStop,
                                                             toolbar->cmdRefresh, toolbar->cmdHome, toolbar->cmdSearch})
                if (button)
                    QTest::mouseClick(button, Qt::LeftButton);
        }
        if (frmToolBar* toolbar = Loaded<frmToolBar>())
            press(toolbar->cmdGo);
        // A page's questions: a permission with a certificate question queued
        // behind it, each refused by its button; one withdrawn while it shows.
        ask(&platform::BrowserHost::PermissionRequested, kSite, platform::PermissionRequest::Notifications);
        ask(&platform::BrowserHost::CertificateProblem, kSite, QStringLiteral("127.0.0.1"), QStringLiteral("revoked"),
            true, QStringLiteral("5f3a"));
        hoverEach(Loaded<frmAsk>());
        for (int i = 0; i < 2; ++i)
            if (frmAsk* question = Loaded<frmAsk>())
                press(question->cmdNo);
        QPointer<platform::PermissionRequest> withdrawn =
            ask(&platform::BrowserHost::PermissionRequested, kSite, platform::PermissionRequest::Camera);
        if (withdrawn)
            withdrawn->Withdraw();
        // A sign-in and a page's second dialog, answered while the page waits
        // for them: Cancel, and the offer to stop its dialogs.
        askAndWait<frmSignIn>([this](frmSignIn& question) { press(question.cmdCancel); },
                              &platform::BrowserHost::SignInRequested, kSite, QStringLiteral("Staff"), false, false,
                              QString());
        askAndWait<frmPageDialog>([this](frmPageDialog& question) { press(question.cmdStop); },
                                  &platform::BrowserHost::PageDialog, kSite, platform::PageDialogRequest::Confirm,
                                  QStringLiteral("Again?"), QString(), 2);
        // Find, zoom and full screen by key, in the main window.
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_F, Qt::ControlModifier},
                                             {Qt::Key_X, Qt::NoModifier},
                                             {Qt::Key_Escape, Qt::NoModifier},
                                             {Qt::Key_Equal, Qt::ControlModifier},
                                             {Qt::Key_0, Qt::ControlModifier},
                                             {Qt::Key_F11, Qt::NoModifier},
                                             {Qt::Key_F11, Qt::NoModifier}})
            keyInMain(key, modifiers);
        fromWindowMenu(2);
        hoverEach(Loaded<frmOptions>());
        if (frmOptions* options = Loaded<frmOptions>())
            press(options->cmdOk);
        // The steps inside the about box's modal display run once it shows.
        // Nothing else ticks meanwhile, so the loops come in the same order
        // every run.
        QTimer aboutShown;
        aboutShown.setInterval(0);
        QObject::connect(&aboutShown, &QTimer::timeout, [&] {
            frmAbout* about = Loaded<frmAbout>();
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
            QWidget* window = inMain ? static_cast<QWidget*>(Loaded<frmMain>()) : Loaded<frmToolBar>();
            keyIn(window, Qt::Key_F4, Qt::NoModifier);
        }
        // A second start hands its command line over.
        if (frmMain* main = Loaded<frmMain>()) {
            platform::CodeScope handOver;
            main->ReceiveCommandLine(QStringLiteral("file:///srv/other.html"));
        }
        // The close: the page's leave question keeps the window, then lets
        // it go.
        for (SoftButton* frmPageDialog::*answer : {&frmPageDialog::cmdCancel, &frmPageDialog::cmdOk}) {
            if (frmMain* main = Loaded<frmMain>())
                main->close();
            if (frmPageDialog* question = Loaded<frmPageDialog>(); question && question->Visible())
                press(question->*answer);
        }
        // Whatever the injections left, the program ends here, as on a
        // signal; a session without them never gets here with a window.
        if (frmMain* main = Loaded<frmMain>()) {
            EndedByCode = true;
            main->Unload();
        }
    }

    // The session had to unload the main window itself at its end.
    bool EndedByCode = false;
    // A page waited for an answer that no window asked for.
    bool Hung = false;

private:
    // A page's request, raised by the main window's browser.
    template <class Request, class... Args>
    static QPointer<Request> ask(void (platform::BrowserHost::*event)(Request*), Args&&... args)
    {
        if (frmMain* main = Loaded<frmMain>())
            return static_cast<RecordingBrowser*>(main->WebBrowser1)->RaiseRequest(event, std::forward<Args>(args)...);
        return nullptr;
    }
    // The same, as a page that waits for the answer; `answer` gives it from
    // inside that wait, once a window of F shows (again, when the one that
    // showed went). A page left waiting with no window to answer it would
    // wait for ever: the wait is ended then, and the session fails.
    template <class F, class Request, class... Args>
    void askAndWait(std::function<void(F&)> answer, void (platform::BrowserHost::*event)(Request*), Args&&... args)
    {
        QPointer<Request> request;
        int idleTicks = 0;
        QTimer answering;
        answering.setInterval(0);
        QObject::connect(&answering, &QTimer::timeout, [&] {
            F* window = Loaded<F>();
            if (!window || !window->Visible()) {
                if (++idleTicks > kIdleTicks && request) {
                    Hung = true;
                    request->Withdraw();
                }
                return;
            }
            idleTicks = 0;
            answering.stop();
            answer(*window);
            answering.start();
        });
        answering.start();
        {
            platform::CodeScope page;
            request = ask(event, std::forward<Args>(args)...);
            if (request)
                platform::WaitForAnswer(request);
        }
        answering.stop();
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
    static void keyInMain(Qt::Key key, Qt::KeyboardModifiers modifiers) { keyIn(Loaded<frmMain>(), key, modifiers); }
    // One tick of every timer of the loaded forms, as after the pointer moved.
    static void tickAll()
    {
        QList<QPointer<platform::Timer>> timers;
        for (QWidget* form : {static_cast<QWidget*>(Loaded<frmMain>()), static_cast<QWidget*>(Loaded<frmToolBar>()),
                              static_cast<QWidget*>(Loaded<frmOptions>()), static_cast<QWidget*>(Loaded<frmAbout>()),
                              static_cast<QWidget*>(Loaded<frmAsk>()), static_cast<QWidget*>(Loaded<frmSignIn>()),
                              static_cast<QWidget*>(Loaded<frmPageDialog>())})
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
        if (frmMain* main = Loaded<frmMain>())
            platform::SendMessage(main, platform::WM_SYSCOMMAND, command, 0);
    }

    skwtest::FakePointer pointer_;
};
}  // namespace

class TestReEntry : public QObject {
    Q_OBJECT

    int lastFormActions = 0;
    // The toolbar choice when the program ended: what its close stored.
    bool bShowToolbarAtEnd = false;
    // For each nested loop of the clean session: the injections that apply.
    std::vector<std::vector<size_t>> loops;

    // The stored state before a run; `width` replaces the main window's.
    // Nothing the user answered in an earlier run is remembered.
    void prepareRun(const QString& width = QString())
    {
        // Every stored setting is synced to the disk; in memory the hundreds
        // of runs take seconds instead of half a minute.
        skwtest::FreshUserFolders(QFileInfo(kMemoryFolder).isWritable() ? kMemoryFolder : QString());
        skwtest::ClearBoxes();
        MQuestions::ForgetAnswers();
        for (const auto& [section, keys] : kStored)
            for (const auto& [key, value] : keys)
                platform::SaveSetting(applicationOf(section), section, key, value);
        if (!width.isEmpty())
            platform::SaveSetting("Skerwind32", "frmMain", "Width", width);
        lastFormActions = 0;
    }
    // The first stored value that is neither as before nor exactly as the
    // close wrote it: the toolbar choice of the moment the program ended.
    // `width` stands for what the run stored in the main window's place.
    QString storedChange(const QString& width = QString()) const
    {
        for (const auto& [section, keys] : kStored) {
            for (const auto& [key, stored] : keys) {
                QString value = stored;
                if (section == u"frmMain" && key == u"Width" && !width.isEmpty())
                    value = width;
                if (key == u"Show Toolbar")
                    value = bShowToolbarAtEnd ? QStringLiteral("True") : QStringLiteral("False");
                const QString now = platform::GetSetting(applicationOf(section), section, key);
                if (now != value)
                    return QStringLiteral("%1/%2 is \"%3\", not \"%4\"").arg(section, key, now, value);
            }
        }
        return QString();
    }

    // Runs one session; returns what went wrong, or nothing. `endedByCode`
    // says whether the session had to unload the main window at its end.
    QString runSession(bool* endedByCode = nullptr)
    {
        Session session;
        session.Run();
        if (endedByCode)
            *endedByCode = session.EndedByCode;
        if (session.Hung)
            return QStringLiteral("a page waited for an answer no window asked for");
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
        skwtest::UseRecordingForms([this] {
            ++lastFormActions;
            bShowToolbarAtEnd = mdlGlobals::bShowToolbar;
        });
        platform::SetCommandLineArguments({});
        platform::SetOpenUrlHook([](const QString&) {});
        // Every tick comes from the session itself, so that every run reaches
        // the same loops in the same order.
        platform::Timer::SetAutomaticTicks(false);
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
        bool endedByCode = false;
        const QString failure = runSession(&endedByCode);
        platform::SetNestedLoopHook({});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(skwtest::Boxes().size(), size_t(0));
        // The page's Leave closed the window.
        QVERIFY(!endedByCode);
        // The session reaches the start-up, both dialogs, the toolbar's
        // controls and every question window: each injection applies
        // somewhere.
        QVERIFY(loops.size() > 100);
        for (size_t i = 0; i < injections().size(); ++i)
            QVERIFY2(std::any_of(loops.begin(), loops.end(),
                                 [i](const auto& applying) {
                                     return std::find(applying.begin(), applying.end(), i) != applying.end();
                                 }),
                     qPrintable(injections()[i].name));
    }

    // A start-up that opens an error box (a stored width the window refuses,
    // a show-toolbar value that is no truth value, or both), ended by a
    // termination signal while the box is open: the program ends, and what
    // the user stored is kept (the unreadable value is written clean).
    void signalWhileStartUpBoxIsOpen_data()
    {
        skwtest::AddColumns<QString, QString, QString>("width", "showToolbar", "reportedBy");
        // clang-format off
        QTest::newRow("placement") << "-50" << "True" << "MReg::RegLoadFormPos";
        QTest::newRow("preference") << "7500" << "maybe" << "frmMain::Form_Load";
        QTest::newRow("both") << "-50" << "maybe" << "frmMain::Form_Load";
        // clang-format on
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
        const QString change = storedChange(width);
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
                bool fired = false;
                platform::SetNestedLoopHook([&loop, &fired, target, injection] {
                    if (loop++ != target || !injections()[injection].applies())
                        return;
                    injections()[injection].inject();
                    fired = true;
                });
                QString failure = runSession();
                platform::SetNestedLoopHook({});
                ++runs;
                // Up to its loop the run repeats the counted one: a run that
                // ends before it, or finds its form not loaded there, tried
                // nothing.
                if (!fired)
                    failure = loop <= target ? QStringLiteral("ended after %1 loops").arg(loop)
                                             : QStringLiteral("nothing to inject there");
                if (!failure.isEmpty())
                    failures
                        << QStringLiteral("loop %1, %2: %3").arg(target).arg(injections()[injection].name, failure);
            }
        }
        qInfo("%d runs over %d loops", runs, int(loops.size()));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }
};

SKERRYWIND_TEST_MAIN(TestReEntry)
#include "test_ReEntry.moc"
