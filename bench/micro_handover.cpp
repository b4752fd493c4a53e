// Measures what one running program per user adds to a start: the first
// start's claim of the socket (lock, bind, listen, the answering thread, and
// their removal), and a later start's hand-over of an address up to the
// running program's answer, both in one process and without the engine.
#include "platform/system/SingleInstance.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kRounds = 2000;
constexpr auto kAddress = "file:///home/user/Documents/page.html";
}  // namespace

int main()
{
    // Folders of its own, so that no running program is met.
    const QTemporaryDir folder;
    ::setenv("XDG_RUNTIME_DIR", folder.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit().constData(), 1);

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRounds; ++i) {
        platform::SingleInstance first;
        if (first.HandOver(QString()) || first.ListeningSocket().empty())
            return 1;
    }
    std::printf("RESULT handover_first_start %.1f us\n", double(timer.nsecsElapsed()) / 1e3 / kRounds);

    platform::SingleInstance running;
    if (running.HandOver(QString()))
        return 1;
    timer.restart();
    for (int i = 0; i < kRounds; ++i) {
        platform::SingleInstance later;
        if (later.HandOver(QString::fromLatin1(kAddress)) != 0)
            return 1;
    }
    std::printf("RESULT handover_later_start %.1f us\n", double(timer.nsecsElapsed()) / 1e3 / kRounds);
    return 0;
}
