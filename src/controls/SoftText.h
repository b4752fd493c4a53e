#pragma once
// SoftText: a flat single-line text box. A standard text box without a border
// of its own, framed by lines the control draws: a normal look, and an active
// look while the pointer is over the text or the text has the focus. Typing,
// selection and the events a host reacts to are the inner text box's, passed
// through (arguments by reference: a KeyPress handler may set KeyAscii to 0).
//
// Host use:  auto* txtURL = new SoftText(this, "txtURL", SoftText::Stored{}.Bag());
//            txtURL->Move(left, top, width, height);   // twips; the height follows the text box
//            connect(txtURL, &SoftText::KeyPress, this, &frmToolBar::txtURL_KeyPress);
#include "controls/FlatControl.h"
#include "platform/intrinsics/TextBox.h"

#include <cstdint>

class SoftText : public FlatControl {
    Q_OBJECT
public:
    // What a host stores for a text box, as the bag it loads the box from:
    // by default empty, editable, left-aligned and without a length limit.
    struct Stored {
        QString Text{};
        bool Locked = false;
        int16_t Alignment = 0;
        int32_t MaxLength = 0;
        platform::OLE_COLOR BackColor = platform::COLOR_HIGHLIGHTTEXT;
        bool Enabled = true;

        platform::PropertyBag Bag() const;
    };

    // An instance loaded by a running host from its stored data.
    SoftText(QWidget* parent, const QString& name, const platform::PropertyBag& bag);
    // An instance created anew on a design surface: defaults, no polling.
    SoftText(QWidget* parent, const QString& name);

    void ResizeText();
    QString Text() const;
    void SetText(const QString& sNewValue);
    bool Locked() const;
    void SetLocked(bool bNewValue);
    int32_t Alignment() const;
    void SetAlignment(int32_t lNewValue);
    int32_t SelStart() const;
    void SetSelStart(int32_t lNewValue);
    int32_t SelLength() const;
    void SetSelLength(int32_t lNewValue);
    int32_t MaxLength() const;
    void SetMaxLength(int32_t lNewValue);
    void DrawBorders();
    QWidget* TextBox_hWnd() const;
    // The inner text box's masking character; empty shows the text.
    void SetPasswordChar(const QString& sNewValue);
    using FlatControl::CursorX;
    using FlatControl::CursorY;
    platform::OLE_COLOR BackColor() const;
    void SetBackColor(platform::OLE_COLOR ocNewValue);
    bool Enabled() const;
    void SetEnabled(bool bNewValue);

signals:
    void KeyPress(int16_t& KeyAscii);
    void KeyDown(int16_t& KeyCode, int16_t& Shift);
    void KeyUp(int16_t& KeyCode, int16_t& Shift);
    void Change();
    void Click();
    void DblClick();
    void MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y);
    void MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y);
    void MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y);

private:
    void CreateConstituents() override;

    // What assistive tools are told: an editable text, the inner box's.
    QLineEdit* AccessibleTextBox() const override { return txtText; }
    bool AccessibleEnabled() const override { return bEnabled; }

    void UserControl_Initialize() override;
    void UserControl_InitProperties() override;
    void UserControl_ReadProperties(const platform::PropertyBag& PropBag) override;
    void UserControl_WriteProperties(platform::PropertyBag& PropBag) override;
    void UserControl_Resize() override;
    void tmrMouseMonitor_Timer();
    void txtText_Change();
    void txtText_Click();
    void txtText_DblClick();
    void txtText_GotFocus();
    void txtText_LostFocus();
    void txtText_KeyPress(int16_t& KeyAscii);
    void txtText_KeyDown(int16_t& KeyCode, int16_t& Shift);
    void txtText_KeyUp(int16_t& KeyCode, int16_t& Shift);
    void txtText_MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y);
    void txtText_MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y);
    void txtText_MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y);

    platform::Timer* tmrMouseMonitor = nullptr;
    platform::TextBox* txtText = nullptr;

    bool bMouseOver = false;
    bool bHasFocus = false;
    bool bEnabled = false;

    // A tick's failure is being shown: ticks go on while the box is open, so
    // a fault that persists must not stack one box on another.
    static inline bool bReportingTickError = false;
};
