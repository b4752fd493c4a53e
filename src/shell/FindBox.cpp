#include "shell/FindBox.h"

namespace {
// Layout, twips.
constexpr float kWidth = 4320;
constexpr float kHeight = 375;
constexpr float kRowTop = 45;
constexpr float kRowHeight = 285;
constexpr float kTextLeft = 60;
constexpr float kTextWidth = 2820;
constexpr float kButtonWidth = 375;
constexpr float kPreviousLeft = 2955;
constexpr float kNextLeft = 3375;
constexpr float kCloseLeft = 3870;
// The outline lies in the last pixel row and column.
constexpr float kEdge = 15;
constexpr platform::OLE_COLOR kOutline = 0x808080;

platform::PropertyBag ButtonBag(const char* caption)
{
    return SoftButton::Stored{.Caption = caption, .Border = SoftButton::btFlatDark}.Bag();
}
}  // namespace

FindBox::FindBox(QWidget* parent, const QString& name) : UserControl(parent, name, kWidth, kHeight)
{
    SetBackColor(platform::COLOR_BTNFACE);

    txtFind = new SoftText(this, QStringLiteral("txtFind"), SoftText::Stored{}.Bag());
    txtFind->Move(kTextLeft, kRowTop, kTextWidth, kRowHeight);
    setAccessibleName(QStringLiteral("Find in page"));
    txtFind->setAccessibleName(QStringLiteral("Find in page"));
    cmdPrevious = new SoftButton(this, QStringLiteral("cmdPrevious"), ButtonBag("<"));
    cmdPrevious->Move(kPreviousLeft, kRowTop, kButtonWidth, kRowHeight);
    cmdPrevious->setToolTip(QStringLiteral("Previous match (Shift+F3)"));
    cmdPrevious->setAccessibleName(QStringLiteral("Previous match"));
    cmdNext = new SoftButton(this, QStringLiteral("cmdNext"), ButtonBag(">"));
    cmdNext->Move(kNextLeft, kRowTop, kButtonWidth, kRowHeight);
    cmdNext->setToolTip(QStringLiteral("Next match (F3)"));
    cmdNext->setAccessibleName(QStringLiteral("Next match"));
    cmdClose = new SoftButton(this, QStringLiteral("cmdClose"), ButtonBag("x"));
    cmdClose->Move(kCloseLeft, kRowTop, kButtonWidth, kRowHeight);
    cmdClose->setToolTip(QStringLiteral("Close (Esc)"));
    cmdClose->setAccessibleName(QStringLiteral("Close find box"));

    connect(txtFind, &SoftText::Change, this, &FindBox::txtFind_Change);
    connect(cmdPrevious, &SoftButton::Click, this, &FindBox::cmdPrevious_Click);
    connect(cmdNext, &SoftButton::Click, this, &FindBox::cmdNext_Click);
    connect(cmdClose, &SoftButton::Click, this, &FindBox::cmdClose_Click);
    // A control of the running host, with nothing stored of its own.
    Load(platform::PropertyBag());
}

void FindBox::Activate()
{
    SetVisible(true);
    ZOrder(0);
    txtFind->SetFocus();
    txtFind->SetSelStart(0);
    txtFind->SetSelLength(int32_t(txtFind->Text().size()));
}

void FindBox::UserControl_Resize()
{
    Cls();
    Line(0, 0, Width() - kEdge, 0, kOutline);
    Line(0, 0, 0, Height() - kEdge, kOutline);
    Line(0, Height() - kEdge, Width(), Height() - kEdge, kOutline);
    Line(Width() - kEdge, 0, Width() - kEdge, Height(), kOutline);
}

void FindBox::SetResult(const QString& sResult)
{
    txtFind->setAccessibleDescription(sResult);
}

void FindBox::txtFind_Change()
{
    if (txtFind->Text().isEmpty())
        SetResult(QString());
    emit Change();
}

void FindBox::cmdPrevious_Click()
{
    emit FindNext(true);
}

void FindBox::cmdNext_Click()
{
    emit FindNext(false);
}

void FindBox::cmdClose_Click()
{
    emit CloseClick();
}
