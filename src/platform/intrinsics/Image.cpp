#include "platform/intrinsics/Image.h"

namespace platform {

Image::Image(QWidget* parent, const QString& name) : Control(parent, name)
{
    // Transparent: the form shows around the picture.
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Image::SetPicture(const QIcon& icon, int pixels)
{
    picture_ = icon;
    if (icon.isNull()) {
        clear();
        return;
    }
    setPixmap(icon.pixmap(QSize(pixels, pixels), devicePixelRatioF()));
    resize(pixels, pixels);
}

}  // namespace platform
