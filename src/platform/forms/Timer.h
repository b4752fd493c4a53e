#pragma once
// Timers of the forms runtime: an interval, an Enabled flag and a tick
// handler. Timers of equal interval share one underlying QTimer, so ten
// controls polling every 10 ms wake the program 100 times a second, not 1000.
// A tick whose handler is still running (it let events run with DoEvents) is
// not started again inside itself.
//
// Timers that poll the pointer (SetPollsPointer) look only at the pointer, at
// the windows under it and at their own control's state. While none of that
// has changed since such a timer's last tick, its next tick would find what
// the last one found, so it is left out; when every timer of an interval is
// left out, the shared QTimer stops and the program sleeps instead of waking
// a hundred times a second. PointerStateChanged() wakes them.
#include <QObject>

#include <functional>

namespace platform {

class Timer : public QObject {
    Q_OBJECT
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

    // The timer polls the pointer: its ticks can be left out while nothing
    // it looks at has changed.
    void SetPollsPointer(bool on) { pollsPointer_ = on; }
    // Something a pointer-polling timer looks at changed: the pointer moved,
    // a window was shown, hidden, moved or resized, a control was enabled or
    // disabled. Each such timer ticks again at its next interval.
    static void PointerStateChanged();
    // Something this timer's ticks look at changed (its control's state):
    // it ticks again at its next interval.
    void Recheck();
    // Off: no timer ticks by itself any more, only through Fire(). For tests
    // that must know every tick; on by default.
    static void SetAutomaticTicks(bool on);

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
    bool pollsPointer_ = false;
    // The pointer state's serial number that this timer's last tick saw.
    quint64 seenSerial_ = 0;
};

}  // namespace platform
