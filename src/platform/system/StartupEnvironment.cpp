#include "platform/system/StartupEnvironment.h"

#include <QLoggingCategory>
#include <QString>

#include <algorithm>
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

constexpr auto forceRendererAccessibility = "--force-renderer-accessibility";
constexpr auto disableRendererAccessibility = "--disable-renderer-accessibility";

bool isSet(const char* value)
{
    return value && *value;
}

// Whether a flag stands among blank-separated words, alone or with a value.
bool hasFlag(const std::string& words, const std::string& flag)
{
    std::size_t at = 0;
    while ((at = words.find(flag, at)) != std::string::npos) {
        const std::size_t end = at + flag.size();
        const bool startsWord = at == 0 || words[at - 1] == ' ';
        const bool endsWord = end == words.size() || words[end] == ' ' || words[end] == '=';
        if (startsWord && endsWord)
            return true;
        at = end;
    }
    return false;
}
}  // namespace

PageAccessibilityChoice ChoosePageAccessibility(const char* engineSwitchVariable, const char* chromiumFlagsVariable,
                                                const std::vector<std::string>& arguments)
{
    // The variable counts once it exists, as the engine reads it.
    if (engineSwitchVariable)
        return {};
    std::string words = isSet(chromiumFlagsVariable) ? chromiumFlagsVariable : "";
    for (const std::string& argument : arguments)
        words += " " + argument;
    if (hasFlag(words, forceRendererAccessibility) || hasFlag(words, disableRendererAccessibility))
        return {};
    return {true, true, true};
}

SandboxChoice ChooseSandbox(bool runningAsRoot, const char* disableSandboxVariable)
{
    if (!runningAsRoot)
        return {};
    return {!isSet(disableSandboxVariable), "skerrywind: running as root, so the web engine's sandbox is turned off"};
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
    sockaddr_un address{};
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

bool PrepareStartupEnvironment(int argc, char** argv)
{
    const SandboxChoice sandbox = ChooseSandbox(::geteuid() == 0, std::getenv("QTWEBENGINE_DISABLE_SANDBOX"));
    if (sandbox.turnOff)
        ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
    if (!sandbox.notice.empty())
        std::fprintf(stderr, "%s\n", sandbox.notice.c_str());

    if (const auto platform = ChoosePlatform(std::getenv("QT_QPA_PLATFORM"), std::getenv("DISPLAY"), SocketAnswers))
        ::setenv("QT_QPA_PLATFORM", platform->c_str(), 1);

    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    const PageAccessibilityChoice access = ChoosePageAccessibility(
        std::getenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"), std::getenv("QTWEBENGINE_CHROMIUM_FLAGS"), arguments);
    if (access.enableEngineSwitch)
        ::setenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1", 1);
    if (access.joinBusAlways)
        ::setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 0);

    QLoggingCategory::setFilterRules(QString::fromLatin1(kProgramLoggingRules));
    return access.followDesktop;
}

}  // namespace platform
