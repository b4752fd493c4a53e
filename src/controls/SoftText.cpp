#include "controls/SoftText.h"

#include "platform/system/AppError.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Runtime.h"

using platform::OLE_COLOR;

namespace {
// Design layout, twips.
constexpr float kDesignWidth = 5925;
constexpr float kDesignHeight = 3600;
constexpr float kTextDesign[] = {1320, 1920, 3045, 245};
constexpr float kTextLeft = 15;
constexpr float kTextTop = 10;
// The control is the text box plus the frame: one pixel above, two below.
constexpr float kFrameHeight = 40;
constexpr float kFrameWidth = 50;
// Lines 10 twips in lie in the last pixel row and column, 20 twips in the
// ones just inside them.
constexpr float kOuterEdge = 10;
constexpr float kInnerEdge = 20;
constexpr double kTextFontSize = 8.25;
constexpr int16_t kLineFeed = 10;

// Frame colours (0x00BBGGRR).
constexpr OLE_COLOR kGrey = 0x808080;
constexpr OLE_COLOR kLightGrey = 0xE0E0E0;
constexpr OLE_COLOR kBlack = 0x000000;
constexpr OLE_COLOR kWhite = 0xFFFFFF;

// Keys of the stored properties.
const QString kKeyText = QStringLiteral("tTEXT");
const QString kKeyLocked = QStringLiteral("tLOCKED");
const QString kKeyAlignment = QStringLiteral("tALIGNMENT");
const QString kKeyMaxLength = QStringLiteral("tMAXLENGTH");
const QString kKeyBackColor = QStringLiteral("tBACKCOLOR");
const QString kKeyEnabled = QStringLiteral("tENABLED");
}  // namespace

SoftText::SoftText(QWidget* parent, const QString& name, const platform::PropertyBag& bag)
    : FlatControl(parent, name, kDesignWidth, kDesignHeight)
{
    Build(&bag);
}

SoftText::SoftText(QWidget* parent, const QString& name) : FlatControl(parent, name, kDesignWidth, kDesignHeight)
{
    Build(nullptr);
}

platform::PropertyBag SoftText::Stored::Bag() const
{
    return {{kKeyText, Text},           {kKeyLocked, Locked},       {kKeyAlignment, Alignment},
            {kKeyMaxLength, MaxLength}, {kKeyBackColor, BackColor}, {kKeyEnabled, Enabled}};
}

void SoftText::CreateConstituents()
{
    SetAccessibleKind(AccessibleKind::EditableText);

    tmrMouseMonitor = CreateMouseMonitor(QStringLiteral("tmrMouseMonitor"), [this] { tmrMouseMonitor_Timer(); });

    txtText = new platform::TextBox(this, QStringLiteral("txtText"));
    txtText->SetFont(QStringLiteral("Courier New"), kTextFontSize);
    txtText->setGeometry(platform::PixelsX(kTextDesign[0]), platform::PixelsY(kTextDesign[1]),
                         platform::PixelsX(kTextDesign[2]), platform::PixelsY(kTextDesign[3]));

    connect(txtText, &platform::TextBox::Change, this, &SoftText::txtText_Change);
    connect(txtText, &platform::TextBox::Click, this, &SoftText::txtText_Click);
    connect(txtText, &platform::TextBox::DblClick, this, &SoftText::txtText_DblClick);
    connect(txtText, &platform::TextBox::GotFocus, this, &SoftText::txtText_GotFocus);
    connect(txtText, &platform::TextBox::LostFocus, this, &SoftText::txtText_LostFocus);
    connect(txtText, &platform::TextBox::KeyPress, this, &SoftText::txtText_KeyPress);
    connect(txtText, &platform::TextBox::KeyDown, this, &SoftText::txtText_KeyDown);
    connect(txtText, &platform::TextBox::KeyUp, this, &SoftText::txtText_KeyUp);
    connect(txtText, &platform::TextBox::MouseDown, this, &SoftText::txtText_MouseDown);
    connect(txtText, &platform::TextBox::MouseMove, this, &SoftText::txtText_MouseMove);
    connect(txtText, &platform::TextBox::MouseUp, this, &SoftText::txtText_MouseUp);
}

// ---- layout and drawing ----

void SoftText::ResizeText()
{
    txtText->SetLeft(kTextLeft);
    txtText->SetTop(kTextTop);
    SetHeight(txtText->Height() + kFrameHeight);
    txtText->SetWidth(Width() - kFrameWidth);
    platform::DoEvents();
    DrawBorders();
}

void SoftText::DrawBorders()
{
    const bool active = bMouseOver || bHasFocus;
    const OLE_COLOR dark = active ? kBlack : kGrey;
    const OLE_COLOR light = active ? kWhite : kLightGrey;
    Line(0, 0, 0, Height(), dark);
    Line(0, Height() - kInnerEdge, Width(), Height() - kInnerEdge, platform::COLOR_BTNFACE);
    Line(Width() - kInnerEdge, 0, Width() - kInnerEdge, Height(), platform::COLOR_BTNFACE);
    Line(0, Height() - kOuterEdge, Width(), Height() - kOuterEdge, light);
    Line(Width() - kOuterEdge, 0, Width() - kOuterEdge, Height(), light);
    Line(0, 0, Width() - kOuterEdge, 0, dark);
    platform::DoEvents();
}

// ---- properties ----

