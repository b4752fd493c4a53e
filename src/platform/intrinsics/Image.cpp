#include "platform/intrinsics/Image.h"

#include "platform/system/Runtime.h"

namespace platform {

Image::Image(QWidget* parent, const QString& name) : QLabel(parent)
{
    setObjectName(name);
    // Transparent: the form shows around the picture.
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void Image::Move(float left, float top, float width, float height)
{
    SetTwipsGeometry(this, left, top, width, height);
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
