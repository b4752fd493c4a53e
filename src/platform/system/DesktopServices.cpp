#include "platform/system/DesktopServices.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

namespace {
OpenUrlHook& hook()
{
    static OpenUrlHook h;
    return h;
}
}  // namespace

OpenUrlHook SetOpenUrlHook(OpenUrlHook h)
{
    OpenUrlHook previous = std::move(hook());
    hook() = std::move(h);
    return previous;
}

void OpenWithDefaultHandler(const QString& target)
{
    if (hook()) {
        hook()(target);
        return;
    }
    // A target with a scheme goes as it stands; a bare address or path is
    // read the way a user would mean it (www.example.org, /home/me/page.html).
    const QUrl url(target, QUrl::TolerantMode);
    QDesktopServices::openUrl(url.scheme().isEmpty() ? QUrl::fromUserInput(target) : url);
}

}  // namespace platform
