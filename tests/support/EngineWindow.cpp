#include "EngineWindow.h"

#include "platform/engine/BrowserHost.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <QWindow>

namespace skwtest {

namespace {
// Without graphics hardware the engine starts faster and quieter in
// software; set before the engine starts, for every test that drives it.
const bool kEngineFlags = [] {
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging");
    return true;
}();
}  // namespace

frmMain& MainWindow() { return platform::Forms<frmMain>(); }
frmToolBar& Toolbar() { return platform::Forms<frmToolBar>(); }
QLineEdit* AddressBox() { return qobject_cast<QLineEdit*>(Toolbar().txtURL->TextBox_hWnd()); }
QWebEngineView* View() { return qobject_cast<QWebEngineView*>(MainWindow().WebBrowser1->Widget()); }
QString PanelText(int index) { return MainWindow().StatusBar->Panels(index).Text(); }

bool Open(const QString& address)
{
    QSignalSpy documents(MainWindow().WebBrowser1, &platform::BrowserHost::DocumentComplete);
    MainWindow().WebBrowser1->Navigate(address);
    return QTest::qWaitFor([&] { return !documents.isEmpty() && !MainWindow().WebBrowser1->Busy(); }, kLoadTimeout);
}

QVariant RunScript(const QString& script)
{
    QVariant result;
    bool done = false;
    View()->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, kLoadTimeout))
        qWarning("the page did not answer the script");
    return result;
}

bool FocusThePage()
{
    MainWindow().windowHandle()->requestActivate();
    View()->setFocus();
    return QTest::qWaitFor([] { return View()->focusProxy() && QApplication::focusWidget() == View()->focusProxy(); },
                           kLoadTimeout);
}

bool FocusTheAddressBox()
{
    Toolbar().windowHandle()->requestActivate();
    AddressBox()->setFocus();
    AddressBox()->deselect();
    return QTest::qWaitFor([] { return QApplication::focusWidget() == AddressBox(); });
}

void CloseTheMainWindow()
{
    platform::FormRegistry::UnloadIfLoaded<frmMain>();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace skwtest
