// Every moment at which the program lets events run, tried in turn. A
// scripted session of the real forms over the recording browser (start-up, a
// navigation, the pointer over every control, the toolbar's commands, both
// dialogs from the window menu, F4 both ways, close) runs once to count the
// nested loops it enters (DoEvents, modal Show, message box), then once for
// every pair of such a loop and an injection made as the loop begins: a
// termination signal, or the unload of a form loaded at that moment (the main
// window, the form whose code runs). Each run must end without a crash (under
// AddressSanitizer a use after free is one), with no form left, and with the
// stored preferences and placements either kept or written as a close writes
// them.
#include "FakePointer.h"
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
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QPointer>
#include <QTimer>

#include <csignal>
#include <functional>
#include <map>

using skwtest::RecordingBrowser;

namespace {
const QString kPrefs = QStringLiteral("Skerrywind");
const QString kPlaces = QStringLiteral("Skerwind32");
const QString kPage = QStringLiteral("file:///srv/page.html");
const QString kMemoryFolder = QStringLiteral("/dev/shm");

// What is stored before each run; a session that ends normally stores the
// same (the windows are not moved, the options are confirmed unchanged).
const std::map<QString, std::map<QString, QString>> kStored = {
    {QStringLiteral("Prefs"),
     {{QStringLiteral("Default Homepage"), QStringLiteral("file:///srv/home.html")},
      {QStringLiteral("Default SearchPage"), QStringLiteral("file:///srv/search.html")},
      {QStringLiteral("Show Toolbar"), QStringLiteral("True")}}},
    {QStringLiteral("frmMain"),
     {{QStringLiteral("Left"), QStringLiteral("1500")},
      {QStringLiteral("Top"), QStringLiteral("1200")},
      {QStringLiteral("Width"), QStringLiteral("7500")},
      {QStringLiteral("Height"), QStringLiteral("6000")}}},
    {QStringLiteral("frmToolBar"), {{QStringLiteral("Left"), QStringLiteral("9000")}, {QStringLiteral("Top"), QStringLiteral("1500")}}},
    {QStringLiteral("frmOptions"), {{QStringLiteral("Left"), QStringLiteral("3000")}, {QStringLiteral("Top"), QStringLiteral("3000")}}},
};

QString applicationOf(const QString& section)
{
    return section == u"Prefs" ? kPrefs : kPlaces;
}

// The loaded instance of F, without loading it.
template <class F>
F* loaded()
{
    return platform::FormRegistry::IsLoaded<F>() ? &platform::Forms<F>() : nullptr;
}

// What is injected as the chosen loop begins.
enum class Injection { Signal, UnloadMain, UnloadToolBar, UnloadOptions, UnloadAbout };

struct Entry {
    // The forms loaded as the loop began: the ones whose unload is tried.
    QList<Injection> unloads;
};

QString nameOf(Injection injection)
{
    switch (injection) {
    case Injection::Signal: return QStringLiteral("SIGTERM");
    case Injection::UnloadMain: return QStringLiteral("unload frmMain");
    case Injection::UnloadToolBar: return QStringLiteral("unload frmToolBar");
    case Injection::UnloadOptions: return QStringLiteral("unload frmOptions");
    case Injection::UnloadAbout: return QStringLiteral("unload frmAbout");
    }
    return {};
}

void inject(Injection injection)
{
    switch (injection) {
    case Injection::Signal: platform::TerminationSignals::Simulate(SIGTERM); break;
    case Injection::UnloadMain: platform::FormRegistry::UnloadIfLoaded<frmMain>(); break;
    case Injection::UnloadToolBar: platform::FormRegistry::UnloadIfLoaded<frmToolBar>(); break;
    case Injection::UnloadOptions: platform::FormRegistry::UnloadIfLoaded<frmOptions>(); break;
    case Injection::UnloadAbout: platform::FormRegistry::UnloadIfLoaded<frmAbout>(); break;
    }
}

QList<Injection> loadedForms()
{
    QList<Injection> forms;
    if (loaded<frmMain>())
        forms << Injection::UnloadMain;
    if (loaded<frmToolBar>())
        forms << Injection::UnloadToolBar;
    if (loaded<frmOptions>())
        forms << Injection::UnloadOptions;
    if (loaded<frmAbout>())
        forms << Injection::UnloadAbout;
    return forms;
}

// The scripted session. Every step starts from the registry, so that a form
// unloaded by an injection is not touched again.
class Session {
public:
    explicit Session(skwtest::FakePointer& pointer) : pointer_(pointer) {}

