// Skerrywind: a small desktop web-browser shell. The main window runs the
// start-up; the program ends when it is closed.
#include "platform/system/Application.h"
#include "platform/engine/GraphicsPath.h"
#include "platform/system/MessageBox.h"
#include "platform/system/StartupEnvironment.h"
#include "platform/system/TerminationSignals.h"
#include "shell/frmMain.h"

int main(int argc, char** argv)
{
    // First of all: a termination signal from here on is kept until the
    // program can end cleanly.
    platform::TerminationSignals::Install();
    platform::PrepareStartupEnvironment();
    platform::ChooseGraphicsPath();
    platform::Application app(argc, argv);
    platform::SetAppTitle(QStringLiteral("Skerwind32"));

    // A termination signal closes the main window as the user would, so its
    // unload stores the preferences and the placements.
    const auto closeMainWindow = [] { platform::FormRegistry::UnloadIfLoaded<frmMain>(); };
    platform::TerminationSignals::SetHandler([closeMainWindow](int) { closeMainWindow(); });

    platform::Forms<frmMain>().Show();
    // A signal handled while the main window was being made found none yet.
    if (platform::TerminationSignals::Received())
        closeMainWindow();
    return app.Run();
}
