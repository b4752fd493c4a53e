#pragma once
// One running program per user and per profile: two starts that would share
// any of the program's folders (the config folder, the data folder with the
// engine's profile, the history and the zoom, or the cache folder) meet. The
// first start runs; a later one connects to it, sends its command line and
// ends as soon as the running program's main thread has taken it.
//
// Each folder has a lock file and a socket in the user's private runtime
// folder. The running program holds every lock (flock) from its start until
// its process is gone, so of several starts at the same moment exactly one
// runs, and a later start never runs beside it:
// - It listens on the sockets once its main thread first lets events run
//   (its engine has started by then), and stops when its event loop ends.
//   A later start that finds the locks held and nothing listening waits for
//   the program to listen or to end, and then hands over or runs itself.
// - Only the main thread answers, in any event loop, a nested one (a modal
//   box) included. A program that does not take the command line within two
//   seconds, or that neither listens nor ends within a generous bound, is
//   not joined: the later start says so and ends with status 1.
// A socket left behind by a program that crashed is told from a live one
// by its lock without waiting.
//
// Integration: main() calls, before anything else,
//   platform::SingleInstance instance;
//   if (const std::optional<int> status = instance.HandOver(argc, argv))
//       return *status;   // after a box when instance.NotResponding()
// once the application object exists,
//   instance.Listen();
// once the main window exists,
//   instance.SetReceiver([](const QString& commandLine) { ...; return taken; });
// and when the event loop has ended,
//   instance.StopListening();
//   instance.HoldLocksUntilExit();
#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace platform {

// The longest command line handed over, in bytes of UTF-8.
inline constexpr qsizetype kMaxHandOverBytes = 64 * 1024;
// How long a later start waits for the running program to take its command
// line.
inline constexpr int kHandOverTimeoutMs = 2000;
// How long a later start waits for a program that holds the locks but does
// not listen (it is starting its engine, or ending) to listen or to end.
inline constexpr int kStartOrEndTimeoutMs = 20000;

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

// Where the socket and the lock file of one folder live. The place is
// $XDG_RUNTIME_DIR when that is a folder of the user's own that only the user
// can reach (mode 0700) and the socket's path fits the system's limit; else
// "<$TMPDIR or /tmp>/skerrywind-<uid>", made so. The names carry a short hash
// of the folder, however it is named. Empty paths and a notice when no such
// place can be had.
struct InstancePlace {
    std::string socket;
    std::string lock;
    std::string notice;
};
InstancePlace ChooseInstancePlace(const char* runtimeFolderVariable, const char* tmpFolderVariable,
                                  const QString& folder);

class SingleInstance {
public:
    // `startOrEndTimeoutMs`: how long HandOver waits for a program that holds
    // the locks but does not listen.
    explicit SingleInstance(int startOrEndTimeoutMs = kStartOrEndTimeoutMs);
    // Stops listening and removes the sockets; the locks go last (unless
    // they are held until the process ends).
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Before the application object exists: hands the command line (the
    // arguments after the program's name, joined with single blanks) to the
    // program already running on any of this start's folders. Returns the
    // status this start ends with: 0 when the running program took it; 1
    // when it is longer than kMaxHandOverBytes, or when the running program
    // did not take it (NotResponding()), each said on stderr. Returns nothing
    // when this process is to run: it holds the locks then, or, when no
    // private place for them can be had, runs on its own (said on stderr).
    std::optional<int> HandOver(int argc, char** argv);
    std::optional<int> HandOver(const QString& commandLine);
    // HandOver ended the start because the running program did not take
    // the command line; the text says so to the user.
    bool NotResponding() const;
    static QString NotRespondingText();

    // Needs the application object; does nothing unless HandOver took the
    // locks. From the first time the main thread lets events run, the
    // program listens and takes later starts' command lines; those taken
    // before SetReceiver are held for it.
    void Listen();

    // Gives each command line taken from a later start to `receiver`, one at
    // a time through the event loop, in the order they came; those that came
    // before this call first. The later start ends once the receiver has
    // returned true; when it returns false (the program is ending) the later
    // start tries again.
    using Receiver = std::function<bool(const QString& commandLine)>;
    void SetReceiver(Receiver receiver);

    // Stops listening (it also does so when the application's event loop
    // ends): later starts wait for this process to end.
    void StopListening();
    // The locks stay held until the process is gone, past this object.
    void HoldLocksUntilExit();

    // The socket of the config folder this process listens on, or empty.
    std::string ListeningSocket() const;

    // Called once a process that listened has stopped, its locks still
    // held; tests use it to hold a program at exactly that moment of its end.
    static void SetStoppedListeningHook(std::function<void()> hook);

private:
    struct Place {
        std::string socket;
        std::string lock;
        int lockFd = -1;
    };
    struct Server;

    bool lockAll();
    void startListening();

    int startOrEndTimeoutMs_;
    std::vector<Place> places_;
    std::string configSocket_;
    // HandOver took the locks: this process is the one that runs.
    bool runs_ = false;
    bool notResponding_ = false;
    bool holdLocks_ = false;
    std::unique_ptr<QObject> context_;
    std::unique_ptr<Server> server_;
};

}  // namespace platform
