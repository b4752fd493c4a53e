// The soak run of tools/bench: the program's main window over the real
// engine, driven through many navigations, title changes and status changes,
// with its progress on the bench's log so that tools/bench can follow the
// memory of the process tree from outside.
//   soak_driver program|bare <folder> <navigations> <title changes> <status changes>
// <folder> holds soak_a.html and soak_b.html, each titled and with two links
// at fixed places (see tools/bench). "bare" drives a window that holds only a
// QWebEngineView above a QStatusBar the same way, so that what the engine
// itself keeps can be told from what the program keeps.
//
// What is driven, and how:
// - navigations: frmMain's browser host opens the two pages in turn
//   (BrowserHost::Navigate), each waited for until DocumentComplete and the
//   end of loading;
// - title changes: a script sets document.title in the page; the engine
//   reports it and frmMain's TitleChange handler sets the caption, which is
//   checked;
// - status changes: the pointer is moved over the page's links and off them
//   (mouse-move events to the engine's view); the engine reports the hovered
//   link and frmMain's StatusTextChange handler shows it. A move the engine
//   does not answer within half a second is replaced by the host's signal sent
//   directly, and counted apart.
#include "BareWindow.h"

#include "platform/engine/GraphicsPath.h"
#include "platform/system/Application.h"
#include "platform/system/BenchLog.h"
#include "platform/system/MessageBox.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>

namespace {
constexpr int kWakeInterval = 20;    // ms: the longest a wait sleeps between checks
constexpr int kLoadTimeout = 15000;  // ms
constexpr int kTitleTimeout = 5000;  // ms
constexpr int kHoverTimeout = 500;   // ms
constexpr int kRestTimeout = 200;    // ms
// Where the pointer goes in turn: over the first link, over the second, off both.
constexpr int kHoverSteps = 3;
const QPoint kHoverPoints[kHoverSteps] = {{40, 20}, {40, 70}, {250, 130}};
const char* const kHoverTargets[kHoverSteps] = {"#first", "#second", ""};
const QPoint kRestPoint = kHoverPoints[2];

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// What the loop drives: the program's main window or the bare window, seen
// through the same few operations.
struct Target {
    QWebEngineView* view = nullptr;
    std::function<void(const QString&)> navigate;
    std::function<bool()> busy;
    std::function<bool(const QString&)> captionShows;
    // Shows a status text without the engine, when a hover went unanswered.
    std::function<void(const QString&)> showStatus;
    long long documents = 0;
    long long titles = 0;
    // The link under the pointer as the status shows it: a link's address
    // (the soak pages' links all carry a fragment) or empty. Load texts are
    // not hover texts.
    QString hovered;

    void statusChanged(const QString& text)
    {
        if (text.isEmpty() || text.contains(QLatin1Char('#')))
            hovered = text;
    }
};

// The program's main window, loaded and shown as the program does.
void driveProgram(Target& target)
{
    frmMain& main = platform::Forms<frmMain>();
    main.Show();
    platform::BrowserHost* browser = main.WebBrowser1;
    target.view = qobject_cast<QWebEngineView*>(browser->Widget());
    target.navigate = [browser](const QString& url) { browser->Navigate(url); };
    target.busy = [browser] { return browser->Busy(); };
    target.captionShows = [&main](const QString& title) {
        return main.Caption().endsWith(QStringLiteral("[%1]").arg(title));
    };
    target.showStatus = [browser](const QString& text) { emit browser->StatusTextChange(text); };
    QObject::connect(browser, &platform::BrowserHost::DocumentComplete, [&target] { ++target.documents; });
    QObject::connect(browser, &platform::BrowserHost::TitleChange, [&target] { ++target.titles; });
    QObject::connect(browser, &platform::BrowserHost::StatusTextChange,
                     [&target](const QString& text) { target.statusChanged(text); });
}

// The bare window: the engine's view above a status bar, nothing else.
void driveBare(Target& target, QWidget& window)
{
    const BareWindow bare = LayOutBareWindow(window);
    QWebEngineView* view = bare.view;
    QStatusBar* status = bare.status;
    window.show();
    target.view = view;
    target.navigate = [view](const QString& url) { view->load(QUrl(url)); };
    target.busy = [view] { return view->page()->isLoading(); };
    target.captionShows = [&window](const QString& title) { return window.windowTitle() == title; };
    target.showStatus = [status, &target](const QString& text) {
        status->showMessage(text);
        target.statusChanged(text);
    };
    QObject::connect(view, &QWebEngineView::titleChanged, &window, [&window, &target](const QString& title) {
        window.setWindowTitle(title);
        ++target.titles;
    });
    QObject::connect(view, &QWebEngineView::loadFinished, [&target] { ++target.documents; });
    QObject::connect(view->page(), &QWebEnginePage::linkHovered, status, [status, &target](const QString& url) {
        status->showMessage(url);
        target.statusChanged(url);
    });
}

// How many of `total` events fall to step `index` of `steps`, spread evenly.
long long share(long long total, long long steps, long long index)
{
    return total * (index + 1) / steps - total * index / steps;
}
}  // namespace

