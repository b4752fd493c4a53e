#pragma once
// Driving the program's dialogs from a test: finding a form without loading
// it, a click on a flat button, and a step that runs once a form shows (for
// a modal form, from inside its modal display).
#include "controls/SoftButton.h"
#include "platform/forms/Forms.h"

#include <functional>

class frmOptions;

namespace skwtest {

// The loaded instance of F, or null; never loads it.
template <class F>
F* Loaded()
{
    return platform::FormRegistry::IsLoaded<F>() ? &platform::Forms<F>() : nullptr;
}

// F is loaded and shown.
template <class F>
bool Shown()
{
    F* form = Loaded<F>();
    return form && form->Visible();
}

// The options dialog, opened by the window menu's options command as the
// main window receives it.
frmOptions& OpenOptions();

// A left-button press and release in the middle of the button.
void Click(SoftButton* button);

// Runs `step` once `shown` holds, checking every few milliseconds.
void WhenShown(std::function<bool()> shown, std::function<void()> step);

template <class F>
void WhenShown(std::function<void(F&)> step)
{
    WhenShown(Shown<F>, [step] { step(platform::Forms<F>()); });
}

}  // namespace skwtest
