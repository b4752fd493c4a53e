#include "platform/pointer/PointerTracker.h"

#include "platform/forms/Timer.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>

namespace platform {

PointerTracker& PointerTracker::Instance()
{
    static PointerTracker* tracker = new PointerTracker();
    return *tracker;
}

PointerTracker::PointerTracker()
{
    // One read of the real pointer, to start from; events keep it from here.
    pos_ = QCursor::pos();
    topLevel_ = QApplication::topLevelAt(pos_);
    inside_ = topLevel_ != nullptr;
    qApp->installEventFilter(this);
    // The application object outlives every widget; the tracker goes with it.
    setParent(qApp);
}

void PointerTracker::pointerAt(QWidget* receiver, const QPoint& global)
{
    if (global != pos_) {
        pos_ = global;
        Timer::PointerStateChanged();
    }
    QWidget* top = receiver->window();
    if (top != topLevel_.data()) {
        topLevel_ = top;
        changed();
    }
    if (!inside_) {
        inside_ = true;
        changed();
    }
}

void PointerTracker::changed()
{
    ++generation_;
    Timer::PointerStateChanged();
}

bool PointerTracker::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (watched->isWidgetType())
            pointerAt(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        break;
    case QEvent::Enter:
        if (watched->isWidgetType())
            pointerAt(static_cast<QWidget*>(watched), static_cast<QEnterEvent*>(event)->globalPosition().toPoint());
        break;
    case QEvent::Leave:
        // Leaving our top-level window (and entering none of ours yet).
        if (watched == topLevel_.data()) {
            inside_ = false;
            changed();
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ZOrderChange:
    case QEvent::ParentChange:
    case QEvent::WindowStateChange:
    case QEvent::ChildRemoved: changed(); break;
    default: break;
    }
    return false;
}

QWidget* PointerTracker::WindowAt(const QPoint& global)
{
    if (global == pos_ && !inside_)
        return nullptr;
    const bool cachedAlive = cachedWindow_ || !cachedNonNull_;
    if (cacheValid_ && cachedAlive && global == cachedPos_ && generation_ == cachedGeneration_)
        return cachedWindow_.data();

    QWidget* window = WindowUnder(global, global == pos_ ? topLevel_.data() : nullptr);
    cacheValid_ = true;
    cachedPos_ = global;
    cachedGeneration_ = generation_;
    cachedWindow_ = window;
    cachedNonNull_ = window != nullptr;
    return window;
}

}  // namespace platform
