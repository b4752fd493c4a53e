#pragma once
// The arguments of the forms runtime's mouse events: the button (1 left,
// 2 right, 4 middle), the shift state and the position in twips.
#include <cstdint>

class QMouseEvent;

namespace platform {

struct MouseArgs {
    int16_t Button = 0;
    int16_t Shift = 0;
    float X = 0;
    float Y = 0;
};

// For a press or release, the button that changed; for a move, the buttons
// held. X and Y are relative to the receiving widget.
MouseArgs VbMouseArgs(const QMouseEvent& event);

}  // namespace platform
