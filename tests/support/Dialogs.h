#pragma once
// Driving the program's dialogs from a test: a click on a flat button, and
// a step that runs once a form shows (for a modal form, from inside its
// modal display).
#include "controls/SoftButton.h"
#include "platform/forms/Forms.h"

#include <functional>

namespace skwtest {

// A left-button press and release in the middle of the button.
void Click(SoftButton* button);

// Runs `step` once `shown` holds, checking every few milliseconds.
void WhenShown(std::function<bool()> shown, std::function<void()> step);

template <class F>
void WhenShown(std::function<void(F&)> step)
{
    WhenShown([] { return platform::FormRegistry::IsLoaded<F>() && platform::Forms<F>().isVisible(); },
              [step] { step(platform::Forms<F>()); });
}

}  // namespace skwtest
