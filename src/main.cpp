// Skerrywind: a small desktop web-browser shell. The main window runs the
// start-up; the program ends when it is closed.
#include "platform/Application.h"
#include "platform/GraphicsPath.h"
#include "platform/MessageBox.h"
#include "platform/StartupEnvironment.h"
#include "platform/TerminationSignals.h"
#include "shell/frmMain.h"

int main(int argc, char** argv)
{
    platform::PrepareStartupEnvironment();
    platform::ChooseGraphicsPath();
    platform::Application app(argc, argv);
    platform::SetAppTitle(QStringLiteral("Skerwind32"));

    // A termination signal closes the main window as the user would, so its
    // unload stores the preferences and the placements.
    platform::TerminationSignals::install([](int) { platform::FormRegistry::UnloadIfLoaded<frmMain>(); });

    platform::Forms<frmMain>().Show();
    return app.exec();
}
