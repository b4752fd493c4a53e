#include "platform/intrinsics/TextBox.h"

#include "platform/forms/MouseArgs.h"
#include "platform/system/Application.h"
#include "platform/system/Runtime.h"

#include <QKeyEvent>

namespace platform {

namespace {
// QLineEdit's own ceiling, taken for "no limit".
constexpr int kUnlimitedLength = 32767;
constexpr int16_t kLineFeed = 10;
constexpr int16_t kCarriageReturn = 13;
}  // namespace

int16_t KeyAsciiOf(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return (event.modifiers() & Qt::ControlModifier) ? kLineFeed : kCarriageReturn;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0;
    default: break;
    }
    const QString typed = event.text();
    if (typed.size() != 1)
        return 0;
    return static_cast<int16_t>(typed.at(0).unicode());
}

TextBox::TextBox(QWidget* parent, const QString& name) : Control(parent, name)
{
    setFrame(false);
    SetMaxLength(0);
    SetBackColor(backColor_);
    connect(this, &QLineEdit::textChanged, this, [this] { emit Change(); });
}

void TextBox::SetFont(const QString& name, double pointSize)
{
    setFont(FontOf(name, pointSize));
}

void TextBox::SetAlignment(int16_t alignment)
{
    alignment_ = alignment;
    const Qt::Alignment horizontal = alignment == 1   ? Qt::AlignRight
                                     : alignment == 2 ? Qt::AlignHCenter
                                                      : Qt::AlignLeft;
    setAlignment(horizontal | Qt::AlignVCenter);
}

void TextBox::SetText(const QString& value)
{
    setText(value);
    setCursorPosition(0);
}

int32_t TextBox::SelStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TextBox::SetSelStart(int32_t start)
{
    setCursorPosition(start);
}

int32_t TextBox::SelLength() const
{
    return hasSelectedText() ? int32_t(selectionLength()) : 0;
}

void TextBox::SetSelLength(int32_t length)
{
    setSelection(SelStart(), length);
}

void TextBox::SetMaxLength(int32_t length)
{
    maxLength_ = length;
    setMaxLength(length > 0 ? length : kUnlimitedLength);
}

void TextBox::SetBackColor(OLE_COLOR color)
{
    backColor_ = color;
    SetPaletteColor(QPalette::Base, color);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    int16_t keyCode = VbKeyCode(*event);
    int16_t shift = VbShiftState(event->modifiers());
    emit KeyDown(keyCode, shift);

    const int16_t typed = KeyAsciiOf(*event);
    if (typed != 0) {
        int16_t keyAscii = typed;
        emit KeyPress(keyAscii);
        if (keyAscii == 0)
            return;  // the handler swallowed the character
        if (keyAscii != typed) {
            if (!isReadOnly())
                insert(QString(QChar(char16_t(keyAscii))));
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::keyReleaseEvent(QKeyEvent* event)
{
    int16_t keyCode = VbKeyCode(*event);
    int16_t shift = VbShiftState(event->modifiers());
    emit KeyUp(keyCode, shift);
    QLineEdit::keyReleaseEvent(event);
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    emit GotFocus();
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    emit LostFocus();
}

void TextBox::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    MouseArgs a = VbMouseArgs(*event);
    emit MouseDown(a.Button, a.Shift, a.X, a.Y);
}

void TextBox::mouseMoveEvent(QMouseEvent* event)
{
    QLineEdit::mouseMoveEvent(event);
    MouseArgs a = VbMouseArgs(*event);
    emit MouseMove(a.Button, a.Shift, a.X, a.Y);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    MouseArgs a = VbMouseArgs(*event);
    emit MouseUp(a.Button, a.Shift, a.X, a.Y);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Click();
}

void TextBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    emit DblClick();
}

void TextBox::SetPasswordChar(const QString& character)
{
    passwordChar_ = character.left(1);
    // The system's masking character stands for whichever was chosen.
    setEchoMode(passwordChar_.isEmpty() ? QLineEdit::Normal : QLineEdit::Password);
}

}  // namespace platform
