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
    // A font of its own in every attribute, so that the bold caption of the
    // frame it lies in does not pass down to its text.
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(kDefaultFontSize);
    f.setBold(false);
    f.setItalic(false);
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
