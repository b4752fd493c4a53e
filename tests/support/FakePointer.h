#pragma once
// A pointer the test moves by hand: replaces the program's pointer tracking
// while it exists. The window under a point is looked up afresh from the
// shown windows, so covering and hiding windows behave as on a screen.
#include "platform/pointer/Pointer.h"

#include <QEvent>
#include <QPoint>

#include <cstdint>

class QObject;
class QWidget;

namespace skwtest {

class FakePointer : public platform::PointerSource {
public:
    FakePointer();
    ~FakePointer() override;

    void MoveTo(const QPoint& global);
    // To a point of `widget` (its centre by default).
    void MoveOnto(QWidget* widget, QPoint local = QPoint(-1, -1));
    // To a point that no window covers.
    void MoveAway();
    // Every read raises this error from now on; 0 reads normally again.
    void FailWith(int32_t number) { failWith_ = number; }
    int Reads() const { return reads_; }

    QPoint CursorPos() override;
    QWidget* WindowAt(const QPoint& global) override;

private:
    platform::PointerSource* previous_;
    QPoint pos_;
    int32_t failWith_ = 0;
    int reads_ = 0;
};

// Runs one tick of the named timer of a control, as the 10 ms poll would.
void FireTimer(QObject* control, const char* timerName);

// Sends a mouse event to `target`: `button` is the one pressed or released
// (NoButton for a move), `held` the buttons down after it, `local` in pixels.
void SendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, const QPoint& local);

}  // namespace skwtest
