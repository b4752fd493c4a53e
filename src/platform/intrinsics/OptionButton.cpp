#include "platform/intrinsics/OptionButton.h"

#include "platform/system/Runtime.h"

namespace platform {

namespace {
constexpr double kDefaultFontSize = 8.25;
}  // namespace

OptionButton::OptionButton(QWidget* parent, const QString& name) : QRadioButton(parent)
{
    setObjectName(name);
    // The buttons of one container exclude each other.
    setAutoExclusive(true);
    setAutoFillBackground(true);
    SetBackColor(backColor_);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(kDefaultFontSize);
    setFont(f);
}

void OptionButton::SetBackColor(OLE_COLOR color)
{
    backColor_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Window, TranslateColor(color));
    setPalette(p);
}

void OptionButton::Move(float left, float top, float width, float height)
{
    SetTwipsGeometry(this, left, top, width, height);
}

}  // namespace platform
