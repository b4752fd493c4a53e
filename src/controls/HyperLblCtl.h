#pragma once
// HyperLblCtl: a hyperlink label. One line of text in a link colour under a
// pointing-hand cursor, underlined while the pointer is over it; a left click
// hands its link target to the desktop's default handler, then raises Click.
// The control always has exactly the size of its text.
//
// Host use:  auto* link = new HyperLblCtl(this, "HyperLblCtl1",
//                HyperLblCtl::Stored{.LinkURL = "https://example.org/", .Label = "example.org"}.Bag());
//            link->Move(left, top, 0, 0);   // twips; the size snaps to the text
#include "controls/FlatControl.h"
#include "platform/intrinsics/Label.h"

#include <cstdint>

class HyperLblCtl : public FlatControl {
    Q_OBJECT
public:
    static constexpr platform::OLE_COLOR LinkBlue = 0x00FF0000;

    // What a host stores for a link, as the bag it loads the link from.
    struct Stored {
        QString LinkURL{};
        QString Label{};
        platform::OLE_COLOR LabelColor = LinkBlue;
        platform::OLE_COLOR BackColor = platform::COLOR_BTNFACE;

        platform::PropertyBag Bag() const;
    };

    // An instance loaded by a running host from its stored data.
    HyperLblCtl(QWidget* parent, const QString& name, const platform::PropertyBag& bag);
    // An instance created anew on a design surface: defaults, no polling.
    HyperLblCtl(QWidget* parent, const QString& name);

    QString LinkURL() const;
    void SetLinkURL(const QString& sNewValue);
    QString Caption() const;
    void SetCaption(const QString& sNewValue);
    platform::OLE_COLOR BackColor() const;
    void SetBackColor(platform::OLE_COLOR ocNewValue);
    platform::OLE_COLOR LabelColor() const;
    void SetLabelColor(platform::OLE_COLOR ocNewValue);

signals:
    void Click();
    void MouseOver();
    void MouseOut();

private:
    void CreateConstituents() override;

    // What assistive tools are told: a link named by its text, with its
    // address, and its jump.
    QString AccessibleCaption() const override { return Caption(); }
    QString AccessibleTarget() const override { return LinkURL(); }
    void UserControl_AccessibleAction() override;

    void CtlResize();
    int32_t lngCursorX();
    int32_t lngCursorY();
    QWidget* hWndAtMouse();
    void MouseOver_Proc();
    void MouseOut_Proc();
    void LaunchUrl(const QString& strURL);

    void UserControl_Initialize() override;
    void UserControl_InitProperties() override;
    void UserControl_ReadProperties(const platform::PropertyBag& PropBag) override;
    void UserControl_WriteProperties(platform::PropertyBag& PropBag) override;
    void UserControl_Resize() override;
    void Timer1_Timer();
    void lblLabel_Change();
    void lblLabel_MouseUp(int16_t Button, int16_t Shift, float X, float Y);

    platform::Timer* Timer1 = nullptr;
    platform::Label* lblLabel = nullptr;

    bool bMouseOver = false;
};
