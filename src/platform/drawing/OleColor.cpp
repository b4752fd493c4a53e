#include "platform/drawing/OleColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {
// System colour index to palette role. The active and inactive captions must
// differ visibly whatever the theme: the active one is the selection colour,
// the inactive one the palette's mid grey.
QColor systemColor(uint32_t index)
{
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 2: return palette.color(QPalette::Active, QPalette::Highlight);
    case 3: return palette.color(QPalette::Active, QPalette::Mid);
    case 5: return palette.color(QPalette::Active, QPalette::Base);
    case 8: return palette.color(QPalette::Active, QPalette::Text);
    case 14: return palette.color(QPalette::Active, QPalette::HighlightedText);
    case 15: return palette.color(QPalette::Active, QPalette::Button);
    case 16: return palette.color(QPalette::Active, QPalette::Dark);
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: return palette.color(QPalette::Active, QPalette::ButtonText);
    default: return palette.color(QPalette::Active, QPalette::Window);
    }
}
}  // namespace

QColor TranslateColor(OLE_COLOR color)
{
    if (color & 0x80000000u)
        return systemColor(color & 0xFFu);
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

}  // namespace platform
