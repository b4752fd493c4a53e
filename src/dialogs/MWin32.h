#pragma once
// Version information the program shows, and the address box's completion.
#include <QString>

#include <cstdint>

class QWidget;

namespace MWin32 {

// The program's version text: major.minor.revision followed by "a" (1.1.51a).
QString GetAppVersion();
// The date of the program's executable file, "dd-mmm-yyyy".
QString GetExeBuildDate();
// The running web engine's version, three decimal numbers.
QString GetShlwapiVersion();
// The engine's major version alone.
int32_t GetShlwapiMajorVersion();

// Gives a text box address and file-path completion where the platform
// offers it (version 5 or later); otherwise leaves it as it is.
void EnableAutoComplete(QWidget* hWnd);

}  // namespace MWin32
