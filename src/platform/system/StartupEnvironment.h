#pragma once
// Choices made by main() before the application object exists, each a pure
// decision over the environment plus a small function that applies it.
//
// Integration: main() calls PrepareStartupEnvironment() first thing.
#include <functional>
#include <optional>
#include <string>

namespace platform {

// The engine's sandbox stays on. A process running as root cannot sandbox
// its render processes, so only then it is turned off, and one line on stderr
// says so. A setting the user made (QTWEBENGINE_DISABLE_SANDBOX) is kept.
struct SandboxChoice {
    bool turnOff = false;    // set QTWEBENGINE_DISABLE_SANDBOX=1
    std::string notice;      // the line for stderr, or empty
};
SandboxChoice ChooseSandbox(bool runningAsRoot, const char* disableSandboxVariable);

// The display number of a local X display (":0", ":1.0", "unix:2"), or none
// for a remote one ("host:0", "localhost:10.0") or a malformed value.
std::optional<int> LocalDisplayNumber(const std::string& display);
// "/tmp/.X11-unix/X<n>": where a local X server listens.
std::string X11SocketPath(int displayNumber);

// The Qt platform plugin to select, or none to leave Qt's own choice. X11
// ("xcb", directly or through XWayland) is chosen when the user chose nothing
// and a local X display answers, because Wayland does not let a program place
// its windows or start a move from its own caption.
std::optional<std::string> ChoosePlatform(const char* qpaPlatformVariable, const char* displayVariable,
                                          const std::function<bool(const std::string& socketPath)>& socketAnswers);

// Whether a program listens on the local stream socket at `path` (a connect
// that is closed at once; no X protocol is spoken).
bool SocketAnswers(const std::string& path);

// Applies both choices to this process's environment; the sandbox notice goes
// to stderr.
void PrepareStartupEnvironment();

}  // namespace platform
