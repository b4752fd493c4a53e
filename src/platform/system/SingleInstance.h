#pragma once
// One running program per user and config folder. The first start listens on
// a local socket in the user's private runtime folder; a later start connects,
// sends its command line and ends as soon as the running program answers that
// it has taken it. Without an answer within two seconds the later start runs
// on its own.
//
// A lock file next to the socket is held (flock) by the listening program for
// as long as it runs, so a socket left behind by a program that crashed is
// told from a live one without waiting, and of several starts at the same
// moment exactly one listens. A thread of its own answers, so a later start
// is answered while the running program is still starting its engine or busy
// in a modal box; the command lines it took reach the main thread through the
// event loop.
//
// Integration: main() calls, before anything else,
//   platform::SingleInstance instance;
//   if (const std::optional<int> status = instance.HandOver(argc, argv))
//       return *status;
// and, once the application object and the main window exist,
//   instance.SetReceiver([](const QString& commandLine) { ... });
#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// The longest command line handed over, in bytes of UTF-8.
inline constexpr qsizetype kMaxHandOverBytes = 64 * 1024;
// How long a later start waits for the running program to answer.
inline constexpr int kHandOverTimeoutMs = 2000;

// The message a later start sends: the length of the command line (4 bytes,
// most significant first), then the command line in UTF-8.
QByteArray FrameCommandLine(const QByteArray& utf8);

// What the bytes received so far make: not yet a whole message, no message
// at all (longer than the limit, not valid UTF-8, a NUL character, bytes after
// its end), or a whole one with its text.
struct ReceivedFrame {
    enum Status { Incomplete, Malformed, Complete };
    Status status = Incomplete;
    QString text;
};
ReceivedFrame ReadFrame(QByteArrayView received);

// Where the socket and its lock file live. The folder is $XDG_RUNTIME_DIR
// when that is a folder of the user's own that only the user can reach (mode
// 0700); else "<$TMPDIR or /tmp>/skerrywind-<uid>", made so. The names carry
// a short hash of the config folder, so programs with different config
// folders never meet. Empty paths and a notice when no such folder can be had.
struct InstancePlace {
    std::string socket;
    std::string lock;
    std::string notice;
};
InstancePlace ChooseInstancePlace(const char* runtimeFolderVariable, const char* tmpFolderVariable,
                                  const QString& configFolder);

class SingleInstance {
public:
    SingleInstance();
    // Stops listening and removes the socket file; the lock goes last.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Before the application object exists: hands the command line (the
    // arguments after the program's name, joined with single blanks) to the
    // program already running for this user and config folder. Returns the
    // status this start ends with: 0 when the running program took it, 1 when
    // it is longer than kMaxHandOverBytes (said on stderr). Returns nothing when
    // this process is to run: as the listening one, or on its own when no
    // program answered in time or no private folder could be had (said on
    // stderr).
    std::optional<int> HandOver(int argc, char** argv);
    std::optional<int> HandOver(const QString& commandLine);

    // Gives each command line taken from a later start to `receiver`, one at a
    // time through the event loop, in the order they came; those that came
    // before this call first. Needs the application object; listening ends
    // when its event loop ends.
    using Receiver = std::function<void(const QString& commandLine)>;
    void SetReceiver(Receiver receiver);

    // The socket this process listens on, or empty.
    std::string ListeningSocket() const;

private:
    struct Server;

    int lockFd_ = -1;
    std::unique_ptr<Server> server_;
};

}  // namespace platform
