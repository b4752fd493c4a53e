#include "platform/system/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {
MessageBoxHook& hook()
{
    static MessageBoxHook h;
    return h;
}
QString& title()
{
    static QString t = QStringLiteral("Skerwind32");
    return t;
}
}  // namespace

QString AppTitle() { return title(); }
void SetAppTitle(const QString& t) { title() = t; }

MessageBoxHook SetMessageBoxHook(MessageBoxHook h)
{
    MessageBoxHook previous = std::move(hook());
    hook() = std::move(h);
    return previous;
}

void MsgBox(const QString& prompt, int buttons, const QString& boxTitle)
{
    const MessageBoxCall call{prompt, buttons, boxTitle.isEmpty() ? AppTitle() : boxTitle};
    if (hook()) {
        hook()(call);
        return;
    }
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(call.Title);
    box.setText(call.Prompt);
    box.setIcon((call.Buttons & vbExclamation) ? QMessageBox::Warning : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace platform
