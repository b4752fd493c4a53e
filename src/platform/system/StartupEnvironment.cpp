#include "platform/system/StartupEnvironment.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr auto x11SocketFolder = "/tmp/.X11-unix/X";
constexpr auto x11Platform = "xcb";

bool isSet(const char* value) { return value && *value; }
}  // namespace

SandboxChoice ChooseSandbox(bool runningAsRoot, const char* disableSandboxVariable)
{
    if (!runningAsRoot)
        return {};
    return {!isSet(disableSandboxVariable),
            "skerrywind: running as root, so the web engine's sandbox is turned off"};
}

std::optional<int> LocalDisplayNumber(const std::string& display)
{
    const auto colon = display.rfind(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const std::string host = display.substr(0, colon);
    if (!host.empty() && host != "unix")
        return std::nullopt;
    // The number runs up to an optional ".screen".
    const std::string rest = display.substr(colon + 1);
    const std::string number = rest.substr(0, rest.find('.'));
    if (number.empty() || number.size() > 6 || number.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(number);
}

std::string X11SocketPath(int displayNumber)
{
    return x11SocketFolder + std::to_string(displayNumber);
}

std::optional<std::string> ChoosePlatform(const char* qpaPlatformVariable, const char* displayVariable,
                                          const std::function<bool(const std::string&)>& socketAnswers)
{
    if (isSet(qpaPlatformVariable) || !isSet(displayVariable))
        return std::nullopt;
    const std::optional<int> number = LocalDisplayNumber(displayVariable);
    if (!number || !socketAnswers(X11SocketPath(*number)))
        return std::nullopt;
    return x11Platform;
}

bool SocketAnswers(const std::string& path)
{
    sockaddr_un address {};
    if (path.size() >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return answers;
}

void PrepareStartupEnvironment()
{
    const SandboxChoice sandbox = ChooseSandbox(::geteuid() == 0, std::getenv("QTWEBENGINE_DISABLE_SANDBOX"));
    if (sandbox.turnOff)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    if (!sandbox.notice.empty())
        std::fprintf(stderr, "%s\n", sandbox.notice.c_str());

    if (const auto platform = ChoosePlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), SocketAnswers))
        ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);
}

}  // namespace platform
