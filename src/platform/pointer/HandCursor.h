#pragma once
// The pointing-hand cursor of hyperlinks: 32 x 32, black outline on white,
// hot spot at the fingertip (12, 4).
#include <QCursor>

namespace platform {

QCursor HandCursor();

}  // namespace platform
