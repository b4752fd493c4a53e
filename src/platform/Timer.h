#pragma once
// Timers of the forms runtime: an interval, an Enabled flag and a tick
// handler. Timers of equal interval share one underlying QTimer, so ten
// controls polling every 10 ms wake the program 100 times a second, not 1000.
// A tick whose handler is still running (it let events run with DoEvents) is
// not started again inside itself.
#include <QObject>
#include <functional>

namespace platform {

class Timer : public QObject {
public:
    Timer(QObject* parent, std::function<void()> onTimer);
    ~Timer() override;

    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Runs one tick now, as the timer would: not while a tick is running,
    // not while disabled. For tests and measurements.
    void Fire() { tick(); }

private:
    friend class TimerGroup;
    void tick();
    void attach();
    void detach();

    std::function<void()> onTimer_;
    int interval_ = 0;
    bool enabled_ = false;
    bool running_ = false;
    bool attached_ = false;
};

}  // namespace platform
