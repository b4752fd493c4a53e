#pragma once
// SIGTERM, SIGINT and SIGHUP end the program the way a user closing its main
// window does, so that its unload stores what it stores. The signal handler
// only writes the signal's number to a pipe; the callback runs later in the
// event loop (or in the first nested loop of the start-up). A second signal
// while the first is still being handled ends the program at once, the
// signal's default way (a second Ctrl+C always works).
//
// Integration: main() calls Install() first of all, so that a signal from
// then on is remembered, and once the application object exists
//   platform::TerminationSignals::SetHandler([](int) { /* unload the main form */ });
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace platform {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int signalNumber)>;

    // Catches SIGTERM, SIGINT and SIGHUP from now on (once per process).
    // Needs nothing else: call it before anything that can take time.
    static void Install();
    // The callback for the signals caught, run from the event loop; a signal
    // that came before is handed over as soon as the loop runs. Needs the
    // application object; installs the handlers if Install() has not. A later
    // call only replaces the callback.
    static void SetHandler(Handler handler);
    // Whether a termination signal has arrived.
    static bool Received();
    // Hands `signalNumber` over as if it had arrived, except that a later
    // one does not end the program at once. For tests.
    static void Simulate(int signalNumber);

private:
    explicit TerminationSignals(int readEnd, QObject* parent);
    void readSignals();

    int readEnd_;
    QSocketNotifier* notifier_;
    Handler handler_;
};

}  // namespace platform
