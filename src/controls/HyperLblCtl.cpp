#include "controls/HyperLblCtl.h"

#include "platform/forms/Forms.h"
#include "platform/pointer/HandCursor.h"
#include "platform/system/DesktopServices.h"
#include "platform/system/Runtime.h"

using platform::OLE_COLOR;

namespace {
// Design layout, twips.
constexpr float kDesignWidth = 4800;
constexpr float kDesignHeight = 3600;
constexpr float kLabelDesign[] = {1320, 1200, 480, 195};

// Keys of the stored properties.
const QString kKeyLinkUrl = QStringLiteral("LINKURL");
const QString kKeyLabel = QStringLiteral("LABEL");
const QString kKeyLabelColor = QStringLiteral("LABELCOLOR");
const QString kKeyBackColor = QStringLiteral("BACKCOLOR");
}  // namespace

HyperLblCtl::HyperLblCtl(QWidget* parent, const QString& name, const platform::PropertyBag& bag)
    : FlatControl(parent, name, kDesignWidth, kDesignHeight)
{
    Build(&bag);
}

HyperLblCtl::HyperLblCtl(QWidget* parent, const QString& name) : FlatControl(parent, name, kDesignWidth, kDesignHeight)
{
    Build(nullptr);
}

platform::PropertyBag HyperLblCtl::Stored::Bag() const
{
    return {{kKeyLinkUrl, LinkURL}, {kKeyLabel, Label}, {kKeyLabelColor, LabelColor}, {kKeyBackColor, BackColor}};
}

void HyperLblCtl::CreateConstituents()
{
    SetAccessibleKind(AccessibleKind::Link);
    setCursor(platform::HandCursor());

    Timer1 = CreateMouseMonitor(QStringLiteral("Timer1"), [this] { Timer1_Timer(); });

    lblLabel = new platform::Label(this, QStringLiteral("lblLabel"));
    lblLabel->Move(kLabelDesign[0], kLabelDesign[1], kLabelDesign[2], kLabelDesign[3]);
    lblLabel->SetForeColor(LinkBlue);
    lblLabel->SetCaption(QStringLiteral("Label1"));
    lblLabel->SetAutoSize(true);

    connect(lblLabel, &platform::Label::Change, this, &HyperLblCtl::lblLabel_Change);
    connect(lblLabel, &platform::Label::MouseUp, this, &HyperLblCtl::lblLabel_MouseUp);
}

// ---- properties ----

QString HyperLblCtl::LinkURL() const
{
    return lblLabel->Tag();
}

void HyperLblCtl::SetLinkURL(const QString& sNewValue)
{
    lblLabel->SetTag(sNewValue);
    PropertyChanged(kKeyLinkUrl);
}

QString HyperLblCtl::Caption() const
{
    return lblLabel->Caption();
}

void HyperLblCtl::SetCaption(const QString& sNewValue)
{
    lblLabel->SetCaption(sNewValue);
    PropertyChanged(kKeyLabel);
    AnnounceNameChange();
}

OLE_COLOR HyperLblCtl::BackColor() const
{
    return UserControl::BackColor();
}

void HyperLblCtl::SetBackColor(OLE_COLOR ocNewValue)
{
    UserControl::SetBackColor(ocNewValue);
    PropertyChanged(kKeyBackColor);
}

OLE_COLOR HyperLblCtl::LabelColor() const
{
    return lblLabel->ForeColor();
}

void HyperLblCtl::SetLabelColor(OLE_COLOR ocNewValue)
{
    lblLabel->SetForeColor(ocNewValue);
    PropertyChanged(kKeyLabelColor);
}

// ---- size, pointer and hover ----

void HyperLblCtl::CtlResize()
{
    if (Width() != lblLabel->Width())
        SetWidth(lblLabel->Width());
    if (Height() != lblLabel->Height())
        SetHeight(lblLabel->Height());
    if (lblLabel->Top() != 0)
        lblLabel->SetTop(0);
    if (lblLabel->Left() != 0)
        lblLabel->SetLeft(0);
    platform::DoEvents();
}

