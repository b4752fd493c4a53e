#pragma once
// Driving the main window over the real engine: opening an address and
// waiting for it, running a script in the page, putting the focus into the
// page or the address box, and closing the window between tests.
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QVariant>

class QLineEdit;
class QWebEngineView;

namespace skwtest {

// Bounds a wait for the engine; only a hang reaches it.
inline constexpr int kLoadTimeout = 30000;

frmMain& MainWindow();
frmToolBar& Toolbar();
QLineEdit* AddressBox();
QWebEngineView* View();
QString PanelText(int index);

// Opens the address and waits until it has loaded.
bool Open(const QString& address);
// The script's result in the page.
QVariant RunScript(const QString& script);
// Makes the main window active with the focus in its page, or the toolbar
// active with the focus in its address box (nothing selected).
bool FocusThePage();
bool FocusTheAddressBox();
// Unloads the main window and lets it go.
void CloseTheMainWindow();

}  // namespace skwtest
