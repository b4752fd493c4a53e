#pragma once
// A yes-or-no question of a site's: may it use something of the user's (a
// permission), may the browser go on to it despite its certificate. No is
// the default: Return and Escape both answer it; only a click says yes.
#include "questions/QuestionWindow.h"

#include <functional>

class frmAsk : public QuestionWindow {
    Q_OBJECT
public:
    frmAsk();

    // Shows the question; `done` gets the answer once, true for yes. A
    // question still open is answered no first.
    void Ask(const QString& sCaption, const QString& sPrompt, const QString& sYes, const QString& sNo,
             std::function<void(bool bYes)> done);

    platform::Label* lblPrompt;
    SoftButton* cmdYes;
    SoftButton* cmdNo;

protected:
    void DefaultAnswer() override;
    void Refusal() override;
    bool ForgetAnswer() override;

private:
    void cmdYes_Click();
    void cmdNo_Click();
    void Answer(bool bYes);

    std::function<void(bool)> done_;
};
