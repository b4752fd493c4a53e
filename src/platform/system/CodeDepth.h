#pragma once
// How deep the program's own code is on the stack of this thread. Each event
// the application delivers counts one level while it is handled, and so does
// each entry of the runtime into the program's code that does not come from
// an event (a form loaded from main, a test calling in directly) and each
// nested event loop (DoEvents, a modal Show, a message box). When the count
// is back at zero nothing of the program is running any more: that is when
// the forms runtime destroys what was unloaded meanwhile.
#include <functional>

namespace platform {

class CodeScope {
public:
    CodeScope();
    ~CodeScope();
    CodeScope(const CodeScope&) = delete;
    CodeScope& operator=(const CodeScope&) = delete;
};

// The depth now on this thread: 0 when none of the program's code runs.
int CodeDepth();

// Runs `action` once the depth is back at zero on this thread (at once when
// it is zero now). The actions run in the order they were given.
void WhenUnwound(std::function<void()> action);

// Entered by every nested event loop the program runs: DoEvents, a modal
// Show, a message box, a dialog's own loop. Counts as a CodeScope and calls
// the nested-loop hook first.
class NestedLoop : public CodeScope {
public:
    NestedLoop();
};

// Called at the entry of every nested loop, before it runs; tests use it to
// make things happen at exactly that moment. Returns the previous hook.
using NestedLoopHook = std::function<void()>;
NestedLoopHook SetNestedLoopHook(NestedLoopHook hook);

}  // namespace platform
