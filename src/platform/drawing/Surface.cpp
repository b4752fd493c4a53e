#include "platform/drawing/Surface.h"

#include "platform/drawing/Region.h"
#include "platform/system/Runtime.h"

#include <QPainter>
#include <QWidget>

namespace platform {

Surface::Surface(QWidget* owner) : owner_(owner) {}

void Surface::Resize()
{
    if (inert_)
        return;
    const QSize size = owner_->size();
    if (size == image_.size() || size.isEmpty())
        return;
    QImage next(size, QImage::Format_RGB32);
    next.fill(TranslateColor(backColor_));
    if (!image_.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = std::move(next);
}

void Surface::Cls()
{
    if (inert_)
        return;
    // An image of another size than the owner's is dropped rather than made
    // again: the next drawing makes it at the owner's size of that time, and
    // until then the owner shows its back colour. A form clears before it
    // has its design size, and an image of the size it had then would only
    // be thrown away.
    if (image_.size() == owner_->size())
        image_.fill(TranslateColor(backColor_));
    else
        image_ = QImage();
    Changed();
}

void Surface::Draw(const std::function<void(QPainter&)>& draw)
{
    Resize();
    if (inert_ || image_.isNull())
        return;
    QPainter p(&image_);
    draw(p);
    Changed();
}

void Surface::Line(double x1, double y1, double x2, double y2, OLE_COLOR color)
{
    Draw([&](QPainter& p) {
        p.setPen(QPen(TranslateColor(color), 0));
        p.drawLine(QPoint(PixelsX(x1), PixelsY(y1)), QPoint(PixelsX(x2), PixelsY(y2)));
    });
}

void Surface::FilledBox(double x1, double y1, double x2, double y2, OLE_COLOR color)
{
    Draw([&](QPainter& p) {
        const QPoint a(PixelsX(x1), PixelsY(y1));
        const QPoint b(PixelsX(x2), PixelsY(y2));
        p.fillRect(QRect(a, b).normalized(), TranslateColor(color));
    });
}

void Surface::FillRegion(const Region& region, OLE_COLOR color)
{
    Draw([&](QPainter& p) {
        const QColor fill = TranslateColor(color);
        for (const QRect& rect : region.Pixels())
            p.fillRect(rect, fill);
    });
}

void Surface::Paint(QPainter& painter) const
{
    if (image_.isNull())
        painter.fillRect(owner_->rect(), TranslateColor(backColor_));
    else
        painter.drawImage(0, 0, image_);
}

void Surface::Changed()
{
    owner_->update();
}

}  // namespace platform
