#include "shell/MCommands.h"

#include "platform/forms/Forms.h"

#include <cmath>
#include <iterator>

namespace MCommands {

namespace {
using platform::vbAltMask;
using platform::vbCtrlMask;
using platform::vbShiftMask;

constexpr int16_t kNone = 0;
constexpr int16_t kCtrlShift = vbCtrlMask | vbShiftMask;

// The engine's usual zoom steps.
constexpr double kZoomSteps[] = {0.25, 0.33, 0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                 1.25, 1.5,  1.75, 2.0,  2.5,  3.0, 4.0, 5.0};
// Factors this close count as the same step.
constexpr double kZoomTolerance = 0.005;

// Who has a key first when the focus is in the page.
enum class First { Page, Browser };

struct KeyBinding {
    int16_t keyCode;
    int16_t shift;
    Command command;
    First first = First::Page;
};

// The keys that give a command wherever the focus is.
constexpr KeyBinding kBindings[] = {
    {platform::vbKeyLeft, vbAltMask, Command::GoBack},
    {platform::vbKeyBrowserBack, kNone, Command::GoBack, First::Browser},
    {platform::vbKeyRight, vbAltMask, Command::GoForward},
    {platform::vbKeyBrowserForward, kNone, Command::GoForward, First::Browser},
    {platform::vbKeyF5, kNone, Command::Refresh},
    {platform::vbKeyR, vbCtrlMask, Command::Refresh},
    {platform::vbKeyF5, vbShiftMask, Command::RefreshCompletely},
    {platform::vbKeyF5, vbCtrlMask, Command::RefreshCompletely},
    {platform::vbKeyR, kCtrlShift, Command::RefreshCompletely},
    {platform::vbKeyEscape, kNone, Command::Escape},
    {platform::vbKeyHome, vbAltMask, Command::GoHome},
    {platform::vbKeyL, vbCtrlMask, Command::FocusAddress},
    {platform::vbKeyD, vbAltMask, Command::FocusAddress},
    {platform::vbKeyF6, kNone, Command::FocusAddress},
    {platform::vbKeyF, vbCtrlMask, Command::Find},
    {platform::vbKeyF3, kNone, Command::FindNext},
    {platform::vbKeyF3, vbShiftMask, Command::FindPrevious},
    // "+" is Shift+"=" on many keyboards and a key of its own on others.
    {platform::vbKeyOemPlus, vbCtrlMask, Command::ZoomIn},
    {platform::vbKeyOemPlus, kCtrlShift, Command::ZoomIn},
    {platform::vbKeyAdd, vbCtrlMask, Command::ZoomIn},
    {platform::vbKeyOemMinus, vbCtrlMask, Command::ZoomOut},
    {platform::vbKeySubtract, vbCtrlMask, Command::ZoomOut},
    {platform::vbKey0, vbCtrlMask, Command::ZoomReset},
    {platform::vbKeyNumpad0, vbCtrlMask, Command::ZoomReset},
    {platform::vbKeyP, vbCtrlMask, Command::Print},
    {platform::vbKeyF11, kNone, Command::FullScreen, First::Browser},
    {platform::vbKeyW, vbCtrlMask, Command::Close, First::Browser},
    {platform::vbKeyQ, vbCtrlMask, Command::Close, First::Browser},
};

const KeyBinding* BindingOf(int16_t KeyCode, int16_t Shift)
{
    for (const KeyBinding& binding : kBindings)
        if (binding.keyCode == KeyCode && binding.shift == Shift)
            return &binding;
    return nullptr;
}
}  // namespace

Command CommandOfKey(int16_t KeyCode, int16_t Shift, FocusPlace Place)
{
    // Enter in the find box finds again; elsewhere it keeps its own meaning.
    if (Place == FocusPlace::FindBox && KeyCode == platform::vbKeyReturn) {
        if (Shift == kNone)
            return Command::FindNext;
        if (Shift == vbShiftMask)
            return Command::FindPrevious;
    }
    // Escape in the address box takes back what was typed there.
    if (Place == FocusPlace::AddressBox && KeyCode == platform::vbKeyEscape && Shift == kNone)
        return Command::RestoreAddress;
    const KeyBinding* binding = BindingOf(KeyCode, Shift);
    return binding ? binding->command : Command::None;
}

bool BrowserFirst(int16_t KeyCode, int16_t Shift)
{
    const KeyBinding* binding = BindingOf(KeyCode, Shift);
    return binding && binding->first == First::Browser;
}

double NextZoomFactor(double dblFactor, int iStep)
{
    if (iStep > 0) {
        for (const double step : kZoomSteps)
            if (step > dblFactor + kZoomTolerance)
                return step;
        return kZoomSteps[std::size(kZoomSteps) - 1];
    }
    if (iStep < 0) {
        for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it)
            if (*it < dblFactor - kZoomTolerance)
                return *it;
        return kZoomSteps[0];
    }
    return dblFactor;
}

QString ZoomText(double dblFactor)
{
    return QStringLiteral("Zoom %1%").arg(std::lround(dblFactor * 100));
}

QString FindResultText(int lngActiveMatch, int lngNumberOfMatches)
{
    if (lngNumberOfMatches <= 0)
        return QStringLiteral("Not found");
    return QStringLiteral("%1 of %2").arg(lngActiveMatch).arg(lngNumberOfMatches);
}

}  // namespace MCommands
