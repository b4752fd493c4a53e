#pragma once
// Hands a link target to the desktop's default handler for its kind: a web
// address to the default browser, a "mailto:" address to the mail program.
// The outcome is not examined. Tests replace the launch with a recorder.
#include <QString>

#include <functional>

namespace platform {

void OpenWithDefaultHandler(const QString& target);

// Replaces the launch; an empty function restores it. Returns the previous hook.
using OpenUrlHook = std::function<void(const QString& target)>;
OpenUrlHook SetOpenUrlHook(OpenUrlHook hook);

}  // namespace platform
