#pragma once
// SIGTERM, SIGINT and SIGHUP end the program the way a user closing its main
// window does, so that its unload stores what it stores. The signal handler
// only writes the signal's number to a pipe; the callback runs later in the
// event loop. A second signal while the first is still being handled ends the
// program at once, the signal's default way (a second Ctrl+C always works).
//
// Integration: main() calls, after creating the application object,
//   platform::TerminationSignals::install([](int) { /* unload the main form */ });
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace platform {

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(int signalNumber)>;

    // Installs the handlers for SIGTERM, SIGINT and SIGHUP once per process;
    // a later call only replaces the callback. Needs the application object.
    static void install(Handler handler);

private:
    explicit TerminationSignals(int readEnd, QObject* parent);
    void readSignals();

    int readEnd_;
    QSocketNotifier* notifier_;
    Handler handler_;
};

}  // namespace platform
