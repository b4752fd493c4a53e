#include "platform/intrinsics/Frame.h"

#include "platform/system/Runtime.h"

namespace platform {

namespace {
constexpr double kDefaultFontSize = 8.25;
}  // namespace

Frame::Frame(QWidget* parent, const QString& name) : QGroupBox(parent)
{
    setObjectName(name);
    setAutoFillBackground(true);
    SetBackColor(backColor_);
    // A font of its own, so that a bold caption of an enclosing frame does
    // not pass down to this one.
    SetFont(QStringLiteral("MS Sans Serif"), kDefaultFontSize);
}

void Frame::SetBackColor(OLE_COLOR color)
{
    backColor_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, TranslateColor(color));
    setPalette(p);
}

void Frame::SetFont(const QString& name, double pointSize, bool bold, bool italic)
{
    QFont f(name);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    setFont(f);
}

void Frame::Move(float left, float top, float width, float height)
{
    SetTwipsGeometry(this, left, top, width, height);
}

}  // namespace platform
