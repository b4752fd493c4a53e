#include "questions/frmSignIn.h"

#include "platform/system/ReadableText.h"

#include <utility>

namespace {
constexpr float kClientWidth = 5400;
constexpr float kClientHeight = 2760;
// The longest realm shown; the rest is cut off with an ellipsis.
constexpr int kRealmChars = 120;
constexpr platform::OLE_COLOR kRefusedColor = 0x000000C0;  // dark red
const QString kPasswordChar = QStringLiteral("*");
}  // namespace

frmSignIn::frmSignIn() : QuestionWindow(QStringLiteral("frmSignIn"), kClientWidth, kClientHeight)
{
    lblRealm = NewMessageLabel(QStringLiteral("lblRealm"), 435);

    lblRefused = new platform::Label(this, QStringLiteral("lblRefused"));
    lblRefused->Move(240, 870, 4920, 225);
    lblRefused->SetForeColor(kRefusedColor);
    lblRefused->SetCaption(QStringLiteral("The user name or password was refused. Try again."));

    lblUserName = new platform::Label(this, QStringLiteral("lblUserName"));
    lblUserName->Move(240, 1170, 1200, 225);
    lblUserName->SetCaption(QStringLiteral("User name:"));
    txtUserName = NewTextBox(QStringLiteral("txtUserName"), 1440, 1125, 3720);
    txtUserName->setAccessibleName(QStringLiteral("User name"));

    lblPassword = new platform::Label(this, QStringLiteral("lblPassword"));
    lblPassword->Move(240, 1575, 1200, 225);
    lblPassword->SetCaption(QStringLiteral("Password:"));
    txtPassword = NewTextBox(QStringLiteral("txtPassword"), 1440, 1530, 3720);
    txtPassword->SetPasswordChar(kPasswordChar);
    txtPassword->setAccessibleName(QStringLiteral("Password"));

    cmdOk = NewButton(QStringLiteral("cmdOk"), "Sign in", 2880, 2160, 1095);
    connect(cmdOk, &SoftButton::Click, this, &frmSignIn::cmdOk_Click);
    cmdCancel = NewButton(QStringLiteral("cmdCancel"), "Cancel", 4080, 2160, 1080);
    connect(cmdCancel, &SoftButton::Click, this, &frmSignIn::cmdCancel_Click);

    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, cmdOk);
    setTabOrder(cmdOk, cmdCancel);
}

void frmSignIn::Ask(const QString& sCaption, const QString& sRealm, bool bProxy, bool bRefused,
                    const QString& sUserName, Done done)
{
    Answer(false);
    const QString asker = bProxy ? QStringLiteral("The proxy") : QStringLiteral("The site");
    if (sRealm.isEmpty())
        lblRealm->SetCaption(asker + QStringLiteral(" asks for a user name and a password."));
    else
        lblRealm->SetCaption(asker + QStringLiteral(" says: \u201C") + platform::ReadableText(sRealm, kRealmChars)
                             + QStringLiteral("\u201D"));
    lblRefused->setVisible(bRefused);
    txtUserName->SetText(sUserName);
    txtPassword->SetText(QString());
    done_ = std::move(done);
    ShowOver(sCaption);
    txtUserName->TextBox_hWnd()->setFocus();
}

void frmSignIn::Answer(bool bSignIn)
{
    // Taken first: the callback may ask the next question in this window.
    auto done = std::exchange(done_, {});
    if (!done)
        return;
    const QString sUserName = txtUserName->Text();
    const QString sPassword = txtPassword->Text();
    // The password does not stay in the window.
    txtPassword->SetText(QString());
    Hide();
    done(bSignIn, sUserName, sPassword);
}

void frmSignIn::cmdOk_Click()
{
    Answer(true);
}
void frmSignIn::cmdCancel_Click()
{
    Answer(false);
}
void frmSignIn::DefaultAnswer()
{
    Answer(true);
}
void frmSignIn::Refusal()
{
    Answer(false);
}

bool frmSignIn::ForgetAnswer()
{
    txtPassword->SetText(QString());
    return bool(std::exchange(done_, {}));
}
