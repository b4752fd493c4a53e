#include "platform/system/SingleInstance.h"

#include "platform/system/PrivateFolders.h"
#include "platform/system/Settings.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStringDecoder>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr qsizetype kHeaderBytes = 4;
constexpr char kAnswer[] = {'o', 'k'};
// The fallback folder is this and the user id; a socket and its lock are
// this and a hash of their folder.
constexpr auto kNamePrefix = "skerrywind-";
constexpr qsizetype kNameHashChars = 16;
// How often a later start looks again while the running program holds the
// locks but does not listen (it is starting, or ending).
constexpr int kRetryMs = 10;
// A connection that has not sent its whole message by then is dropped, so a
// silent one cannot hold the others up for long.
constexpr int kReadTimeoutMs = 1000;
// While the process is out of descriptors, accepting waits this long between
// tries instead of spinning.
constexpr int kAcceptBackOffMs = 100;
constexpr int kListenBacklog = 16;

using Clock = std::chrono::steady_clock;

std::function<void()>& stoppedListeningHook()
{
    static std::function<void()> hook;
    return hook;
}

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::max<decltype(left)>(left, 0));
}

void notice(const std::string& text)
{
    std::fprintf(stderr, "skerrywind: %s\n", text.c_str());
}

bool isPrivateFolder(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid()
           && (info.st_mode & 0777) == kPrivateFolderMode;
}

bool isAbsolute(const char* path)
{
    return path && path[0] == '/';
}

// The folder with symbolic links and "." or ".." resolved, so that every
// way of naming it gives one socket.
QString resolvedFolder(const QString& folder)
{
    const QFileInfo info(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
    if (const QString canonical = info.canonicalFilePath(); !canonical.isEmpty())
        return canonical;
    if (const QString parent = QFileInfo(info.path()).canonicalFilePath(); !parent.isEmpty())
        return parent + u'/' + info.fileName();
    return info.filePath();
}

bool fillAddress(sockaddr_un& address, const std::string& path)
{
    if (path.size() >= sizeof(address.sun_path))
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool peerIsThisUser(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof(credentials);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 && credentials.uid == ::geteuid();
}

// A connected socket to the listening program, or -1 when none listens there
// (or its queue of connections is full).
int connectTo(const std::string& path)
{
    sockaddr_un address;
    if (!fillAddress(address, path))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Waits for `events` on `fd` until the deadline; false when it passed first.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, msLeft(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// What came of handing the command line over on one connection.
enum class Answer {
    Taken,   // the running program took it
    Closed,  // the connection ended without an answer: it takes none now
    Silent,  // no answer by the deadline
};

// Sends the message and waits for the answer.
Answer sendAndAwaitAnswer(int fd, const QByteArray& message, Clock::time_point deadline)
{
    for (qsizetype sent = 0; sent < message.size();) {
        const ssize_t n = ::send(fd, message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return Answer::Closed;
        else if (!waitFor(fd, POLLOUT, deadline))
            return Answer::Silent;
    }
    char answer[sizeof(kAnswer)];
    size_t received = 0;
    while (received < sizeof(answer)) {
        const ssize_t n = ::recv(fd, answer + received, sizeof(answer) - received, 0);
        if (n > 0)
            received += size_t(n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return Answer::Closed;
        else if (!waitFor(fd, POLLIN, deadline))
            return Answer::Silent;
    }
    return std::memcmp(answer, kAnswer, sizeof(kAnswer)) == 0 ? Answer::Taken : Answer::Closed;
}

// The later start on the other end has given up waiting and closed.
bool peerGone(int fd)
{
    pollfd entry{fd, 0, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL));
}

// Makes the socket path free for this process's socket; called with the lock
// held, so no running program listens there. A socket is what a program that
// ended without removing it left; anything else is moved aside, not deleted.
bool clearSocketPath(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT;
    if (S_ISSOCK(info.st_mode))
        return ::unlink(path.c_str()) == 0;
    const std::string aside = path + ".moved-" + std::to_string(::getpid());
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) != 0) {
        notice(path + " is not a socket and cannot be moved aside (" + std::strerror(errno) + ")");
        return false;
    }
    notice(path + " was not a socket; moved to " + aside);
    return true;
}

int listenOn(const std::string& path)
{
    sockaddr_un address;
    if (!fillAddress(address, path) || !clearSocketPath(path))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0
        || ::listen(fd, kListenBacklog) != 0) {
        notice("cannot listen on " + path + " (" + std::strerror(errno) + ")");
        ::close(fd);
        return -1;
    }
    return fd;
}

void signalEvent(int eventFd)
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(eventFd, &one, sizeof(one));
}
}  // namespace