int32_t HyperLblCtl::lngCursorX()
{
    return CursorX();
}

int32_t HyperLblCtl::lngCursorY()
{
    return CursorY();
}

QWidget* HyperLblCtl::hWndAtMouse()
{
    const int32_t x = lngCursorX();
    const int32_t y = lngCursorY();
    return platform::WindowFromPoint(x, y);
}

void HyperLblCtl::Timer1_Timer()
{
    QWidget* hWndUnder = hWndAtMouse();
    if (hWndUnder == hWnd()) {
        if (!bMouseOver) {
            bMouseOver = true;
            MouseOver_Proc();
        }
    } else {
        if (bMouseOver) {
            bMouseOver = false;
            MouseOut_Proc();
        }
    }
    platform::DoEvents();
}

void HyperLblCtl::MouseOver_Proc()
{
    if (!lblLabel->FontUnderline()) {
        lblLabel->SetFontUnderline(true);
        platform::DoEvents();
    }
    emit MouseOver();
}

void HyperLblCtl::MouseOut_Proc()
{
    if (lblLabel->FontUnderline()) {
        lblLabel->SetFontUnderline(false);
        platform::DoEvents();
    }
    emit MouseOut();
}

// ---- the link ----

void HyperLblCtl::lblLabel_MouseUp(int16_t Button, int16_t, float X, float Y)
{
    const bool inside = 0 <= X && X <= lblLabel->Width() && 0 <= Y && Y <= lblLabel->Height();
    if (inside && Button == platform::vbLeftButton && !lblLabel->Tag().isEmpty()) {
        LaunchUrl(lblLabel->Tag());
        emit Click();
    }
}

void HyperLblCtl::UserControl_AccessibleAction()
{
    // An assistive tool's jump: what a left click on the text does.
    if (!lblLabel->Tag().isEmpty()) {
        LaunchUrl(lblLabel->Tag());
        emit Click();
    }
}

void HyperLblCtl::LaunchUrl(const QString& strURL)
{
    platform::OpenWithDefaultHandler(strURL);
    platform::DoEvents();
}

// ---- life cycle ----

void HyperLblCtl::UserControl_Initialize()
{
    bMouseOver = false;
    CtlResize();
}

void HyperLblCtl::UserControl_InitProperties()
{
    lblLabel->SetTag(QString());
    lblLabel->SetCaption(Extender().Name);
    lblLabel->SetForeColor(LinkBlue);
    UserControl::SetBackColor(platform::COLOR_BTNFACE);
    CtlResize();
}

void HyperLblCtl::UserControl_ReadProperties(const platform::PropertyBag& PropBag)
{
    lblLabel->SetTag(PropBag.ReadProperty(kKeyLinkUrl, QString()).ToString());
    lblLabel->SetCaption(PropBag.ReadProperty(kKeyLabel, Extender().Name).ToString());
    lblLabel->SetForeColor(PropBag.ReadProperty(kKeyLabelColor, LinkBlue).ToOleColor());
    UserControl::SetBackColor(PropBag.ReadProperty(kKeyBackColor, platform::COLOR_BTNFACE).ToOleColor());
    Timer1->SetEnabled(Ambient().UserMode);
}

void HyperLblCtl::UserControl_WriteProperties(platform::PropertyBag& PropBag)
{
    PropBag.WriteProperty(kKeyLinkUrl, lblLabel->Tag());
    PropBag.WriteProperty(kKeyLabel, lblLabel->Caption());
    PropBag.WriteProperty(kKeyLabelColor, lblLabel->ForeColor());
    PropBag.WriteProperty(kKeyBackColor, UserControl::BackColor());
}

void HyperLblCtl::UserControl_Resize()
{
    CtlResize();
}

void HyperLblCtl::lblLabel_Change()
{
    CtlResize();
}