int main(int argc, char** argv)
{
    platform::ChooseGraphicsPath();
    platform::Application app(argc, argv);
    platform::SetAppTitle(QStringLiteral("Skerwind32"));
    if (argc < 6)
        return 2;
    const bool bare = QByteArray(argv[1]) == "bare";
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    const long long navigations = QByteArray(argv[3]).toLongLong();
    const long long titleChanges = QByteArray(argv[4]).toLongLong();
    const long long statusChanges = QByteArray(argv[5]).toLongLong();
    const QString pages[] = {QUrl::fromLocalFile(folder.filePath(QStringLiteral("soak_a.html"))).toString(),
                             QUrl::fromLocalFile(folder.filePath(QStringLiteral("soak_b.html"))).toString()};

    Target target;
    QWidget bareWindow;
    if (bare)
        driveBare(target, bareWindow);
    else
        driveProgram(target);
    QWebEngineView* view = target.view;
    if (!view)
        return 3;
    auto moveTo = [view](QPoint point) {
        QWidget* input = view->focusProxy() ? view->focusProxy() : view;
        QMouseEvent move(QEvent::MouseMove, point, input->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(input, &move);
    };
    QTimer wake;
    wake.start(kWakeInterval);

    QElapsedTimer clock;
    clock.start();
    long long titleNumber = 0, hoverStatuses = 0, directStatuses = 0, failures = 0;
    for (long long nav = 0; nav < navigations; ++nav) {
        const long long before = target.documents;
        target.navigate(pages[nav % 2]);
        if (!waitUntil([&] { return target.documents > before && !target.busy(); }, kLoadTimeout))
            ++failures;
        // The new page starts with the pointer off its links.
        moveTo(kRestPoint);
        waitUntil([&] { return target.hovered.isEmpty(); }, kRestTimeout);
        target.hovered.clear();
        int hoverIndex = 0;

        for (long long k = share(titleChanges, navigations, nav); k > 0; --k) {
            const long long seen = target.titles;
            const QString title = QStringLiteral("Soak %1").arg(++titleNumber);
            view->page()->runJavaScript(QStringLiteral("document.title = '%1'").arg(title));
            if (!waitUntil([&] { return target.titles > seen; }, kTitleTimeout) || !target.captionShows(title))
                ++failures;
        }

        for (long long k = share(statusChanges, navigations, nav); k > 0; --k) {
            const QString wanted = QString::fromLatin1(kHoverTargets[hoverIndex]);
            moveTo(kHoverPoints[hoverIndex]);
            hoverIndex = (hoverIndex + 1) % kHoverSteps;
            auto reached = [&] {
                return wanted.isEmpty() ? target.hovered.isEmpty() : target.hovered.endsWith(wanted);
            };
            if (waitUntil(reached, kHoverTimeout)) {
                ++hoverStatuses;
            } else {
                target.showStatus(wanted.isEmpty() ? QString() : pages[(nav + 1) % 2] + wanted);
                ++directStatuses;
            }
        }
        qCInfo(platform::lcBench).noquote() << "soak" << nav + 1 << navigations;
    }

    qCInfo(platform::lcBench).noquote() << "soak done" << (bare ? "bare" : "program") << "navigations" << navigations
                                        << "scripted-titles" << titleNumber << "title-events" << target.titles
                                        << "hover-statuses" << hoverStatuses << "direct-statuses" << directStatuses
                                        << "failures" << failures << "seconds" << clock.elapsed() / 1000.0;
    platform::FormRegistry::UnloadIfLoaded<frmMain>();
    return failures == 0 ? 0 : 1;
}
