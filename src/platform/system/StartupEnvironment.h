#pragma once
// Choices made by main() before the application object exists, each a pure
// decision over the environment plus a small function that applies it.
//
// Integration: main() calls PrepareStartupEnvironment() before the application
// object exists.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The engine's sandbox stays on. A process running as root cannot sandbox
// its render processes, so only then it is turned off, and one line on stderr
// says so. A setting the user made (QTWEBENGINE_DISABLE_SANDBOX) is kept.
struct SandboxChoice {
    bool turnOff = false;  // set QTWEBENGINE_DISABLE_SANDBOX=1
    std::string notice;    // the line for stderr, or empty
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

// Whether the engine's page accessibility follows the desktop's
// accessibility status (see access/PageAccessibility.h). The engine's own
// switches are the user's explicit setting and win: the renderer flags
// --force-renderer-accessibility or --disable-renderer-accessibility in
// QTWEBENGINE_CHROMIUM_FLAGS or on the command line, and
// QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY. Otherwise the program follows the
// desktop: the engine is allowed to build pages' accessibility trees (and
// builds them only while told to), and the program's windows join the
// desktop's accessibility bus whatever its status says at start, so that an
// assistive technology started later finds them.
struct PageAccessibilityChoice {
    bool followDesktop = false;
    bool enableEngineSwitch = false;  // set QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY=1
    bool joinBusAlways = false;       // set QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
};
PageAccessibilityChoice ChoosePageAccessibility(const char* engineSwitchVariable, const char* chromiumFlagsVariable,
                                                const std::vector<std::string>& arguments);

// The program's own logging rules. The engine's context dump (the category
// qt.webenginecontext: some twenty lines of graphics and start-up parameters
// at every start) stays off unless the user asks for it: these are set as the
// application's rules, which the user's QT_LOGGING_CONF and QT_LOGGING_RULES
// override.
inline constexpr const char* kProgramLoggingRules = "qt.webenginecontext.info=false";

// Applies the choices to this process's environment and sets the program's
// logging rules; the sandbox notice goes to stderr. Returns whether the
// program follows the desktop's accessibility status.
bool PrepareStartupEnvironment(int argc, char** argv);

}  // namespace platform