    void Run()
    {
        platform::Forms<frmMain>().Show();
        navigate();
        hoverToolBar();
        toolBarCommands();
        options();
        about();
        pressF4();
        if (frmMain* main = loaded<frmMain>())
            main->close();
    }

private:
    // Every tick of every timer of the loaded forms, as after the pointer moved.
    static void tickAll()
    {
        QList<QPointer<platform::Timer>> timers;
        for (QWidget* form : QList<QWidget*>{loaded<frmMain>(), loaded<frmToolBar>(), loaded<frmOptions>(), loaded<frmAbout>()})
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
    static QWidget* coverOf(SoftButton* button) { return button->findChild<QWidget*>(QStringLiteral("Cover")); }
    // A left press and release on a flat button, the pointer over it.
    void press(QPointer<SoftButton> button)
    {
        if (!button)
            return;
        hover(coverOf(button));
        if (!button)
            return;
        const QPoint at = coverOf(button)->rect().center();
        skwtest::SendMouse(coverOf(button), QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at);
        tickAll();
        if (button)
            skwtest::SendMouse(coverOf(button), QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
    }

    void navigate()
    {
        frmMain* main = loaded<frmMain>();
        if (!main)
            return;
        QPointer<RecordingBrowser> browser = static_cast<RecordingBrowser*>(main->WebBrowser1);
        browser->RaiseStatusTextChange(QStringLiteral("Opening page"));
        if (browser)
            browser->RaiseTitleChange(QStringLiteral("Page"));
        if (browser)
            browser->RaiseDocumentComplete(kPage);
        tickAll();
    }

    void hoverToolBar()
    {
        if (frmToolBar* toolbar = loaded<frmToolBar>()) {
            QPointer<QWidget> text = toolbar->txtURL->TextBox_hWnd();
            QPointer<QWidget> go = coverOf(toolbar->cmdGo);
            hover(text);
            if (go)
                hover(go);
            pointer_.MoveAway();
            tickAll();
        }
    }

    void toolBarCommands()
    {
        frmToolBar* toolbar = loaded<frmToolBar>();
        if (!toolbar)
            return;
        const QList<QPointer<platform::CommandButton>> buttons{toolbar->cmdBack, toolbar->cmdForward, toolbar->cmdStop,
                                                               toolbar->cmdRefresh, toolbar->cmdHome, toolbar->cmdSearch};
        for (const auto& button : buttons)
            if (button)
                QTest::mouseClick(button, Qt::LeftButton);
        if ((toolbar = loaded<frmToolBar>())) {
            toolbar->txtURL->SetText(kPage);
            press(toolbar->cmdGo);
        }
    }

    void options()
    {
        frmMain* main = loaded<frmMain>();
        if (!main)
            return;
        platform::SendMessage(main, platform::WM_SYSCOMMAND, 2, 0);
        frmOptions* options = loaded<frmOptions>();
        if (!options || !options->isVisible())
            return;
        QPointer<QWidget> home = options->txtHomepage->TextBox_hWnd();
        QPointer<QWidget> search = options->txtSearchpage->TextBox_hWnd();
        QPointer<SoftButton> cancel = options->cmdCancel;
        QPointer<SoftButton> ok = options->cmdOk;
        for (QWidget* window : {home.data(), search.data()})
            if (window)
                hover(window);
        if (cancel)
            hover(coverOf(cancel));
        press(ok);
    }

    void about()
    {
        frmMain* main = loaded<frmMain>();
        if (!main)
            return;
        // The steps inside the modal display run once it shows. Nothing else
        // ticks meanwhile, so the loops come in the same order every run.
        aboutShown_.setInterval(0);
        QObject::connect(&aboutShown_, &QTimer::timeout, [this] {
            frmAbout* about = loaded<frmAbout>();
            if (about && about->isVisible() && about->isModal()) {
                aboutShown_.stop();
                insideAbout(about);
            }
        });
        aboutShown_.start();
        platform::SendMessage(main, platform::WM_SYSCOMMAND, 1, 0);
        aboutShown_.stop();
    }
    void insideAbout(QPointer<frmAbout> about)
    {
        QPointer<HyperLblCtl> link = about->HyperLblCtl1;
        for (QWidget* window : {static_cast<QWidget*>(about->HyperLblCtl1), static_cast<QWidget*>(about->HyperLblCtl2),
                                static_cast<QWidget*>(about->HyperLblCtl3)}) {
            QPointer<QWidget> alive = window;
            if (alive && about)
                hover(alive);
        }
        if (link) {
            QWidget* label = link->findChild<QWidget*>(QStringLiteral("lblLabel"));
            skwtest::SendMouse(label, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, QPoint(1, 1));
        }
        if (about)
            press(about->cmdOk);
        // Whatever happened, the modal display ends.
        if (about && about->isVisible())
            about->Hide();
    }

    // F4 in the main window twice (the preference follows), then in the
    // toolbar and once more in the main window.
    void pressF4()
    {
        for (bool inMain : {true, true, false, true}) {
            QWidget* window = inMain ? static_cast<QWidget*>(loaded<frmMain>()) : loaded<frmToolBar>();
            if (!window || !window->isVisible())
                continue;
            QApplication::setActiveWindow(window);
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && focus->window() == window ? focus : window, Qt::Key_F4);
        }
    }

    skwtest::FakePointer& pointer_;
    QTimer aboutShown_;
};
}  // namespace

class TestReEntry : public QObject {
    Q_OBJECT

