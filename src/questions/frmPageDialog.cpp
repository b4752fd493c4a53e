#include "questions/frmPageDialog.h"

#include "platform/system/ReadableText.h"

#include <utility>

namespace {
constexpr float kClientWidth = 5400;
constexpr float kClientHeight = 2520;
// The longest message shown; a page's message may be any length.
constexpr int kMessageChars = 600;
}  // namespace

frmPageDialog::frmPageDialog() : QuestionWindow(QStringLiteral("frmPageDialog"), kClientWidth, kClientHeight)
{
    lblMessage = NewMessageLabel(QStringLiteral("lblMessage"), 1020);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    txtValue = NewTextBox(QStringLiteral("txtValue"), 240, 1500, 4920);
    txtValue->setAccessibleName(QStringLiteral("Answer"));

    cmdStop = NewButton(QStringLiteral("cmdStop"), "Stop this page's dialogs", 240, 1980, 2280);
    connect(cmdStop, &SoftButton::Click, this, &frmPageDialog::cmdStop_Click);
    cmdOk = NewButton(QStringLiteral("cmdOk"), "OK", 2880, 1980, 1095);
    connect(cmdOk, &SoftButton::Click, this, &frmPageDialog::cmdOk_Click);
    cmdCancel = NewButton(QStringLiteral("cmdCancel"), "Cancel", 4080, 1980, 1080);
    connect(cmdCancel, &SoftButton::Click, this, &frmPageDialog::cmdCancel_Click);
}

void frmPageDialog::Ask(const QString& sCaption, platform::PageDialogRequest::Kind kind, const QString& sMessage,
                        const QString& sDefault, bool bOfferStop, Done done)
{
    Answer(pdCancel);
    kind_ = kind;
    const bool bLeave = kind == platform::PageDialogRequest::Leave;
    cmdOk->SetCaption(bLeave ? QStringLiteral("Leave") : QStringLiteral("OK"));
    cmdCancel->SetCaption(bLeave ? QStringLiteral("Stay") : QStringLiteral("Cancel"));
    lblMessage->SetCaption(platform::ReadableText(sMessage, kMessageChars, true));
    txtValue->setVisible(kind == platform::PageDialogRequest::Prompt);
    txtValue->SetText(sDefault);
    cmdStop->setVisible(bOfferStop);
    cmdCancel->setVisible(kind != platform::PageDialogRequest::Alert);
    done_ = std::move(done);
    ShowOver(sCaption);
    if (kind == platform::PageDialogRequest::Prompt)
        txtValue->TextBox_hWnd()->setFocus();
}

void frmPageDialog::Answer(Outcome outcome)
{
    // Taken first: the callback may ask the next question in this window.
    auto done = std::exchange(done_, {});
    if (!done)
        return;
    // Only a prompt has a text to give.
    const QString sText = txtValue->isHidden() ? QString() : txtValue->Text();
    Hide();
    done(outcome, sText);
}

void frmPageDialog::cmdStop_Click()
{
    Answer(pdStop);
}
void frmPageDialog::cmdOk_Click()
{
    Answer(pdOk);
}
void frmPageDialog::cmdCancel_Click()
{
    Answer(pdCancel);
}
// A page is left only by a click on Leave.
void frmPageDialog::DefaultAnswer()
{
    Answer(kind_ == platform::PageDialogRequest::Leave ? pdCancel : pdOk);
}
void frmPageDialog::Refusal()
{
    Answer(pdCancel);
}

bool frmPageDialog::ForgetAnswer()
{
    return bool(std::exchange(done_, {}));
}
