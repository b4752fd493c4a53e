// The program as tools/bench measures it at rest: it starts like the program
// (same graphics path, application object, main window on the address given),
// then opens every other window a user can have open at the same time, and
// says "ready" on the bench's log. tools/bench waits for that and for the
// page's title in the caption, lets the processes settle, and reads the
// CPU time of the whole process tree over 10 s from outside.
//   idle_driver <address>
#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "platform/engine/GraphicsPath.h"
#include "platform/system/Application.h"
#include "platform/system/BenchLog.h"
#include "platform/system/MessageBox.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

int main(int argc, char** argv)
{
    platform::ChooseGraphicsPath();
    platform::Application app(argc, argv);
    platform::SetAppTitle(QStringLiteral("Skerwind32"));
    frmMain& main = platform::Forms<frmMain>();
    main.Show();

    // ---- The windows open during the idle measurement. ----
    // The toolbar is shown by the main window's load; the dialogs are opened
    // as the window menu opens them (the about box modeless here, so the
    // driver goes on).
    platform::Forms<frmToolBar>().Show(platform::vbModeless, &main);
    platform::Forms<frmOptions>().Init();
    platform::Forms<frmOptions>().Show(platform::vbModeless, &main);
    platform::Forms<frmAbout>().Show(platform::vbModeless, &main);
    // ---- end of the list ----

    qCInfo(platform::lcBench) << "ready";
    return app.exec();
}
