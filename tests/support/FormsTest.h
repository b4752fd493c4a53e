#pragma once
// What the tests of the program's forms share: the fixture that sets up a
// fresh run before each test function and unloads the forms after it, and
// the helpers the tests read the forms with (the stored preferences as the
// options dialog keeps them, the main window's status texts, what a form
// drew).
#include "platform/drawing/OleColor.h"
#include "platform/forms/Forms.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <functional>

namespace skwtest {

// Every browser a form makes from now on is a RecordingBrowser, a pixel is
// 15 twips, and the unload of the last form runs `lastFormAction` instead
// of ending the test program.
void UseRecordingForms(std::function<void()> lastFormAction = [] {});

// Unloads the forms named, in that order (the main window takes the forms
// it owns with it), and destroys what they left.
template <class... F>
void UnloadForms()
{
    (platform::FormRegistry::UnloadIfLoaded<F>(), ...);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The fixture of the tests that drive the main window and its forms: a
// test class derives from it, and calls its init() and cleanup() from its
// own where it has them.
class FormsTest : public QObject {
    Q_OBJECT
protected:
    // The browser the main window gets: the recording one, or the real
    // engine's.
    enum class Browser { Recording, Engine };
    // Whether a message box shown in a test function (its forms' unload
    // included) fails it.
    enum class MessageBoxes { Allowed, AreFaults };
    explicit FormsTest(Browser browser = Browser::Recording, MessageBoxes boxes = MessageBoxes::Allowed)
        : browser_(browser), boxes_(boxes)
    {
    }

    // How often the last form was unloaded since the test function began:
    // each time, the program would have ended.
    int lastFormActions = 0;

protected slots:
    // A fresh run (new user folders, no message boxes, no command-line
    // arguments) over the fixture's browser, at 15 twips a pixel, whose
    // last-form unloads are counted.
    void init();
    // The main window unloaded, with the forms it owns, and destroyed.
    void cleanup();

private:
    Browser browser_;
    MessageBoxes boxes_;
};

// A preference as the options dialog stores it; "(none)" for one not stored.
void StorePref(const QString& key, const QString& value);
QString StoredPref(const QString& key);

// The text of the main window's status bar panel `index` (1 the status
// text, 2 the busy indicator).
QString PanelText(int index);

// A pixel of the form's persistent image, and a colour as the forms draw
// it, both as 0xRRGGBB.
QRgb ImagePixel(platform::Form& form, int x, int y);
QRgb Rgb(platform::OLE_COLOR colour);

}  // namespace skwtest
