#pragma once
// The modal message box. Tests replace it with a recording hook so that no
// test ever waits for a person to press OK.
#include <QString>

#include <functional>

class QDialog;

namespace platform {

// Style bits of a message box, as the units pass them.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbExclamation = 48;

struct MessageBoxCall {
    QString Prompt;
    int Buttons = vbOKOnly;
    QString Title;  // already resolved: the application title when none was passed
};

// Shows a modal box and returns when it is closed. An empty title means the
// application's title.
void MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());

// Replaces the box; an empty function restores the real one. Returns the
// previous hook.
using MessageBoxHook = std::function<void(const MessageBoxCall&)>;
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// The application title that boxes without a title of their own carry.
QString AppTitle();
void SetAppTitle(const QString& title);

// Runs a dialog's own modal loop as a nested loop of the program (see
// CodeDepth.h) and returns its result. Every modal dialog goes through here,
// so that an end of the program closes it.
int ExecModal(QDialog& dialog);

// The program is ending with nobody to answer (a termination signal): the
// dialogs open in ExecModal close, and from now on a box shows nothing and
// writes its text to standard error instead of waiting for a person.
void EndUnattended();

}  // namespace platform
