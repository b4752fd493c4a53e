#include "platform/drawing/Region.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {

namespace {
// Below this an ellipse has no curve to speak of and the corners stay square.
constexpr int kMinimumEllipse = 2;

// How far the rounded corner cuts into row `row` (0 = the outermost row) of a
// corner whose ellipse is ellipseWidth x ellipseHeight: a pixel is inside when
// its centre lies inside the ellipse.
int cornerInset(int row, int ellipseWidth, int ellipseHeight)
{
    const double rx = ellipseWidth / 2.0;
    const double ry = ellipseHeight / 2.0;
    const double dy = (row + 0.5 - ry) / ry;
    if (dy >= 0)
        return 0;
    const double halfSpan = rx * std::sqrt(std::max(0.0, 1.0 - dy * dy));
    // The first column whose centre x + 0.5 reaches rx - halfSpan.
    return std::max(0, int(std::ceil(rx - halfSpan - 0.5)));
}
}  // namespace

Region Region::RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    const int width = right - left;
    const int height = bottom - top;
    if (width == 0 || height == 0)
        return Region();
    ellipseWidth = std::min(std::abs(ellipseWidth), width);
    ellipseHeight = std::min(std::abs(ellipseHeight), height);
    if (ellipseWidth < kMinimumEllipse || ellipseHeight < kMinimumEllipse)
        return Region(QRegion(left, top, width, height));

    // Row by row: the curved rows at the top and the bottom mirror each other,
    // and each row mirrors its inset at the left and the right.
    QRegion pixels;
    const int curvedRows = (ellipseHeight + 1) / 2;
    for (int row = 0; row < curvedRows && row < (height + 1) / 2; ++row) {
        const int inset = cornerInset(row, ellipseWidth, ellipseHeight);
        const int span = width - 2 * inset;
        if (span <= 0)
            continue;
        pixels += QRect(left + inset, top + row, span, 1);
        if (height - 1 - row != row)
            pixels += QRect(left + inset, bottom - 1 - row, span, 1);
    }
    const int straightRows = height - 2 * curvedRows;
    if (straightRows > 0)
        pixels += QRect(left, top + curvedRows, width, straightRows);
    return Region(pixels);
}

Region Region::Eroded(int width, int height) const
{
    // A pixel stays when the pixels `width` to its left and right and
    // `height` above and below it are all in the region. For regions whose
    // rows and columns are single runs (rectangles, rounded rectangles) this
    // takes away exactly the band of that width along the edge.
    QRegion kept = pixels_;
    kept &= pixels_.translated(width, 0);
    kept &= pixels_.translated(-width, 0);
    kept &= pixels_.translated(0, height);
    kept &= pixels_.translated(0, -height);
    return Region(kept);
}

}  // namespace platform
