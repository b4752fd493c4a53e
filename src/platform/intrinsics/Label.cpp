#include "platform/intrinsics/Label.h"

#include "platform/forms/MouseArgs.h"
#include "platform/system/Runtime.h"

#include <QMouseEvent>

namespace platform {

namespace {
constexpr double kDefaultFontSize = 8.25;
}  // namespace

Label::Label(QWidget* parent, const QString& name) : QLabel(parent)
{
    setObjectName(name);
    // Transparent (BackStyle 0): the parent's drawing shows through.
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetForeColor(foreColor_);
    // The forms runtime's default font for controls without one of their own.
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(kDefaultFontSize);
    setFont(f);
}

void Label::SetCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    fitText();
    emit Change();
}

void Label::SetForeColor(OLE_COLOR color)
{
    foreColor_ = color;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, TranslateColor(color));
    setPalette(p);
}

void Label::SetAlignment(int16_t alignment)
{
    const Qt::Alignment horizontal = alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    setAlignment(horizontal | Qt::AlignTop);
}

void Label::SetAutoSize(bool on)
{
    autoSize_ = on;
    fitText();
}

void Label::SetFont(const QString& name, double pointSize, bool bold, bool italic)
{
    QFont f(name);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(font().underline());
    setFont(f);
    fitText();
}

void Label::SetFontUnderline(bool on)
{
    QFont f = font();
    f.setUnderline(on);
    setFont(f);
    fitText();
}

void Label::SetFontBold(bool on)
{
    QFont f = font();
    f.setBold(on);
    setFont(f);
    fitText();
}

void Label::fitText()
{
    if (autoSize_)
        resize(sizeHint());
}

float Label::Left() const { return float(TwipsX(x())); }
float Label::Top() const { return float(TwipsY(y())); }
float Label::Width() const { return float(TwipsX(width())); }
float Label::Height() const { return float(TwipsY(height())); }
void Label::SetLeft(float twips) { move(PixelsX(twips), y()); }
void Label::SetTop(float twips) { move(x(), PixelsY(twips)); }
void Label::SetWidth(float twips) { resize(std::max(0, PixelsX(twips)), height()); }
void Label::SetHeight(float twips) { resize(width(), std::max(0, PixelsY(twips))); }
void Label::Move(float left, float top, float width, float height) { SetTwipsGeometry(this, left, top, width, height); }

void Label::mousePressEvent(QMouseEvent* event)
{
    // Accepted, so that the label keeps the mouse until the button is released.
    event->accept();
    const MouseArgs a = VbMouseArgs(*event);
    emit MouseDown(a.Button, a.Shift, a.X, a.Y);
}

void Label::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    const MouseArgs a = VbMouseArgs(*event);
    emit MouseMove(a.Button, a.Shift, a.X, a.Y);
}

void Label::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    const MouseArgs a = VbMouseArgs(*event);
    emit MouseUp(a.Button, a.Shift, a.X, a.Y);
}

}  // namespace platform
