#pragma once
// A set of pixels in window coordinates: the shape of a window and the area
// that region framing paints.
#include <QRegion>

namespace platform {

class Region {
public:
    Region() = default;
    explicit Region(const QRegion& pixels) : pixels_(pixels) {}

    // A rectangle from (left, top) to (right, bottom), right and bottom edges
    // exclusive, with its corners rounded by an ellipse of ellipseWidth x
    // ellipseHeight pixels. Reversed corners are swapped; an ellipse larger
    // than the rectangle is cut to its size, and one under 2 pixels gives
    // square corners.
    static Region RoundRect(int left, int top, int right, int bottom, int ellipseWidth, int ellipseHeight);

    // The pixels that stay when every pixel closer than `width` pixels to the
    // left or right edge, or `height` pixels to the top or bottom edge, is
    // taken away.
    Region Eroded(int width, int height) const;
    Region Subtracted(const Region& other) const { return Region(pixels_.subtracted(other.pixels_)); }

    bool IsEmpty() const { return pixels_.isEmpty(); }
    bool Contains(int x, int y) const { return pixels_.contains(QPoint(x, y)); }
    QRect BoundingRect() const { return pixels_.boundingRect(); }
    const QRegion& Pixels() const { return pixels_; }

    bool operator==(const Region& other) const { return pixels_ == other.pixels_; }

private:
    QRegion pixels_;
};

}  // namespace platform
