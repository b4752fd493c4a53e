#pragma once
// Where the pointer is and which window lies under a screen point, as the
// hover polling of the owner-drawn controls asks for them every 10 ms.
//
// A widget counts as a window when it is a top-level window or a child that
// is not marked windowless; labels are windowless. The window under a point
// is the widget there, mapped up to the nearest widget that counts as a
// window, or null when none of the program's windows lies there.
#include <QPoint>

#include <cstdint>

class QWidget;

namespace platform {

struct POINTAPI {
    int32_t x = 0;
    int32_t y = 0;
};

// The pointer position in screen pixels.
void GetCursorPos(POINTAPI& point);
// The window under the screen point (x, y), or null for none of ours.
QWidget* WindowFromPoint(int32_t x, int32_t y);

// Marks a child widget as windowless (or not): it then never answers
// WindowFromPoint itself; its nearest windowed ancestor does.
void SetWindowless(QWidget* widget, bool windowless);
bool CountsAsWindow(const QWidget* widget);

// The window under a screen point, found afresh from the shown top-level
// windows and their children. `topLevel`, when given, is taken as the
// top-level window under the point.
QWidget* WindowUnder(const QPoint& global, QWidget* topLevel = nullptr);

// Answers the two questions; tests install a controllable one.
class PointerSource {
public:
    virtual ~PointerSource() = default;
    virtual QPoint CursorPos() = 0;
    virtual QWidget* WindowAt(const QPoint& global) = 0;
};

// Replaces the source (not owned); null restores the program's own tracker.
// Returns the previous replacement, if any.
PointerSource* SetPointerSource(PointerSource* source);

}  // namespace platform
