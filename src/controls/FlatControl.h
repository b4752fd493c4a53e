#pragma once
// What the three flat controls share: how an instance is built (its
// constituents, Initialize, then the stored properties of a running host or
// the defaults of a design surface), the hover poll that watches the pointer
// every 10 ms, and the pointer reads of that poll. Each control keeps its own
// handlers; only this wiring is common.
#include "platform/forms/Timer.h"
#include "platform/forms/UserControl.h"
#include "platform/pointer/Pointer.h"

#include <cstdint>
#include <functional>

class FlatControl : public platform::UserControl {
    Q_OBJECT
protected:
    // Design size in twips.
    FlatControl(QWidget* parent, const QString& name, float designWidth, float designHeight);

    // The constructor's one step: CreateConstituents, UserControl_Initialize,
    // then the stored properties an instance of a running host is loaded
    // from (`stored`), or the defaults of one created anew on a design
    // surface (null: its hover poll stays off).
    void Build(const platform::PropertyBag* stored);
    virtual void CreateConstituents() = 0;
    virtual void UserControl_Initialize() = 0;

    // The hover poll: a pointer-polling timer named `name` that runs
    // `onTimer` every 10 ms. It is created off; ReadProperties turns it on
    // in a running host.
    platform::Timer* CreateMouseMonitor(const QString& name, std::function<void()> onTimer);

    // The pointer's screen position, read anew into ptCursor by each call.
    int32_t CursorX();
    int32_t CursorY();

    platform::POINTAPI ptCursor;
};
