// Linked only into the copy of the program that the tests start as a process
// (skerrywind_with_test_hooks); the program that is built to run and to be
// installed has none of this. Each hook is asked for through the environment
// and reaches the program through a seam of the platform layer.
//   SKERRYWIND_SIGNAL_AT_LOOP=N     the program sends itself SIGTERM as its
//                                   Nth nested event loop (DoEvents, a modal
//                                   Show, a message box) begins
//   SKERRYWIND_STOP_WHEN_ENDING=1   the program stops itself (SIGSTOP) as it
//                                   stops listening for later starts at its
//                                   end, its locks still held
#include "platform/system/CodeDepth.h"
#include "platform/system/SingleInstance.h"

#include <QtGlobal>

#include <csignal>

namespace {
constexpr auto kSignalAtLoopVariable = "SKERRYWIND_SIGNAL_AT_LOOP";
constexpr auto kStopWhenEndingVariable = "SKERRYWIND_STOP_WHEN_ENDING";

// Installed before main() runs, so the count starts with the program's first
// nested loop.
[[maybe_unused]] const bool installed = [] {
    if (const int n = qEnvironmentVariableIntValue(kSignalAtLoopVariable); n > 0) {
        platform::SetNestedLoopHook([n, entries = 0]() mutable {
            if (++entries == n)
                std::raise(SIGTERM);
        });
    }
    if (qEnvironmentVariableIsSet(kStopWhenEndingVariable))
        platform::SingleInstance::SetStoppedListeningHook([] { std::raise(SIGSTOP); });
    return true;
}();
}  // namespace
