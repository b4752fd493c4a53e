// The soak run of tools/bench: the program's main window over the real
// engine, driven through many navigations, title changes and status changes,
// with its progress on the bench's log so that tools/bench can follow the
// memory of the process tree from outside.
//   soak_driver <folder> <navigations> <title changes> <status changes>
// <folder> holds soak_a.html and soak_b.html, each titled and with two links
// at fixed places (see tools/bench).
//
// What is driven, and how:
// - navigations: frmMain's browser host opens the two pages in turn
//   (BrowserHost::Navigate), each waited for until DocumentComplete;
// - title changes: a script sets document.title in the page; the engine
//   reports it and frmMain's TitleChange handler sets the caption, which is
//   checked;
// - status changes: the pointer is moved over the page's links and off them
//   (mouse-move events to the engine's view); the engine reports the hovered
//   link and frmMain's StatusTextChange handler shows it. A move the engine
//   does not answer within a second is replaced by the host's signal sent
//   directly, and counted apart.
#include "platform/Application.h"
#include "platform/BenchLog.h"
#include "platform/GraphicsPath.h"
#include "platform/MessageBox.h"
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
constexpr int kWakeInterval = 20;         // ms: the longest a wait sleeps between checks
constexpr int kLoadTimeout = 15000;       // ms
constexpr int kTitleTimeout = 5000;       // ms
constexpr int kHoverTimeout = 500;        // ms
constexpr int kRestTimeout = 200;         // ms
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
    if (argc < 5)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const long long navigations = QByteArray(argv[2]).toLongLong();
    const long long titleChanges = QByteArray(argv[3]).toLongLong();
    const long long statusChanges = QByteArray(argv[4]).toLongLong();
    const QString pages[] = {QUrl::fromLocalFile(folder.filePath(QStringLiteral("soak_a.html"))).toString(),
                             QUrl::fromLocalFile(folder.filePath(QStringLiteral("soak_b.html"))).toString()};

    frmMain& main = platform::Forms<frmMain>();
    main.Show();
    platform::BrowserHost* browser = main.WebBrowser1;
    auto* view = qobject_cast<QWebEngineView*>(browser->Widget());
    if (!view)
        return 3;

    long long documents = 0, titles = 0, hoverStatuses = 0, directStatuses = 0, failures = 0;
    // The link under the pointer as the status shows it: a link's address
    // (the soak pages' links all carry a fragment) or empty. Load texts are
    // not hover texts.
    QString hovered;
    QObject::connect(browser, &platform::BrowserHost::DocumentComplete, [&] { ++documents; });
    QObject::connect(browser, &platform::BrowserHost::TitleChange, [&] { ++titles; });
    QObject::connect(browser, &platform::BrowserHost::StatusTextChange, [&](const QString& text) {
        if (text.isEmpty() || text.contains(QLatin1Char('#')))
            hovered = text;
    });
    auto moveTo = [view](QPoint point) {
        QWidget* input = view->focusProxy() ? view->focusProxy() : view;
        QMouseEvent move(QEvent::MouseMove, point, input->mapToGlobal(point), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(input, &move);
    };
    QTimer wake;
    wake.start(kWakeInterval);

    QElapsedTimer clock;
    clock.start();
    long long titleNumber = 0;
    for (long long nav = 0; nav < navigations; ++nav) {
        const long long before = documents;
        browser->Navigate(pages[nav % 2]);
        if (!waitUntil([&] { return documents > before && !browser->Busy(); }, kLoadTimeout))
            ++failures;
        // The new page starts with the pointer off its links.
        moveTo(kRestPoint);
        waitUntil([&] { return hovered.isEmpty(); }, kRestTimeout);
        hovered.clear();
        int hoverIndex = 0;

        for (long long k = share(titleChanges, navigations, nav); k > 0; --k) {
            const long long seen = titles;
            const QString title = QStringLiteral("Soak %1").arg(++titleNumber);
            view->page()->runJavaScript(QStringLiteral("document.title = '%1'").arg(title));
            if (!waitUntil([&] { return titles > seen; }, kTitleTimeout) || !main.Caption().endsWith(QStringLiteral("[%1]").arg(title)))
                ++failures;
        }

        for (long long k = share(statusChanges, navigations, nav); k > 0; --k) {
            const QString target = QString::fromLatin1(kHoverTargets[hoverIndex]);
            moveTo(kHoverPoints[hoverIndex]);
            hoverIndex = (hoverIndex + 1) % kHoverSteps;
            auto reached = [&] { return target.isEmpty() ? hovered.isEmpty() : hovered.endsWith(target); };
            if (waitUntil(reached, kHoverTimeout)) {
                ++hoverStatuses;
            } else {
                emit browser->StatusTextChange(target.isEmpty() ? QString() : pages[(nav + 1) % 2] + target);
                ++directStatuses;
            }
        }
        qCInfo(platform::lcBench).noquote() << "soak" << nav + 1 << navigations;
    }

    qCInfo(platform::lcBench).noquote()
        << "soak done" << "navigations" << navigations << "scripted-titles" << titleNumber << "title-events" << titles << "hover-statuses" << hoverStatuses
        << "direct-statuses" << directStatuses << "failures" << failures << "seconds" << clock.elapsed() / 1000.0;
    main.Unload();
    return failures == 0 ? 0 : 1;
}
