#include "controls/FlatControl.h"

#include <utility>

namespace {
constexpr int kMonitorInterval = 10;
}  // namespace

FlatControl::FlatControl(QWidget* parent, const QString& name, float designWidth, float designHeight)
    : UserControl(parent, name, designWidth, designHeight)
{
}

void FlatControl::Build(const platform::PropertyBag* stored)
{
    CreateConstituents();
    UserControl_Initialize();
    if (stored)
        Load(*stored);
    else
        InitNew();
}

platform::Timer* FlatControl::CreateMouseMonitor(const QString& name, std::function<void()> onTimer)
{
    auto* timer = new platform::Timer(this, std::move(onTimer));
    timer->setObjectName(name);
    timer->SetInterval(kMonitorInterval);
    timer->SetPollsPointer(true);
    timer->SetEnabled(false);
    return timer;
}

int32_t FlatControl::CursorX()
{
    platform::GetCursorPos(ptCursor);
    return ptCursor.x;
}

int32_t FlatControl::CursorY()
{
    platform::GetCursorPos(ptCursor);
    return ptCursor.y;
}
