#include "platform/system/MessageBox.h"

#include "platform/system/CodeDepth.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <cstdio>
#include <vector>

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
bool unattended = false;
// The dialogs whose modal loop runs, innermost last.
std::vector<QPointer<QDialog>>& openDialogs()
{
    static std::vector<QPointer<QDialog>> dialogs;
    return dialogs;
}
}  // namespace

QString AppTitle()
{
    return title();
}
void SetAppTitle(const QString& t)
{
    title() = t;
}

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
        NestedLoop nested;
        hook()(call);
        return;
    }
    if (unattended) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(call.Title), qPrintable(QString(call.Prompt).replace(u'\r', u' ')));
        return;
    }
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(call.Title);
    box.setText(call.Prompt);
    box.setIcon((call.Buttons & vbExclamation) ? QMessageBox::Warning : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    ExecModal(box);
}

int ExecModal(QDialog& dialog)
{
    NestedLoop nested;
    if (unattended)
        return QDialog::Rejected;
    openDialogs().emplace_back(&dialog);
    const int result = dialog.exec();
    std::erase_if(openDialogs(), [&dialog](const QPointer<QDialog>& d) { return d.isNull() || d == &dialog; });
    return result;
}

void EndUnattended()
{
    unattended = true;
    for (const QPointer<QDialog>& dialog : openDialogs())
        if (dialog)
            dialog->reject();
}

}  // namespace platform
