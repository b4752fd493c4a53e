#include "platform/system/CodeDepth.h"

#include <utility>
#include <vector>

namespace platform {

namespace {
thread_local int depth = 0;
thread_local std::vector<std::function<void()>> unwoundActions;

NestedLoopHook& nestedLoopHook()
{
    static NestedLoopHook hook;
    return hook;
}

void runUnwoundActions()
{
    // Taken first: an action given while these run (at depth zero) runs at once.
    std::vector<std::function<void()>> actions = std::move(unwoundActions);
    unwoundActions.clear();
    for (auto& action : actions)
        action();
}
}  // namespace

CodeScope::CodeScope()
{
    ++depth;
}

CodeScope::~CodeScope()
{
    if (--depth == 0 && !unwoundActions.empty())
        runUnwoundActions();
}

int CodeDepth()
{
    return depth;
}

void WhenUnwound(std::function<void()> action)
{
    if (depth == 0) {
        action();
        return;
    }
    unwoundActions.push_back(std::move(action));
}

NestedLoop::NestedLoop()
{
    if (nestedLoopHook())
        nestedLoopHook()();
}

NestedLoopHook SetNestedLoopHook(NestedLoopHook hook)
{
    NestedLoopHook previous = std::move(nestedLoopHook());
    nestedLoopHook() = std::move(hook);
    return previous;
}

}  // namespace platform
