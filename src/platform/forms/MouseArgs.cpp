#include "platform/forms/MouseArgs.h"

#include "platform/forms/Forms.h"
#include "platform/system/Application.h"
#include "platform/system/Runtime.h"

#include <QMouseEvent>

namespace platform {

namespace {
int16_t vbButtons(Qt::MouseButtons buttons)
{
    int16_t result = 0;
    if (buttons & Qt::LeftButton)
        result |= vbLeftButton;
    if (buttons & Qt::RightButton)
        result |= vbRightButton;
    if (buttons & Qt::MiddleButton)
        result |= vbMiddleButton;
    return result;
}
}  // namespace

MouseArgs VbMouseArgs(const QMouseEvent& event)
{
    MouseArgs args;
    args.Button = event.type() == QEvent::MouseMove ? vbButtons(event.buttons()) : vbButtons(event.button());
    args.Shift = VbShiftState(event.modifiers());
    const QPointF pos = event.position();
    args.X = float(pos.x() * TwipsPerPixelX());
    args.Y = float(pos.y() * TwipsPerPixelY());
    return args;
}

}  // namespace platform
