#include "platform/forms/Timer.h"

#include "platform/system/Application.h"
#include "platform/system/CodeDepth.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace platform {

namespace {
// Counts the changes of what pointer-polling timers look at; starts above
// the serial a new timer has seen, so that each ticks at least once.
quint64 pointerSerial = 1;
bool automaticTicks = true;
}  // namespace

// All enabled timers of one interval, ticked in the order they were enabled.
class TimerGroup {
public:
    explicit TimerGroup(int interval)
    {
        timer_.setInterval(interval);
        QObject::connect(&timer_, &QTimer::timeout, [this] { dispatch(); });
    }

    void add(Timer* t)
    {
        members_.push_back(t);
        wake();
    }

    // Starts the shared timer if it sleeps and has members.
    void wake()
    {
        if (automaticTicks && !members_.empty() && !timer_.isActive())
            timer_.start();
    }

    void stop() { timer_.stop(); }

    void remove(Timer* t)
    {
        const auto it = std::find(members_.begin(), members_.end(), t);
        if (it == members_.end())
            return;
        if (dispatching_) {
            *it = nullptr;  // compacted when the dispatch ends
            return;
        }
        members_.erase(it);
        if (members_.empty())
            timer_.stop();
    }

private:
    void dispatch()
    {
        dispatching_ = true;
        // By index: a handler may enable further timers of this interval.
        for (size_t i = 0; i < members_.size(); ++i) {
            Timer* t = members_[i];
            if (t && !(t->pollsPointer_ && t->seenSerial_ == pointerSerial))
                t->tick();
        }
        dispatching_ = false;
        std::erase(members_, nullptr);
        if (members_.empty() || allUpToDate())
            timer_.stop();
    }

    // Every member polls the pointer and has seen its present state.
    bool allUpToDate() const
    {
        for (const Timer* t : members_)
            if (!t->pollsPointer_ || t->seenSerial_ != pointerSerial || t->running_)
                return false;
        return true;
    }

    QTimer timer_;
    std::vector<Timer*> members_;
    bool dispatching_ = false;
};

namespace {
std::map<int, std::unique_ptr<TimerGroup>>& groups()
{
    static std::map<int, std::unique_ptr<TimerGroup>> g;
    return g;
}
TimerGroup& groupFor(int interval)
{
    auto& slot = groups()[interval];
    if (!slot)
        slot = std::make_unique<TimerGroup>(interval);
    return *slot;
}
}  // namespace

Timer::Timer(QObject* parent, std::function<void()> onTimer) : QObject(parent), onTimer_(std::move(onTimer)) {}

Timer::~Timer()
{
    detach();
}

void Timer::SetInterval(int milliseconds)
{
    detach();
    interval_ = std::max(0, milliseconds);
    attach();
}

void Timer::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    if (enabled)
        attach();
    else
        detach();
}

void Timer::attach()
{
    if (attached_ || !enabled_ || interval_ <= 0)
        return;
    seenSerial_ = 0;  // a timer enabled again looks afresh
    groupFor(interval_).add(this);
    attached_ = true;
}

void Timer::detach()
{
    if (!attached_)
        return;
    groupFor(interval_).remove(this);
    attached_ = false;
}

void Timer::PointerStateChanged()
{
    ++pointerSerial;
    for (auto& [interval, group] : groups())
        group->wake();
}

void Timer::SetAutomaticTicks(bool on)
{
    automaticTicks = on;
    for (auto& [interval, group] : groups())
        on ? group->wake() : group->stop();
}

void Timer::Recheck()
{
    seenSerial_ = 0;
    if (attached_)
        groupFor(interval_).wake();
}

void Timer::tick()
{
    if (running_ || !enabled_)
        return;
    seenSerial_ = pointerSerial;
    CodeScope scope;
    // The handler may let events run that destroy this timer.
    QPointer<Timer> self(this);
    running_ = true;
    try {
        onTimer_();
    } catch (...) {
        if (self)
            running_ = false;
        ReportUntrappedError();
        return;
    }
    if (self)
        running_ = false;
}

}  // namespace platform
