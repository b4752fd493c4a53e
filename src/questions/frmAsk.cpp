#include "questions/frmAsk.h"

#include <utility>

namespace {
constexpr float kClientWidth = 5400;
constexpr float kClientHeight = 2100;
}  // namespace

frmAsk::frmAsk() : QuestionWindow(QStringLiteral("frmAsk"), kClientWidth, kClientHeight)
{
    lblPrompt = NewMessageLabel(QStringLiteral("lblPrompt"), 1020);

    cmdYes = NewButton(QStringLiteral("cmdYes"), "Yes", 2640, 1560, 1335);
    connect(cmdYes, &SoftButton::Click, this, &frmAsk::cmdYes_Click);
    cmdNo = NewButton(QStringLiteral("cmdNo"), "No", 4080, 1560, 1080);
    connect(cmdNo, &SoftButton::Click, this, &frmAsk::cmdNo_Click);
}

void frmAsk::Ask(const QString& sCaption, const QString& sPrompt, const QString& sYes, const QString& sNo,
                 std::function<void(bool bYes)> done)
{
    Answer(false);
    lblPrompt->SetCaption(sPrompt);
    cmdYes->SetCaption(sYes);
    cmdNo->SetCaption(sNo);
    done_ = std::move(done);
    ShowOver(sCaption);
}

void frmAsk::Answer(bool bYes)
{
    // Taken first: the callback may ask the next question in this window.
    auto done = std::exchange(done_, {});
    if (!done)
        return;
    Hide();
    done(bYes);
}

void frmAsk::cmdYes_Click()
{
    Answer(true);
}
void frmAsk::cmdNo_Click()
{
    Answer(false);
}
void frmAsk::DefaultAnswer()
{
    Answer(false);
}
void frmAsk::Refusal()
{
    Answer(false);
}

bool frmAsk::ForgetAnswer()
{
    return bool(std::exchange(done_, {}));
}
