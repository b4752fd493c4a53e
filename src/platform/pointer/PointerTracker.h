#pragma once
// The program's own answer to "where is the pointer and which window is under
// it", built to be asked a hundred times a second at no cost.
//
// Asking the window system (QCursor::pos(), QApplication::topLevelAt()) is a
// server round-trip on X11 that also allocates its reply. Instead the pointer
// is followed through the mouse, enter and leave events the program receives
// anyway: inside one of its windows every move arrives as an event, and a
// leave from its window says the pointer is over someone else's. The window
// under the pointer is looked up once and kept until the pointer moves or
// any widget is shown, hidden, moved, resized, restacked or reparented.
// Outside the program's windows the position stays where the pointer left.
#include "platform/pointer/Pointer.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace platform {

class PointerTracker : public QObject, public PointerSource {
public:
    static PointerTracker& Instance();

    QPoint CursorPos() override { return pos_; }
    QWidget* WindowAt(const QPoint& global) override;

    // Drops the remembered look-up, for changes no event reports.
    void GeometryChanged() { changed(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PointerTracker();
    void pointerAt(QWidget* receiver, const QPoint& global);
    // The windows changed: forget the look-up and wake the pointer polls.
    void changed();

    QPoint pos_;
    QPointer<QWidget> topLevel_;  // our top-level window under the pointer
    bool inside_ = false;         // the pointer is over one of our windows
    quint64 generation_ = 0;      // bumped by every change of window geometry

    bool cacheValid_ = false;
    QPoint cachedPos_;
    quint64 cachedGeneration_ = 0;
    QPointer<QWidget> cachedWindow_;
    bool cachedNonNull_ = false;
};

}  // namespace platform
