#pragma once
// OLE colours: 0x800000nn names system colour nn, any other value is 0x00BBGGRR.
#include <QColor>

#include <cstdint>

namespace platform {

using OLE_COLOR = uint32_t;

inline constexpr OLE_COLOR COLOR_ACTIVECAPTION = 0x80000002;
inline constexpr OLE_COLOR COLOR_INACTIVECAPTION = 0x80000003;
inline constexpr OLE_COLOR COLOR_WINDOW = 0x80000005;
inline constexpr OLE_COLOR COLOR_HIGHLIGHTTEXT = 0x8000000E;
inline constexpr OLE_COLOR COLOR_BTNFACE = 0x8000000F;
inline constexpr OLE_COLOR COLOR_BTNSHADOW = 0x80000010;
inline constexpr OLE_COLOR COLOR_GRAYTEXT = 0x80000011;
inline constexpr OLE_COLOR COLOR_BTNTEXT = 0x80000012;

// The colour to paint with: system colours come from the application palette
// at the time of the call, so a theme change is followed.
QColor TranslateColor(OLE_COLOR color);

// An RGB value written as 0x00BBGGRR, as the drawing code spells its constants.
constexpr OLE_COLOR RGB(int r, int g, int b)
{
    return static_cast<OLE_COLOR>(r) | (static_cast<OLE_COLOR>(g) << 8) | (static_cast<OLE_COLOR>(b) << 16);
}

}  // namespace platform