    int lastFormActions = 0;
    std::vector<Entry> entries;

    void prepareRun()
    {
        // Every stored setting is synced to the disk; in memory the hundreds
        // of runs take seconds instead of half a minute.
        skwtest::FreshUserFolders(QFileInfo(kMemoryFolder).isWritable() ? kMemoryFolder : QString());
        skwtest::ClearBoxes();
        for (const auto& [section, keys] : kStored)
            for (const auto& [key, value] : keys)
                platform::SaveSetting(applicationOf(section), section, key, value);
        lastFormActions = 0;
    }

    // Runs one session; returns a failure text, empty when the run held.
    QString runSession()
    {
        {
            skwtest::FakePointer pointer;
            Session(pointer).Run();
        }
        // A signal not handled yet is handled now; what the session left is
        // destroyed once nothing runs any more.
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (platform::FormRegistry::LoadedCount() != 0)
            return QStringLiteral("a form is still loaded");
        for (QWidget* widget : QApplication::allWidgets())
            if (qobject_cast<platform::Form*>(widget))
                return QStringLiteral("form %1 was never destroyed").arg(widget->objectName());
        if (lastFormActions != 1)
            return QStringLiteral("the program ended %1 times").arg(lastFormActions);
        for (const auto& [section, keys] : kStored) {
            for (const auto& [key, value] : keys) {
                const QString now = platform::GetSetting(applicationOf(section), section, key, QStringLiteral("(none)"));
                // F4 in the main window stores its last state.
                const bool either = key == u"Show Toolbar" && (now == u"True" || now == u"False");
                if (now != value && !either)
                    return QStringLiteral("%1/%2 is \"%3\", not \"%4\"").arg(section, key, now, value);
            }
        }
        return QString();
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
        entries.clear();
        platform::SetNestedLoopHook([this] { entries.push_back({loadedForms()}); });
        const QString failure = runSession();
        platform::SetNestedLoopHook({});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(skwtest::Boxes().size(), size_t(0));
        // The session reaches the start-up, both dialogs and the toolbar's controls.
        QVERIFY(entries.size() > 20);
        QVERIFY(std::any_of(entries.begin(), entries.end(),
                            [](const Entry& e) { return e.unloads.contains(Injection::UnloadAbout); }));
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
        prepareRun();
        platform::SaveSetting(kPlaces, QStringLiteral("frmMain"), QStringLiteral("Width"), width);
        platform::SaveSetting(kPrefs, QStringLiteral("Prefs"), QStringLiteral("Show Toolbar"), showToolbar);
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
        for (const auto& [section, keys] : kStored) {
            for (const auto& [key, value] : keys) {
                const QString now = platform::GetSetting(applicationOf(section), section, key);
                if (key == u"Width" && section == u"frmMain")
                    QCOMPARE(now, width);
                else if (key == u"Show Toolbar")
                    QVERIFY2(now == showToolbar || now == u"True" || now == u"False", qPrintable(now));
                else
                    QCOMPARE(now, value);
            }
        }
    }

    void injectionAtEveryLoop()
    {
        QVERIFY(!entries.empty());
        QStringList failures;
        int runs = 0;
        for (size_t target = 0; target < entries.size(); ++target) {
            QList<Injection> injections{Injection::Signal};
            injections += entries[target].unloads;
            for (Injection injection : injections) {
                prepareRun();
                size_t entry = 0;
                platform::SetNestedLoopHook([&entry, target, injection] {
                    if (entry++ == target)
                        inject(injection);
                });
                const QString failure = runSession();
                platform::SetNestedLoopHook({});
                ++runs;
                if (!failure.isEmpty())
                    failures << QStringLiteral("loop %1, %2: %3").arg(target).arg(nameOf(injection), failure);
            }
        }
        qInfo("%d runs over %d loops", runs, int(entries.size()));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u'\n')));
    }
};

SKERRYWIND_TEST_MAIN(TestReEntry)
#include "test_ReEntry.moc"
