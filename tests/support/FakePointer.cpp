#include "FakePointer.h"

#include "platform/forms/Timer.h"
#include "platform/system/AppError.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace skwtest {

FakePointer::FakePointer() : previous_(platform::SetPointerSource(this))
{
    MoveAway();
}

FakePointer::~FakePointer()
{
    platform::SetPointerSource(previous_);
}

void FakePointer::MoveOnto(QWidget* widget, QPoint local)
{
    if (local == QPoint(-1, -1))
        local = widget->rect().center();
    MoveTo(widget->mapToGlobal(local));
}

void FakePointer::MoveAway()
{
    MoveTo(QPoint(-30000, -30000));
}

QPoint FakePointer::CursorPos()
{
    ++reads_;
    if (failWith_ != 0)
        platform::Raise(failWith_);
    return pos_;
}

QWidget* FakePointer::WindowAt(const QPoint& global)
{
    return platform::WindowUnder(global);
}

void FireTimer(QObject* control, const char* timerName)
{
    auto* timer = dynamic_cast<platform::Timer*>(control->findChild<QObject*>(QString::fromLatin1(timerName)));
    if (!timer)
        qFatal("no timer %s", timerName);
    timer->Fire();
}

void SendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, const QPoint& local)
{
    const QPointF pos(local);
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

}  // namespace skwtest

namespace skwtest {

void FakePointer::MoveTo(const QPoint& global)
{
    pos_ = global;
    // The pointer polls sleep while nothing changes; a move is a change.
    platform::Timer::PointerStateChanged();
}

}  // namespace skwtest