QByteArray FrameCommandLine(const QByteArray& utf8)
{
    const auto size = uint32_t(utf8.size());
    QByteArray frame;
    frame.reserve(kHeaderBytes + utf8.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        frame.append(char((size >> shift) & 0xff));
    return frame + utf8;
}

ReceivedFrame ReadFrame(QByteArrayView received)
{
    if (received.size() < kHeaderBytes)
        return {};
    uint32_t size = 0;
    for (qsizetype i = 0; i < kHeaderBytes; ++i)
        size = (size << 8) | uint8_t(received[i]);
    if (size > uint32_t(kMaxHandOverBytes) || received.size() > kHeaderBytes + qsizetype(size))
        return {ReceivedFrame::Malformed, {}};
    if (received.size() < kHeaderBytes + qsizetype(size))
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(received.sliced(kHeaderBytes));
    if (decoder.hasError() || text.contains(QChar(0)))
        return {ReceivedFrame::Malformed, {}};
    return {ReceivedFrame::Complete, text};
}

InstancePlace ChooseInstancePlace(const char* runtimeFolderVariable, const char* tmpFolderVariable,
                                  const QString& folder)
{
    const QByteArray hash = QCryptographicHash::hash(resolvedFolder(folder).toUtf8(), QCryptographicHash::Sha256)
                                .toHex()
                                .left(kNameHashChars);
    const std::string name = '/' + std::string(kNamePrefix) + hash.toStdString();
    const auto placeIn = [&](const std::string& place) {
        return InstancePlace{place + name + ".socket", place + name + ".lock", {}};
    };
    const auto fits = [](const InstancePlace& place) { return place.socket.size() < sizeof(sockaddr_un::sun_path); };

    if (isAbsolute(runtimeFolderVariable) && isPrivateFolder(runtimeFolderVariable)) {
        if (const InstancePlace place = placeIn(runtimeFolderVariable); fits(place))
            return place;
    }
    const std::string fallback = std::string(isAbsolute(tmpFolderVariable) ? tmpFolderVariable : "/tmp") + '/'
                                 + kNamePrefix + std::to_string(::geteuid());
    ::mkdir(fallback.c_str(), kPrivateFolderMode);
    if (!isPrivateFolder(fallback))
        return {{},
                {},
                "no private folder for the socket (" + fallback + " is not a folder of this user's with mode 0700)"};
    const InstancePlace place = placeIn(fallback);
    if (!fits(place))
        return {{}, {}, "the socket path " + place.socket + " is too long"};
    return place;
}

// ---- the listening side ----

namespace {
// A connection whose later start waits for its answer; closed with the last
// copy, answered or not.
struct Connection {
    explicit Connection(int descriptor) : fd(descriptor) {}
    ~Connection() { ::close(fd); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    void Answer() const { [[maybe_unused]] const ssize_t sent = ::send(fd, kAnswer, sizeof(kAnswer), MSG_NOSIGNAL); }
    int fd;
};
}  // namespace

struct SingleInstance::Server {
    struct Arrival {
        QString text;
        int fd;
    };

    std::vector<std::string> socketPaths;
    std::vector<int> listenFds;
    int stopFd = -1;     // written to end the thread
    int arrivedFd = -1;  // written by the thread for each command line read
    std::mutex mutex;
    std::deque<Arrival> arrived;
    std::thread thread;
    bool listening = false;
    bool stopped = false;
    // The main thread's side.
    QObject* context = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;
    Receiver receiver;
    std::vector<QString> held;

    explicit Server(QObject* owner)
        : stopFd(::eventfd(0, EFD_CLOEXEC)), arrivedFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), context(owner)
    {
    }

    ~Server()
    {
        stop();
        notifier.reset();
        if (stopFd >= 0)
            ::close(stopFd);
        if (arrivedFd >= 0)
            ::close(arrivedFd);
    }

    // Listens on the sockets, reading from a thread of its own, so that a
    // slow or silent connection never holds up the main thread.
    void start(const std::vector<std::string>& paths)
    {
        if (listening || stopped)
            return;
        for (const std::string& path : paths) {
            if (const int fd = listenOn(path); fd >= 0) {
                socketPaths.push_back(path);
                listenFds.push_back(fd);
            } else {
                notice("later starts cannot reach this program at " + path);
            }
        }
        if (listenFds.empty() || stopFd < 0 || arrivedFd < 0) {
            closeSockets();
            return;
        }
        try {
            thread = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            notice("later starts cannot reach this program (no thread to listen)");
            closeSockets();
            return;
        }
        listening = true;
        notifier = std::make_unique<QSocketNotifier>(arrivedFd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, context, [this] { deliver(); });
    }

    void closeSockets()
    {
        for (size_t i = 0; i < listenFds.size(); ++i) {
            ::close(listenFds[i]);
            ::unlink(socketPaths[i].c_str());
        }
        listenFds.clear();
    }

    // Ends the listening for good: later starts find no program listening,
    // and the locks, still held, keep them from running until this process
    // has ended. What was read but not yet taken goes unanswered.
    void stop()
    {
        stopped = true;
        if (!listening)
            return;
        listening = false;
        signalEvent(stopFd);
        thread.join();
        closeSockets();
        notifier->setEnabled(false);
        const std::lock_guard<std::mutex> guard(mutex);
        for (const Arrival& arrival : arrived)
            ::close(arrival.fd);
        arrived.clear();
    }

    bool stopRequested(int timeoutMs)
    {
        pollfd entry{stopFd, POLLIN, 0};
        return ::poll(&entry, 1, timeoutMs) > 0;
    }

    void run()
    {
        std::vector<pollfd> entries{{stopFd, POLLIN, 0}};
        for (const int fd : listenFds)
            entries.push_back({fd, POLLIN, 0});
        for (;;) {
            if (::poll(entries.data(), nfds_t(entries.size()), -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (entries[0].revents)
                return;
            for (size_t i = 1; i < entries.size(); ++i) {
                if (!entries[i].revents)
                    continue;
                const int connection = ::accept4(entries[i].fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (connection < 0) {
                    if ((errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                        && stopRequested(kAcceptBackOffMs))
                        return;
                    continue;
                }
                if (!serve(connection))
                    ::close(connection);
            }
        }
    }

    // Reads one message; a whole, valid one goes to the main thread with its
    // connection (true), anything else is dropped without an answer.
    bool serve(int connection)
    {
        if (!peerIsThisUser(connection))
            return false;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kReadTimeoutMs);
        QByteArray received;
        for (;;) {
            const ReceivedFrame frame = ReadFrame(received);
            if (frame.status == ReceivedFrame::Malformed)
                return false;
            if (frame.status == ReceivedFrame::Complete) {
                {
                    const std::lock_guard<std::mutex> guard(mutex);
                    arrived.push_back({frame.text, connection});
                }
                signalEvent(arrivedFd);
                return true;
            }
            pollfd entries[] = {{stopFd, POLLIN, 0}, {connection, POLLIN, 0}};
            const int ready = ::poll(entries, 2, msLeft(deadline));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0 || entries[0].revents)
                return false;
            // Never more than one byte past the longest message: that much
            // already makes it malformed.
            char buffer[4096];
            const qsizetype room = kHeaderBytes + kMaxHandOverBytes + 1 - received.size();
            const ssize_t n = ::read(connection, buffer, size_t(std::min<qsizetype>(room, sizeof(buffer))));
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                return false;
            received.append(buffer, n);
        }
    }

    // Main thread: takes what the thread read. Before there is a receiver a
    // command line is answered at once and held; after, each goes to the
    // receiver in an event of its own (so a failure in one does not lose the
    // others) and is answered when the receiver took it. A later start that
    // gave up meanwhile is not taken.
    void deliver()
    {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(arrivedFd, &count, sizeof(count));
        std::deque<Arrival> taken;
        {
            const std::lock_guard<std::mutex> guard(mutex);
            taken.swap(arrived);
        }
        for (const Arrival& arrival : taken) {
            auto connection = std::make_shared<const Connection>(arrival.fd);
            if (peerGone(connection->fd))
                continue;
            if (!receiver) {
                connection->Answer();
                held.push_back(arrival.text);
                continue;
            }
            QMetaObject::invokeMethod(
                context,
                [this, text = arrival.text, connection] {
                    if (listening && !peerGone(connection->fd) && receiver(text))
                        connection->Answer();
                },
                Qt::QueuedConnection);
        }
    }

    void setReceiver(Receiver newReceiver)
    {
        receiver = std::move(newReceiver);
        for (const QString& text : std::exchange(held, {}))
            QMetaObject::invokeMethod(
                context, [this, text] { receiver(text); }, Qt::QueuedConnection);
    }
};

SingleInstance::SingleInstance(int startOrEndTimeoutMs) : startOrEndTimeoutMs_(startOrEndTimeoutMs) {}

SingleInstance::~SingleInstance()
{
    // Nothing queued for the receiver runs any more.
    context_.reset();
    server_.reset();
    if (!holdLocks_) {
        for (const Place& place : places_)
            if (place.lockFd >= 0)
                ::close(place.lockFd);
    }
}

std::optional<int> SingleInstance::HandOver(int argc, char** argv)
{
    // The arguments as the application object will read them.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return HandOver(arguments.join(u' '));
}

std::optional<int> SingleInstance::HandOver(const QString& commandLine)
{
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    const char* tmpFolder = std::getenv("TMPDIR");
    for (const QString& folder : ProgramFolders()) {
        const InstancePlace place = ChooseInstancePlace(runtimeFolder, tmpFolder, folder);
        if (place.socket.empty()) {
            notice(place.notice + "; running on its own");
            places_.clear();
            return std::nullopt;
        }
        if (configSocket_.empty())
            configSocket_ = place.socket;
        if (std::none_of(places_.begin(), places_.end(), [&](const Place& p) { return p.socket == place.socket; }))
            places_.push_back({place.socket, place.lock});
    }
    // Taken in one order by every start, so that no two wait for each other.
    std::sort(places_.begin(), places_.end(), [](const Place& a, const Place& b) { return a.socket < b.socket; });
    for (Place& place : places_) {
        place.lockFd = ::open(place.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kPrivateFileMode);
        if (place.lockFd < 0) {
            notice("cannot open " + place.lock + " (" + std::strerror(errno) + "); running on its own");
            for (const Place& opened : places_)
                if (opened.lockFd >= 0)
                    ::close(opened.lockFd);
            places_.clear();
            return std::nullopt;
        }
    }

    const QByteArray utf8 = commandLine.toUtf8();
    const Clock::time_point startOrEndDeadline = Clock::now() + std::chrono::milliseconds(startOrEndTimeoutMs_);
    bool waitingSaid = false;
    for (;;) {
        for (const Place& place : places_) {
            const int fd = connectTo(place.socket);
            if (fd < 0)
                continue;
            if (utf8.size() > kMaxHandOverBytes) {
                ::close(fd);
                notice("the command line is longer than " + std::to_string(kMaxHandOverBytes)
                       + " bytes and is not handed to the running program");
                return 1;
            }
            const Answer answer = sendAndAwaitAnswer(fd, FrameCommandLine(utf8),
                                                     Clock::now() + std::chrono::milliseconds(kHandOverTimeoutMs));
            ::close(fd);
            if (answer == Answer::Taken)
                return 0;
            if (answer == Answer::Silent) {
                notResponding_ = true;
                notice(NotRespondingText().toStdString() + " It did not take the command line within "
                       + std::to_string(kHandOverTimeoutMs / 1000) + " s.");
                return 1;
            }
            // Closed unanswered: it is ending; look again.
        }
        // Nothing listens. Without a program holding the locks, whatever is
        // at the socket paths is left over, and this start runs; one that
        // holds them is starting or ending.
        if (lockAll()) {
            runs_ = true;
            return std::nullopt;
        }
        if (Clock::now() >= startOrEndDeadline) {
            notResponding_ = true;
            notice(NotRespondingText().toStdString() + " It has neither started nor ended within "
                   + std::to_string(startOrEndTimeoutMs_ / 1000) + " s.");
            return 1;
        }
        if (!waitingSaid) {
            waitingSaid = true;
            notice("waiting for the program running on the same folders to start or to end");
        }
        ::poll(nullptr, 0, std::min(kRetryMs, msLeft(startOrEndDeadline)));
    }
}

bool SingleInstance::NotResponding() const
{
    return notResponding_;
}

QString SingleInstance::NotRespondingText()
{
    return QStringLiteral("Skerrywind is running but not responding.");
}

bool SingleInstance::lockAll()
{
    for (size_t i = 0; i < places_.size(); ++i) {
        if (::flock(places_[i].lockFd, LOCK_EX | LOCK_NB) != 0) {
            while (i-- > 0)
                ::flock(places_[i].lockFd, LOCK_UN);
            return false;
        }
    }
    return true;
}

void SingleInstance::Listen()
{
    if (!runs_ || context_)
        return;
    context_ = std::make_unique<QObject>();
    server_ = std::make_unique<Server>(context_.get());
    // The first time the main thread lets events run; the engine has
    // started by then, so a later start is not kept waiting by it.
    QTimer::singleShot(0, context_.get(), [this] { startListening(); });
    // Later starts are taken only while the event loop runs.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, context_.get(),
                     [this] { StopListening(); });
}

void SingleInstance::startListening()
{
    std::vector<std::string> paths;
    for (const Place& place : places_)
        paths.push_back(place.socket);
    server_->start(paths);
}

void SingleInstance::SetReceiver(Receiver receiver)
{
    if (server_)
        server_->setReceiver(std::move(receiver));
}

void SingleInstance::StopListening()
{
    if (!server_ || server_->stopped)
        return;
    const bool wasListening = server_->listening;
    server_->stop();
    if (wasListening && stoppedListeningHook())
        stoppedListeningHook()();
}

void SingleInstance::SetStoppedListeningHook(std::function<void()> hook)
{
    stoppedListeningHook() = std::move(hook);
}

void SingleInstance::HoldLocksUntilExit()
{
    holdLocks_ = true;
}

std::string SingleInstance::ListeningSocket() const
{
    if (!server_ || !server_->listening)
        return {};
    return std::find(server_->socketPaths.begin(), server_->socketPaths.end(), configSocket_)
                   != server_->socketPaths.end()
               ? configSocket_
               : std::string();
}

}  // namespace platform
