#pragma once
// A page's own dialog: an alert (OK), a confirmation (OK, Cancel), a prompt
// (a text box, OK, Cancel) or its leave question (Leave, Stay), titled with
// the page's site. From the second dialog of a page on it also offers to
// stop that page's dialogs. Return is OK, Escape is Cancel; for the leave
// question both stay.
#include "platform/engine/PageRequests.h"
#include "questions/QuestionWindow.h"

#include <functional>

class frmPageDialog : public QuestionWindow {
    Q_OBJECT
public:
    enum Outcome { pdOk, pdCancel, pdStop };

    frmPageDialog();

    using Done = std::function<void(Outcome outcome, const QString& sText)>;
    // Shows the dialog; `done` gets the answer once, with a prompt's text.
    void Ask(const QString& sCaption, platform::PageDialogRequest::Kind kind, const QString& sMessage,
             const QString& sDefault, bool bOfferStop, Done done);

    platform::Label* lblMessage;
    SoftText* txtValue;
    SoftButton* cmdStop;
    SoftButton* cmdOk;
    SoftButton* cmdCancel;

protected:
    void DefaultAnswer() override;
    void Refusal() override;
    bool ForgetAnswer() override;

private:
    void cmdStop_Click();
    void cmdOk_Click();
    void cmdCancel_Click();
    void Answer(Outcome outcome);

    Done done_;
    platform::PageDialogRequest::Kind kind_ = platform::PageDialogRequest::Alert;
};
