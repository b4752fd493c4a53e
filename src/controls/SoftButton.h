#pragma once
// SoftButton: a flat push button the program draws itself. A caption centred
// on a plain background, framed by four one-pixel lines whose colours show
// the state (normal, pointer over, pressed). Raises Click on a left-button
// release over it, MouseOver and MouseOut as the pointer enters and leaves.
//
// Host use:  auto* cmdGo = new SoftButton(this, "cmdGo", SoftButton::Stored{.Caption = "Go"}.Bag());
//            cmdGo->Move(left, top, width, height);   // twips
//            connect(cmdGo, &SoftButton::Click, this, &frmToolBar::cmdGo_Click);
#include "controls/FlatControl.h"
#include "platform/intrinsics/Label.h"

#include <cstdint>

class SoftButton : public FlatControl {
    Q_OBJECT
public:
    enum BorderType : int32_t {
        btRaised = 0,
        btFlatLight = 1,
        btFlatDark = 2,
    };

    // What a host stores for a button, as the bag it loads the button from.
    struct Stored {
        QString Caption{};
        bool Enabled = true;
        BorderType Border = btRaised;
        platform::OLE_COLOR BackColor = platform::COLOR_BTNFACE;

        platform::PropertyBag Bag() const;
    };

    // An instance loaded by a running host from its stored data.
    SoftButton(QWidget* parent, const QString& name, const platform::PropertyBag& bag);
    // An instance created anew on a design surface: defaults, no polling.
    SoftButton(QWidget* parent, const QString& name);

    QString Caption() const;
    void SetCaption(const QString& sNewValue);
    bool Enabled() const;
    void SetEnabled(bool bNewValue);
    BorderType BorderStyle() const;
    void SetBorderStyle(BorderType btNewValue);
    platform::OLE_COLOR BackColor() const;
    void SetBackColor(platform::OLE_COLOR ocNewValue);

signals:
    void Click();
    void MouseOver();
    void MouseOut();

private:
    void CreateConstituents() override;

    // What assistive tools are told: a push button named by its caption,
    // enabled or not, and its press.
    QString AccessibleCaption() const override { return Caption(); }
    bool AccessibleEnabled() const override { return bEnabled; }
    void UserControl_AccessibleAction() override;

    void DrawBorders(bool bPressed);
    void DrawBordersOver(bool bPressed);
    void ResizeCaption();
    void ResizeCover();

    void UserControl_Initialize() override;
    void UserControl_InitProperties() override;
    void UserControl_ReadProperties(const platform::PropertyBag& PropBag) override;
    void UserControl_WriteProperties(platform::PropertyBag& PropBag) override;
    void UserControl_Resize() override;
    void tmrMouseMonitor_Timer();
    void Cover_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void Cover_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void Cover_MouseUp(int16_t Button, int16_t Shift, float X, float Y);

    platform::Timer* tmrMouseMonitor = nullptr;
    platform::Label* Cover = nullptr;
    platform::Label* lblCaption = nullptr;

    bool bButtonDown = false;
    bool bDownInside = false;
    bool bMouseOver = false;
    bool bEnabled = false;
    BorderType btBorder = btRaised;
    bool bWasEnabled = false;
};
