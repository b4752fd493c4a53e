#include "platform/intrinsics/Frame.h"

namespace platform {

Frame::Frame(QWidget* parent, const QString& name) : Control(parent, name)
{
    setAutoFillBackground(true);
    SetBackColor(backColor_);
    // A font of its own, so that a bold caption of an enclosing frame does
    // not pass down to this one.
    SetFont(kDefaultFontName, kDefaultFontSize);
}

void Frame::SetBackColor(OLE_COLOR color)
{
    backColor_ = color;
    SetPaletteColor(QPalette::Window, color);
}

void Frame::SetFont(const QString& name, double pointSize, bool bold, bool italic)
{
    setFont(FontOf(name, pointSize, bold, italic));
}

}  // namespace platform
