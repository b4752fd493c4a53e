#include "platform/drawing/Gdi.h"

#include "platform/drawing/Surface.h"

#include <QWidget>

namespace platform {

Region CreateRoundRectRgn(int x1, int y1, int x2, int y2, int width, int height)
{
    return Region::RoundRect(x1, y1, x2, y2, width, height);
}

SolidBrush CreateSolidBrush(OLE_COLOR color)
{
    return SolidBrush{color};
}

void FrameRgn(Surface& hDC, const Region& region, const SolidBrush& brush, int width, int height)
{
    hDC.FillRegion(region.Subtracted(region.Eroded(width, height)), brush.Color);
}

void SetWindowRgn(QWidget* hWnd, const Region& region, bool redraw)
{
    hWnd->setMask(region.Pixels());
    if (redraw)
        hWnd->update();
}

}  // namespace platform
