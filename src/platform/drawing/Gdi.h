#pragma once
// Window shapes and region drawing in the graphics vocabulary the units use:
// rounded-rectangle regions, solid brushes, region framing on a form's
// persistent image, and a window's shape.
#include "platform/drawing/OleColor.h"
#include "platform/drawing/Region.h"
#include "platform/drawing/SolidBrush.h"

class QWidget;

namespace platform {

class Surface;

// A rounded rectangle from (x1, y1) to (x2, y2) pixels, right and bottom edges
// exclusive, corners rounded by an ellipse of width x height pixels.
Region CreateRoundRectRgn(int x1, int y1, int x2, int y2, int width, int height);

SolidBrush CreateSolidBrush(OLE_COLOR color);

// Paints a frame `width` pixels wide at the left and right and `height`
// pixels high at the top and bottom, inside the region's edge.
void FrameRgn(Surface& hDC, const Region& region, const SolidBrush& brush, int width, int height);

// Makes the region the window's shape: only its pixels show and take input.
// The window keeps it; a later call replaces it, so a window has one shape.
void SetWindowRgn(QWidget* hWnd, const Region& region, bool redraw);

}  // namespace platform
