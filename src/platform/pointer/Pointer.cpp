#include "platform/pointer/Pointer.h"

#include "platform/forms/Timer.h"
#include "platform/pointer/PointerTracker.h"

#include <QApplication>
#include <QLabel>
#include <QVariant>
#include <QWidget>

namespace platform {

namespace {
constexpr char kWindowlessProperty[] = "skerrywindWindowless";

PointerSource*& replacement()
{
    static PointerSource* source = nullptr;
    return source;
}

PointerSource& source()
{
    if (PointerSource* replaced = replacement())
        return *replaced;
    return PointerTracker::Instance();
}
}  // namespace

void GetCursorPos(POINTAPI& point)
{
    const QPoint pos = source().CursorPos();
    point.x = pos.x();
    point.y = pos.y();
}

QWidget* WindowFromPoint(int32_t x, int32_t y)
{
    return source().WindowAt(QPoint(x, y));
}

void SetWindowless(QWidget* widget, bool windowless)
{
    widget->setProperty(kWindowlessProperty, windowless);
    PointerTracker::Instance().GeometryChanged();
}

bool CountsAsWindow(const QWidget* widget)
{
    if (widget->isWindow())
        return true;
    const QVariant marked = widget->property(kWindowlessProperty);
    if (marked.isValid())
        return !marked.toBool();
    return !qobject_cast<const QLabel*>(widget);
}

QWidget* WindowUnder(const QPoint& global, QWidget* topLevel)
{
    if (!topLevel)
        topLevel = QApplication::topLevelAt(global);
    if (!topLevel || !topLevel->isVisible())
        return nullptr;
    const QPoint local = topLevel->mapFromGlobal(global);
    if (!topLevel->rect().contains(local))
        return nullptr;
    QWidget* widget = topLevel->childAt(local);
    if (!widget)
        return topLevel;
    while (!CountsAsWindow(widget))
        widget = widget->parentWidget();
    return widget;
}

PointerSource* SetPointerSource(PointerSource* source)
{
    PointerSource* previous = replacement();
    replacement() = source;
    Timer::PointerStateChanged();
    return previous;
}

}  // namespace platform
