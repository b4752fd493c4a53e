// Measures the hover polling of the owner-drawn controls: the cost of one
// tick at rest, and the processor time that the program's ten instances
// (four buttons, three text boxes, three links) take on a shown window over
// ten seconds, against the same window with polling switched off.
#include "controls/HyperLblCtl.h"
#include "controls/SoftButton.h"
#include "controls/SoftText.h"
#include "platform/forms/Timer.h"
#include "platform/system/Application.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

namespace {
constexpr int kTickRounds = 100000;
constexpr int kIdleSeconds = 10;

double processSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

QList<platform::Timer*> pollTimers(QWidget* host)
{
    QList<platform::Timer*> timers;
    for (QObject* child : host->findChildren<QObject*>()) {
        if (auto* timer = dynamic_cast<platform::Timer*>(child))
            timers << timer;
    }
    return timers;
}

// Processor share of one core while the event loop runs for `seconds`.
double idleShare(int seconds)
{
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = processSeconds();
    loop.exec();
    return (processSeconds() - cpu0) / (wall.nsecsElapsed() / 1e9);
}
}  // namespace

int main(int argc, char** argv)
{
    platform::Application app(argc, argv);
    QWidget host;
    host.setGeometry(100, 100, 400, 300);
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("cmd%1").arg(i);
        (new SoftButton(&host, name, SoftButton::Stored{.Caption = name, .Border = SoftButton::btFlatDark}.Bag()))
            ->Move(150, 150 + i * 500, 1200, 450);
    }
    for (int i = 0; i < 3; ++i)
        (new SoftText(&host, QStringLiteral("txt%1").arg(i), SoftText::Stored{}.Bag()))
            ->Move(1800, 150 + i * 500, 2400, 285);
    for (int i = 0; i < 3; ++i)
        (new HyperLblCtl(&host, QStringLiteral("link%1").arg(i),
                         HyperLblCtl::Stored{.Label = QStringLiteral("link")}.Bag()))
            ->Move(4500, 150 + i * 500, 0, 0);
    host.show();
    idleShare(1);  // let the window settle

    const QList<platform::Timer*> timers = pollTimers(&host);
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < kTickRounds; ++round) {
        for (platform::Timer* timer : timers)
            timer->Fire();
    }
    const double perTick = double(clock.nsecsElapsed()) / (double(kTickRounds) * timers.size());
    std::printf("platform: %s, %lld poll timers\n", qPrintable(QGuiApplication::platformName()),
                qlonglong(timers.size()));
    std::printf("one idle tick: %.0f ns (mean of %d rounds over all instances)\n", perTick, kTickRounds);
    std::printf("RESULT hover_tick %.0f ns\n", perTick);
    for (const char* kind : {"SoftButton", "SoftText", "HyperLblCtl"}) {
        QList<platform::Timer*> ofKind;
        for (platform::Timer* timer : timers) {
            if (QString::fromLatin1(timer->parent()->metaObject()->className()) == QLatin1String(kind))
                ofKind << timer;
        }
        clock.restart();
        for (int round = 0; round < kTickRounds; ++round) {
            for (platform::Timer* timer : ofKind)
                timer->Fire();
        }
        std::printf("  %s: %.0f ns per tick\n", kind,
                    double(clock.nsecsElapsed()) / (double(kTickRounds) * ofKind.size()));
    }

    const double polling = idleShare(kIdleSeconds);
    for (platform::Timer* timer : timers)
        timer->SetEnabled(false);
    const double quiet = idleShare(kIdleSeconds);
    // The floor: the event loop woken every 10 ms by one timer that does nothing.
    QTimer bare;
    bare.setInterval(10);
    QObject::connect(&bare, &QTimer::timeout, [] {});
    bare.start();
    const double wakeups = idleShare(kIdleSeconds);
    bare.stop();
    std::printf("an empty 10 ms QTimer alone: %.3f %% of one core\n", wakeups * 100);
    std::printf("shown window, %d s: %.3f %% of one core polling, %.3f %% without polling, polling costs %.3f %%\n",
                kIdleSeconds, polling * 100, quiet * 100, (polling - quiet) * 100);
    std::printf("RESULT ten_idle_controls %.3f %%-of-a-core\n", polling * 100);
    return 0;
}
