#pragma once
// A standard single-line text box of the forms runtime over QLineEdit: its
// properties under their runtime names, twips geometry, and its events with
// their arguments passed by reference, so that a handler may change them
// (a KeyPress handler that sets KeyAscii to 0 keeps the character out).
#include "platform/intrinsics/Control.h"

#include <QLineEdit>

#include <cstdint>

namespace platform {

class TextBox : public Control<QLineEdit> {
    Q_OBJECT
    // Its events reach the program's code: an unloaded form silences them.
    Q_CLASSINFO("RaisesFormEvents", "true")
public:
    TextBox(QWidget* parent, const QString& name);

    QString Text() const { return text(); }
    // Like the system's text box, a text set from the program shows from its
    // start, with the caret before the first character.
    void SetText(const QString& value);
    bool Locked() const { return isReadOnly(); }
    void SetLocked(bool on) { setReadOnly(on); }
    // 0 left, 1 right, 2 centred.
    int16_t Alignment() const { return alignment_; }
    void SetAlignment(int16_t alignment);
    int32_t SelStart() const;
    void SetSelStart(int32_t start);
    int32_t SelLength() const;
    void SetSelLength(int32_t length);
    // 0 means no limit of its own.
    int32_t MaxLength() const { return maxLength_; }
    void SetMaxLength(int32_t length);
    OLE_COLOR BackColor() const { return backColor_; }
    void SetBackColor(OLE_COLOR color);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool on) { setEnabled(on); }
    QWidget* hWnd() { return this; }
    void SetFont(const QString& name, double pointSize);
    // A character shown in place of each typed one; empty shows the text.
    QString PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(const QString& character);

signals:
    void KeyPress(int16_t& KeyAscii);
    void KeyDown(int16_t& KeyCode, int16_t& Shift);
    void KeyUp(int16_t& KeyCode, int16_t& Shift);
    void Change();
    void Click();
    void DblClick();
    void GotFocus();
    void LostFocus();
    void MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y);
    void MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y);
    void MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int16_t alignment_ = 0;
    int32_t maxLength_ = 0;
    OLE_COLOR backColor_ = 0x80000005;
    QString passwordChar_;
};

// The character code a key press types (KeyAscii): 13 for Enter, 10 for
// Ctrl+Enter, 8 Backspace, 27 Escape, else the typed character; 0 for a key
// that types nothing.
int16_t KeyAsciiOf(const QKeyEvent& event);

}  // namespace platform
