// Skerrywind: a small desktop web-browser shell. The main window runs the
// start-up; the program ends when it is closed.
#include "platform/Application.h"
#include "platform/GraphicsPath.h"
#include "platform/MessageBox.h"
#include "shell/frmMain.h"

int main(int argc, char** argv)
{
    platform::ChooseGraphicsPath();
    platform::Application app(argc, argv);
    platform::SetAppTitle(QStringLiteral("Skerwind32"));
    platform::Forms<frmMain>().Show();
    return app.exec();
}
