#pragma once
// A solid brush: one colour to fill or frame with. A plain value, so nothing
// is left behind when it goes out of scope.
#include "platform/drawing/OleColor.h"

namespace platform {

struct SolidBrush {
    OLE_COLOR Color = 0;
};

}  // namespace platform
