#include "platform/system/Application.h"

#include "platform/access/Accessibility.h"
#include "platform/forms/Forms.h"
#include "platform/system/AppError.h"
#include "platform/system/CodeDepth.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Runtime.h"

#include <QDBusConnection>
#include <QFont>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPointer>
#include <QWindow>

#include <string>

namespace platform {

namespace {
// The delivery of a key press or mouse press, from the application's
// notify() on. An event that the widget under it leaves goes on to its
// parents (mouse events as copies), up to the form; the form previews it
// once, at the first widget, even when its handler moved the focus.
struct Delivery {
    bool previewed = false;
};
Delivery* currentDelivery = nullptr;

// The last ASCII character. Qt's key codes below Key_Escape are characters.
constexpr int kLastAscii = 0x7F;

bool isPreviewed(QEvent::Type type)
{
    return type == QEvent::KeyPress || type == QEvent::MouseButtonPress;
}

// The key code that a press of the mouse's back or forward button stands
// for; 0 for any other button.
int16_t browserKeyOf(Qt::MouseButton button)
{
    if (button == Qt::BackButton)
        return vbKeyBrowserBack;
    if (button == Qt::ForwardButton)
        return vbKeyBrowserForward;
    return 0;
}
}  // namespace

// Delivers the forms runtime's application-wide events: key preview and the
// Activate/Deactivate pair, which moves only between the program's own forms
// (switching to another application and back changes nothing).
class ApplicationEvents : public QObject {
public:
    explicit ApplicationEvents(QGuiApplication* app) : QObject(app)
    {
        app->installEventFilter(this);
        connect(app, &QGuiApplication::focusWindowChanged, this, &ApplicationEvents::focusWindowChanged);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The release of a back or forward button whose press a form took
        // goes with it: the engine would act on it as well.
        if (event->type() == QEvent::MouseButtonRelease && takenButton_ != Qt::NoButton
            && static_cast<QMouseEvent*>(event)->button() == takenButton_) {
            takenButton_ = Qt::NoButton;
            return true;
        }
        if (!isPreviewed(event->type()) || !watched->isWidgetType() || !currentDelivery || currentDelivery->previewed)
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::KeyPress) {
            // A key goes first to the window's focused widget (or the window
            // when nothing in it has the focus); the form sees it there, once,
            // before that widget.
            QWidget* first = widget->window()->focusWidget() ? widget->window()->focusWidget() : widget->window();
            if (widget != first)
                return false;
        }
        auto* form = qobject_cast<Form*>(widget->window());
        if (!form || !form->keyPreview_ || !form->loaded_)
            return false;
        currentDelivery->previewed = true;
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            int16_t keyCode = VbKeyCode(*key);
            int16_t shift = VbShiftState(key->modifiers());
            if (keyCode == 0)
                return false;
            form->Form_KeyDown(keyCode, shift);
            return keyCode == 0;
        }
        case QEvent::MouseButtonPress: {
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            int16_t keyCode = browserKeyOf(button);
            int16_t shift = VbShiftState(static_cast<QMouseEvent*>(event)->modifiers());
            if (keyCode == 0)
                return false;
            form->Form_KeyDown(keyCode, shift);
            if (keyCode != 0)
                return false;
            takenButton_ = button;
            return true;
        }
        default: return false;
        }
    }

private:
    // The back or forward mouse button whose press a form took, until its release.
    Qt::MouseButton takenButton_ = Qt::NoButton;

    void focusWindowChanged(QWindow* window)
    {
        if (!window)
            return;
        Form* form = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->windowHandle() == window) {
                form = qobject_cast<Form*>(top);
                break;
            }
        }
        if (!form || form == active_)
            return;
        QPointer<Form> previous = active_;
        active_ = form;
        if (previous && previous->loaded_)
            previous->Form_Deactivate();
        if (form->loaded_)
            form->Form_Activate();
    }

    QPointer<Form> active_;
};

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // Only the forms runtime ends the program: when no form is left loaded.
    setQuitOnLastWindowClosed(false);
    SetCommandLineArguments(arguments().mid(1));
    // The design fonts, by the metric-compatible families Debian ships.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Courier New"),
                               {QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    new ApplicationEvents(this);
    InstallAccessibility();
    // Reading the system's fonts and reaching the session bus (which the
    // accessibility support asks for at the first widget text) take a while;
    // they run on their own thread while the main thread starts the web
    // engine, which mostly waits.
    warmUp_ = std::thread([] {
        QFontDatabase::families();
        QDBusConnection::sessionBus();
    });
}

