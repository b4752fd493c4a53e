// Skerrywind: a small desktop web-browser shell. The main window runs the
// start-up; the program ends when it is closed.
#include "platform/access/PageAccessibility.h"
#include "platform/engine/GraphicsPath.h"
#include "platform/system/Application.h"
#include "platform/system/MessageBox.h"
#include "platform/system/PrivateFolders.h"
#include "platform/system/SingleInstance.h"
#include "platform/system/StartupEnvironment.h"
#include "platform/system/TerminationSignals.h"
#include "shell/frmMain.h"

namespace {
// A later start that the running program did not take says so in a box too,
// where there is a display (a termination signal closes it), then ends with
// the status given.
int sayNotResponding(int argc, char** argv, int status)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return status;
    platform::PrepareStartupEnvironment(argc, argv);
    platform::Application app(argc, argv);
    platform::TerminationSignals::SetHandler([](int) {});
    platform::MsgBox(platform::SingleInstance::NotRespondingText(), platform::vbExclamation);
    return status;
}
}  // namespace

int main(int argc, char** argv)
{
    // First of all: a termination signal from here on is kept until the
    // program can end cleanly.
    platform::TerminationSignals::Install();

    // A later start hands its command line to the program already running
    // for this user and its folders and ends here, before any engine starts.
    platform::SingleInstance instance;
    if (const std::optional<int> status = instance.HandOver(argc, argv))
        return instance.NotResponding() ? sayNotResponding(argc, argv, *status) : *status;

    platform::MakeProgramFoldersPrivate();
    const bool bFollowDesktopAccessibility = platform::PrepareStartupEnvironment(argc, argv);
    platform::ChooseGraphicsPath();
    platform::Application app(argc, argv);
    // Not a slip for "Skerrywind": the title boxes have always shown; tests pin it.
    platform::SetAppTitle(QStringLiteral("Skerwind32"));
    // Before the engine starts: pages are read to assistive tools while the
    // desktop says one runs.
    if (bFollowDesktopAccessibility)
        platform::PageAccessibility::FollowDesktop();
    // Later starts are taken from the first time the main window lets
    // events run.
    instance.Listen();

    // A termination signal closes the main window as the user would, so its
    // unload stores the preferences and the placements.
    const auto closeMainWindow = [] { platform::FormRegistry::UnloadIfLoaded<frmMain>(); };
    platform::TerminationSignals::SetHandler([closeMainWindow](int) { closeMainWindow(); });

    platform::Forms<frmMain>().Show();
    // A signal handled while the main window was being made found none yet.
    if (platform::TerminationSignals::Received())
        closeMainWindow();
    // What later starts hand over goes to the main window once it is loaded;
    // what came during its load was held until now. Once it is gone they
    // wait for this process to end.
    instance.SetReceiver([](const QString& commandLine) {
        if (!platform::FormRegistry::IsLoaded<frmMain>())
            return false;
        platform::Forms<frmMain>().ReceiveCommandLine(commandLine);
        return true;
    });
    const int status = app.Run();
    instance.StopListening();
    instance.HoldLocksUntilExit();
    return status;
}
