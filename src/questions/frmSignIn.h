#pragma once
// Signing in to a site or a proxy: what the server calls the protected area,
// a user-name box (focused) and a masked password box. Return signs in,
// Escape cancels. Asked again after a refusal, it keeps the user name and
// says that the last answer was refused.
#include "questions/QuestionWindow.h"

#include <functional>

class frmSignIn : public QuestionWindow {
    Q_OBJECT
public:
    frmSignIn();

    using Done = std::function<void(bool bSignIn, const QString& sUserName, const QString& sPassword)>;
    // Shows the window; `done` gets the answer once. `sRealm` is shown as
    // given, in one readable line.
    void Ask(const QString& sCaption, const QString& sRealm, bool bProxy, bool bRefused, const QString& sUserName,
             Done done);

    platform::Label* lblRealm;
    platform::Label* lblRefused;
    platform::Label* lblUserName;
    SoftText* txtUserName;
    platform::Label* lblPassword;
    SoftText* txtPassword;
    SoftButton* cmdOk;
    SoftButton* cmdCancel;

protected:
    void DefaultAnswer() override;
    void Refusal() override;
    bool ForgetAnswer() override;

private:
    void cmdOk_Click();
    void cmdCancel_Click();
    void Answer(bool bSignIn);

    Done done_;
};
