#pragma once
// A persistent drawing image (AutoRedraw): line and box drawing in twips go to
// an image that the owning widget shows in its paintEvent, so what was drawn
// survives repaints until it is drawn over or cleared.
#include "platform/drawing/OleColor.h"

#include <QImage>

#include <functional>

class QPainter;
class QWidget;

namespace platform {

class Region;

class Surface {
public:
    explicit Surface(QWidget* owner);

    // Follows the owner's size: keeps what is drawn, fills new area with the
    // back colour.
    void Resize();
    // Fills the whole image with the back colour and forgets what was drawn.
    void Cls();
    void SetBackColor(OLE_COLOR color) { backColor_ = color; }
    OLE_COLOR BackColor() const { return backColor_; }

    // A one-pixel solid line from (x1, y1) to (x2, y2), twips.
    void Line(double x1, double y1, double x2, double y2, OLE_COLOR color);
    // A filled box from (x1, y1) to (x2, y2), twips, outline and interior in one colour.
    void FilledBox(double x1, double y1, double x2, double y2, OLE_COLOR color);
    // Fills the pixels of a region (pixel coordinates) with one colour.
    void FillRegion(const Region& region, OLE_COLOR color);

    // From now on drawing does nothing (the owner was unloaded).
    void SetInert() { inert_ = true; }

    // Shows the image; call from the owner's paintEvent.
    void Paint(QPainter& painter) const;
    // What was drawn; null after a clear at another size until the next drawing.
    const QImage& Image() const { return image_; }

private:
    // One drawing: the image follows the owner's size first, `draw` paints
    // on it, and the owner repaints. Nothing is drawn once the owner is
    // inert, or while it has no size.
    void Draw(const std::function<void(QPainter&)>& draw);
    // Schedules the owner's repaint after a drawing.
    void Changed();

    QWidget* owner_;
    QImage image_;
    OLE_COLOR backColor_ = COLOR_BTNFACE;
    bool inert_ = false;
};

}  // namespace platform