QString SoftText::Text() const
{
    return txtText->Text();
}
void SoftText::SetText(const QString& sNewValue)
{
    txtText->SetText(sNewValue);
}
bool SoftText::Locked() const
{
    return txtText->Locked();
}
void SoftText::SetLocked(bool bNewValue)
{
    txtText->SetLocked(bNewValue);
}
int32_t SoftText::Alignment() const
{
    return txtText->Alignment();
}
void SoftText::SetAlignment(int32_t lNewValue)
{
    txtText->SetAlignment(static_cast<int16_t>(lNewValue));
}
int32_t SoftText::SelStart() const
{
    return txtText->SelStart();
}
void SoftText::SetSelStart(int32_t lNewValue)
{
    txtText->SetSelStart(lNewValue);
}
int32_t SoftText::SelLength() const
{
    return txtText->SelLength();
}
void SoftText::SetSelLength(int32_t lNewValue)
{
    txtText->SetSelLength(lNewValue);
}
int32_t SoftText::MaxLength() const
{
    return txtText->MaxLength();
}
void SoftText::SetMaxLength(int32_t lNewValue)
{
    txtText->SetMaxLength(lNewValue);
}
QWidget* SoftText::TextBox_hWnd() const
{
    return txtText->hWnd();
}
OLE_COLOR SoftText::BackColor() const
{
    return txtText->BackColor();
}

void SoftText::SetBackColor(OLE_COLOR ocNewValue)
{
    txtText->SetBackColor(ocNewValue);
    PropertyChanged(kKeyBackColor);
}

bool SoftText::Enabled() const
{
    return bEnabled;
}

void SoftText::SetEnabled(bool bNewValue)
{
    bEnabled = bNewValue;
    tmrMouseMonitor->Recheck();  // the hover poll looks at bEnabled
    txtText->SetEnabled(bNewValue);
    PropertyChanged(kKeyEnabled);
    AnnounceEnabledChange();
}

// ---- life cycle ----

void SoftText::UserControl_Initialize()
{
    bMouseOver = false;
    bHasFocus = false;
}

void SoftText::UserControl_InitProperties()
{
    txtText->SetBackColor(platform::COLOR_HIGHLIGHTTEXT);
    bEnabled = true;
}

void SoftText::UserControl_ReadProperties(const platform::PropertyBag& PropBag)
{
    txtText->SetText(PropBag.ReadProperty(kKeyText, Extender().Name).ToString());
    txtText->SetLocked(PropBag.ReadProperty(kKeyLocked, false).ToBoolean());
    txtText->SetAlignment(PropBag.ReadProperty(kKeyAlignment, int16_t(0)).ToInteger());
    txtText->SetMaxLength(PropBag.ReadProperty(kKeyMaxLength, int16_t(0)).ToLong());
    txtText->SetBackColor(PropBag.ReadProperty(kKeyBackColor, platform::COLOR_HIGHLIGHTTEXT).ToOleColor());
    bEnabled = PropBag.ReadProperty(kKeyEnabled, true).ToBoolean();
    txtText->SetEnabled(bEnabled);
    tmrMouseMonitor->SetEnabled(Ambient().UserMode);
}

void SoftText::UserControl_WriteProperties(platform::PropertyBag& PropBag)
{
    PropBag.WriteProperty(kKeyText, txtText->Text());
    PropBag.WriteProperty(kKeyLocked, txtText->Locked());
    PropBag.WriteProperty(kKeyAlignment, txtText->Alignment());
    PropBag.WriteProperty(kKeyMaxLength, txtText->MaxLength());
    PropBag.WriteProperty(kKeyBackColor, txtText->BackColor());
    PropBag.WriteProperty(kKeyEnabled, bEnabled);
}

void SoftText::UserControl_Resize()
{
    ResizeText();
}

// ---- hover polling ----

void SoftText::tmrMouseMonitor_Timer()
{
    try {
        const int32_t x = CursorX();
        const int32_t y = CursorY();
        QWidget* w = platform::WindowFromPoint(x, y);
        if (!bEnabled)
            return;
        const bool over = w == txtText->hWnd();
        if (over && !bMouseOver) {
            bMouseOver = true;
            DrawBorders();
        } else if (!over && bMouseOver) {
            bMouseOver = false;
            DrawBorders();
        }
    } catch (...) {
        const platform::ErrObject e = platform::Err();
        if (bReportingTickError)
            return;
        bReportingTickError = true;
        try {
            // The number right after the description, no separator, on purpose: tests pin this exact text.
            platform::MsgBox(QStringLiteral("SoftText::tmrMouseMonitor_Timer()\r\n") + e.Description
                             + QString::number(e.Number));
        } catch (...) {
            bReportingTickError = false;
            throw;
        }
        bReportingTickError = false;
    }
}

// ---- the inner text box's events ----

void SoftText::txtText_Change()
{
    emit Change();
}
void SoftText::txtText_Click()
{
    emit Click();
}
void SoftText::txtText_DblClick()
{
    emit DblClick();
}

void SoftText::txtText_GotFocus()
{
    bHasFocus = true;
    DrawBorders();
}

void SoftText::txtText_LostFocus()
{
    bHasFocus = false;
    DrawBorders();
}

void SoftText::txtText_KeyPress(int16_t& KeyAscii)
{
    // Ctrl+Enter types a line feed, which a single-line box has no use for.
    if (KeyAscii != kLineFeed)
        emit KeyPress(KeyAscii);
}

void SoftText::txtText_KeyDown(int16_t& KeyCode, int16_t& Shift)
{
    emit KeyDown(KeyCode, Shift);
}
void SoftText::txtText_KeyUp(int16_t& KeyCode, int16_t& Shift)
{
    emit KeyUp(KeyCode, Shift);
}
void SoftText::txtText_MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y)
{
    emit MouseDown(Button, Shift, X, Y);
}
void SoftText::txtText_MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y)
{
    emit MouseMove(Button, Shift, X, Y);
}
void SoftText::txtText_MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y)
{
    emit MouseUp(Button, Shift, X, Y);
}

void SoftText::SetPasswordChar(const QString& sNewValue)
{
    txtText->SetPasswordChar(sNewValue);
}
