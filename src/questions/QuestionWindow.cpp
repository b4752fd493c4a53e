#include "questions/QuestionWindow.h"

#include "shell/frmMain.h"

namespace {
constexpr platform::OLE_COLOR kCaptionTextColor = 0x00FFFFFF;  // white
constexpr int16_t kAlignCenter = 2;
const QString kDefaultFont = QStringLiteral("MS Sans Serif");
constexpr double kDefaultFontSize = 8.25;
constexpr float kCaptionTop = 30;
constexpr float kCaptionHeight = 225;
// The band stops one pixel short of the right edge, like the options dialog's.
constexpr float kCaptionRightGap = 15;
constexpr float kButtonHeight = 375;
constexpr float kTextBoxHeight = 285;
constexpr float kMessageLeft = 240;
constexpr float kMessageTop = 420;
constexpr float kMessageWidth = 4920;
}  // namespace

QuestionWindow::QuestionWindow(const QString& name, float clientWidth, float clientHeight) : ChromeForm(name)
{
    SetBackColor(platform::COLOR_WINDOW);
    SetClientSize(clientWidth, clientHeight);
    SetKeyPreview(true);
    SetStartUpPosition(platform::vbStartUpOwner);
    SetDialogRole(true);

    lblCaption = new platform::Label(this, QStringLiteral("lblCaption"));
    lblCaption->Move(0, kCaptionTop, clientWidth - kCaptionRightGap, kCaptionHeight);
    lblCaption->SetFont(kDefaultFont, kDefaultFontSize, true);
    lblCaption->SetForeColor(kCaptionTextColor);
    lblCaption->SetAlignment(kAlignCenter);
    SetCaptionBand(lblCaption);
}

SoftButton* QuestionWindow::NewButton(const QString& name, const char* caption, float left, float top, float width)
{
    auto* button =
        new SoftButton(this, name, SoftButton::Stored{.Caption = caption, .Border = SoftButton::btFlatDark}.Bag());
    button->Move(left, top, width, kButtonHeight);
    return button;
}

SoftText* QuestionWindow::NewTextBox(const QString& name, float left, float top, float width)
{
    auto* box = new SoftText(this, name, SoftText::Stored{}.Bag());
    box->Move(left, top, width, kTextBoxHeight);
    return box;
}

platform::Label* QuestionWindow::NewMessageLabel(const QString& name, float height)
{
    auto* label = new platform::Label(this, name);
    label->Move(kMessageLeft, kMessageTop, kMessageWidth, height);
    label->setWordWrap(true);
    return label;
}

void QuestionWindow::ShowOver(const QString& caption)
{
    SetCaption(caption);
    lblCaption->SetCaption(caption);
    Show(platform::vbModalToOwner, &platform::Forms<frmMain>());
}

void QuestionWindow::Withdraw()
{
    ForgetAnswer();
    Hide();
}

void QuestionWindow::Form_Load()
{
    DrawActiveTitleBar();
}

void QuestionWindow::Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode)
{
    // Closed by the user (the window manager's close, Alt+F4): the question
    // is refused as Escape refuses it, and the window stays loaded for the
    // next one.
    if (UnloadMode == platform::vbFormControlMenu) {
        Cancel = -1;
        if (Visible())
            Refusal();
    }
}

void QuestionWindow::Form_Unload(int16_t& Cancel)
{
    (void)Cancel;
    // Going with the main window: the question is answered no.
    if (Visible())
        Refusal();
}

void QuestionWindow::Form_KeyDown(int16_t& KeyCode, int16_t& Shift)
{
    (void)Shift;
    if (!Visible())
        return;
    // The answer is the key's only effect: the control with the focus does
    // not act on it as well.
    if (KeyCode == platform::vbKeyReturn) {
        KeyCode = 0;
        DefaultAnswer();
    } else if (KeyCode == platform::vbKeyEscape) {
        KeyCode = 0;
        Refusal();
    }
}