Application::~Application()
{
    WaitForWarmUp();
}

void Application::WaitForWarmUp()
{
    if (warmUp_.joinable())
        warmUp_.join();
}

int Application::Run()
{
    const int code = FormRegistry::LoadedCount() == 0 ? 0 : exec();
    // The forms unloaded last go before the application object.
    sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    // The program's code that this event runs counts as running (see CodeDepth.h).
    CodeScope scope;
    // A delivery that the forms preview starts here (a handler may start
    // another one inside it) and ends here, wherever it went on the way.
    Delivery delivery;
    Delivery* const outer = currentDelivery;
    if (isPreviewed(event->type()))
        currentDelivery = &delivery;
    try {
        const bool handled = QApplication::notify(receiver, event);
        currentDelivery = outer;
        return handled;
    } catch (...) {
        currentDelivery = outer;
        ReportUntrappedError();
        return false;
    }
}

void ReportUntrappedError()
{
    const ErrObject e = Err();
    MsgBox(QStringLiteral("Run-time error '%1':\r\n\r\n%2").arg(e.Number).arg(e.Description), vbExclamation);
}

int16_t VbKeyCode(int qtKey)
{
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return int16_t(0x70 + (qtKey - Qt::Key_F1));
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return int16_t(qtKey);
    switch (qtKey) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Back: return vbKeyBrowserBack;
    case Qt::Key_Forward: return vbKeyBrowserForward;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return vbKeyOemPlus;
    case Qt::Key_Minus: return vbKeyOemMinus;
    default: return 0;
    }
}

int16_t VbKeyCode(const QKeyEvent& event)
{
    // The keypad's keys have codes of their own.
    if (event.modifiers() & Qt::KeypadModifier) {
        const int key = event.key();
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return int16_t(vbKeyNumpad0 + (key - Qt::Key_0));
        if (key == Qt::Key_Plus)
            return vbKeyAdd;
        if (key == Qt::Key_Minus)
            return vbKeySubtract;
    }
    const int key = event.key();
    // A character beyond ASCII (a Cyrillic, Greek or Hebrew letter, the
    // accented letter of a digit key): the letter or digit key of the US
    // layout at the same place, as the virtual-key numbering has it for
    // layouts that are not Latin. A layout's own ASCII keys (Dvorak's "," at
    // the W key) stay what they are.
    if (key > kLastAscii && key < Qt::Key_Escape)
        return UsLetterOrDigitAt(event.nativeScanCode());
    return VbKeyCode(key);
}

int16_t UsLetterOrDigitAt(quint32 scanCode)
{
    // X11's and Wayland's key codes are the evdev codes plus 8. The rows of
    // the US layout, each from its first key code on.
    struct Row {
        quint32 first;
        const char* keys;
    };
    static constexpr Row kRows[] = {
        {10, "1234567890"},  // KEY_1 (2) ... KEY_0 (11)
        {24, "QWERTYUIOP"},  // KEY_Q (16) ...
        {38, "ASDFGHJKL"},   // KEY_A (30) ...
        {52, "ZXCVBNM"},     // KEY_Z (44) ...
    };
    for (const Row& row : kRows) {
        const quint32 count = quint32(std::char_traits<char>::length(row.keys));
        if (scanCode >= row.first && scanCode < row.first + count)
            return int16_t(row.keys[scanCode - row.first]);
    }
    return 0;
}

int16_t VbShiftState(Qt::KeyboardModifiers modifiers)
{
    int16_t state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= vbShiftMask;
    if (modifiers & Qt::ControlModifier)
        state |= vbCtrlMask;
    if (modifiers & Qt::AltModifier)
        state |= vbAltMask;
    return state;
}

}  // namespace platform
