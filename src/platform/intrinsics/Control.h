#pragma once
// What the standard controls of a form share: the instance name a control
// carries on its form, its place and size in twips in its container, the
// runtime's default font, and its colours as OLE colours in its palette.
#include "platform/drawing/OleColor.h"
#include "platform/system/Runtime.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

#include <algorithm>

namespace platform {

// The forms runtime's font for controls without one of their own.
inline const QString kDefaultFontName = QStringLiteral("MS Sans Serif");
inline constexpr double kDefaultFontSize = 8.25;

// A font by name and point size; what it does not set itself (bold, italic,
// underline) the widget takes from its container.
inline QFont FontOf(const QString& name, double pointSize)
{
    QFont f(name);
    f.setPointSizeF(pointSize);
    return f;
}
// The same, bold and italic or not whatever the container's font is.
inline QFont FontOf(const QString& name, double pointSize, bool bold, bool italic)
{
    QFont f = FontOf(name, pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

template <class Widget>
class Control : public Widget {
public:
    float Left() const { return float(TwipsX(this->x())); }
    float Top() const { return float(TwipsY(this->y())); }
    float Width() const { return float(TwipsX(this->width())); }
    float Height() const { return float(TwipsY(this->height())); }
    void SetLeft(float twips) { this->move(PixelsX(twips), this->y()); }
    void SetTop(float twips) { this->move(this->x(), PixelsY(twips)); }
    void SetWidth(float twips) { this->resize(std::max(0, PixelsX(twips)), this->height()); }
    void SetHeight(float twips) { this->resize(this->width(), std::max(0, PixelsY(twips))); }
    void Move(float left, float top, float width, float height) { SetTwipsGeometry(this, left, top, width, height); }

protected:
    Control(QWidget* parent, const QString& name) : Widget(parent) { this->setObjectName(name); }

    // One colour role of the control's palette.
    void SetPaletteColor(QPalette::ColorRole role, OLE_COLOR color)
    {
        QPalette p = this->palette();
        p.setColor(role, TranslateColor(color));
        this->setPalette(p);
    }
};

}  // namespace platform
