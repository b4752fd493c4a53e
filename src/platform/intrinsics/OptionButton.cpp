#include "platform/intrinsics/OptionButton.h"

namespace platform {

OptionButton::OptionButton(QWidget* parent, const QString& name) : Control(parent, name)
{
    // The buttons of one container exclude each other.
    setAutoExclusive(true);
    setAutoFillBackground(true);
    SetBackColor(backColor_);
    // A font of its own in every attribute, so that the bold caption of the
    // frame it lies in does not pass down to its text.
    setFont(FontOf(kDefaultFontName, kDefaultFontSize, false, false));
}

void OptionButton::SetBackColor(OLE_COLOR color)
{
    backColor_ = color;
    SetPaletteColor(QPalette::Window, color);
}

}  // namespace platform
