#pragma once
// The application object: the boundary where failures that no handler traps
// are caught and shown, and the runtime's application-wide event services
// (key preview and activation between the program's own forms).
#include <QApplication>

class QKeyEvent;

#include <thread>

namespace platform {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    ~Application() override;

    // Runs the event loop until the last form is unloaded. Returns at once
    // when none is loaded any more: the program was ended during its start-up.
    int Run();

    bool notify(QObject* receiver, QEvent* event) override;

    // Waits until the side thread that reads the fonts and reaches the
    // session bus is done. It reads the environment: whoever changes the
    // environment after the application object exists (tests do) waits first.
    void WaitForWarmUp();

private:
    std::thread warmUp_;
};

// Shows the failure in flight (call it inside a catch block) in a message box
// with the application's title; the program goes on.
void ReportUntrappedError();

// The key code of a Qt key in the virtual-key numbering (F4 is 0x73), of a
// key event (which tells the keypad's keys apart, and gives a key whose
// character is beyond ASCII the code of the US layout's letter or digit key
// at that place), and the shift state of keyboard modifiers (1 Shift,
// 2 Ctrl, 4 Alt).
int16_t VbKeyCode(int qtKey);
int16_t VbKeyCode(const QKeyEvent& event);
int16_t VbShiftState(Qt::KeyboardModifiers modifiers);
// The code of the US layout's letter or digit key (A to Z, 0 to 9) with this
// X11 or Wayland key code; 0 for any other key.
int16_t UsLetterOrDigitAt(quint32 scanCode);

}  // namespace platform
