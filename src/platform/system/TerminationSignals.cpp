#include "platform/system/TerminationSignals.h"

#include "platform/system/MessageBox.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr std::array<int, 3> terminationSignals{SIGTERM, SIGINT, SIGHUP};

int pipeReadEnd = -1;
int pipeWriteEnd = -1;
volatile std::sig_atomic_t pending = 0;

// Only async-signal-safe calls here.
void onSignal(int signalNumber)
{
    if (pending) {
        // The first one is still being handled: this one ends the program.
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    pending = 1;
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeWriteEnd, &byte, 1);
    errno = savedErrno;
}

QPointer<TerminationSignals>& current()
{
    static QPointer<TerminationSignals> instance;
    return instance;
}
}  // namespace

TerminationSignals::TerminationSignals(int readEnd, QObject* parent)
    : QObject(parent), readEnd_(readEnd), notifier_(new QSocketNotifier(readEnd, QSocketNotifier::Read, this))
{
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readSignals);
}

void TerminationSignals::Install()
{
    if (pipeWriteEnd >= 0)
        return;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // no pipe: the signals keep their default action
    pipeReadEnd = ends[0];
    pipeWriteEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : terminationSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

void TerminationSignals::SetHandler(Handler handler)
{
    Install();
    if (pipeReadEnd < 0)
        return;
    if (!current())
        current() = new TerminationSignals(pipeReadEnd, QCoreApplication::instance());
    current()->handler_ = std::move(handler);
}

bool TerminationSignals::Received()
{
    return pending != 0;
}

void TerminationSignals::Simulate(int signalNumber)
{
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeWriteEnd, &byte, 1);
}

void TerminationSignals::readSignals()
{
    unsigned char byte = 0;
    while (::read(readEnd_, &byte, 1) == 1) {
        // Nobody is there to answer a box any more.
        EndUnattended();
        if (handler_)
            handler_(byte);
    }
}

}  // namespace platform
