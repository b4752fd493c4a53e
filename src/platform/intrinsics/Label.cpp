#include "platform/intrinsics/Label.h"

#include "platform/forms/MouseArgs.h"
#include "platform/system/Runtime.h"

#include <QMouseEvent>

namespace platform {

Label::Label(QWidget* parent, const QString& name) : Control(parent, name)
{
    // Transparent (BackStyle 0): the parent's drawing shows through.
    setAutoFillBackground(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetForeColor(foreColor_);
    setFont(FontOf(kDefaultFontName, kDefaultFontSize));
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
    SetPaletteColor(QPalette::WindowText, color);
}

void Label::SetAlignment(int16_t alignment)
{
    const Qt::Alignment horizontal = alignment == 1   ? Qt::AlignRight
                                     : alignment == 2 ? Qt::AlignHCenter
                                                      : Qt::AlignLeft;
    setAlignment(horizontal | Qt::AlignTop);
}

void Label::SetAutoSize(bool on)
{
    autoSize_ = on;
    fitText();
}

void Label::SetFont(const QString& name, double pointSize, bool bold, bool italic)
{
    QFont f = FontOf(name, pointSize, bold, italic);
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
