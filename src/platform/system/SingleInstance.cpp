#include "platform/system/SingleInstance.h"

#include "platform/system/Settings.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cerrno>
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
constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kLockFileMode = 0600;
// The fallback folder is this and the user id; the socket and the lock are
// this and a hash of the config folder.
constexpr auto kNamePrefix = "skerrywind-";
constexpr qsizetype kNameHashChars = 16;
// How often a later start looks again while the running program holds the
// lock but does not listen (it is just starting, or just ending).
constexpr int kRetryMs = 10;
// A connection that has not sent its whole message by then is dropped, so a
// silent one cannot hold the others up for long.
constexpr int kReadTimeoutMs = 1000;
// While the process is out of descriptors, accepting waits this long between
// tries instead of spinning.
constexpr int kAcceptBackOffMs = 100;
constexpr int kListenBacklog = 16;

using Clock = std::chrono::steady_clock;

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

bool isAbsolute(const char* path) { return path && path[0] == '/'; }

// The config folder with symbolic links and "." or ".." resolved, so that
// every way of naming it gives one socket.
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
    ucred credentials {};
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
        pollfd entry {fd, events, 0};
        const int ready = ::poll(&entry, 1, msLeft(deadline));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Sends the message and waits for the answer; true when the program took it.
bool sendAndAwaitAnswer(int fd, const QByteArray& message, Clock::time_point deadline)
{
    for (qsizetype sent = 0; sent < message.size();) {
        const ssize_t n = ::send(fd, message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        else if (!waitFor(fd, POLLOUT, deadline))
            return false;
    }
    char answer[sizeof(kAnswer)];
    size_t received = 0;
    while (received < sizeof(answer)) {
        const ssize_t n = ::recv(fd, answer + received, sizeof(answer) - received, 0);
        if (n > 0)
            received += size_t(n);
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
        else if (!waitFor(fd, POLLIN, deadline))
            return false;
    }
    return std::memcmp(answer, kAnswer, sizeof(kAnswer)) == 0;
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
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(received.sliced(kHeaderBytes));
    if (decoder.hasError() || text.contains(QChar(0)))
        return {ReceivedFrame::Malformed, {}};
    return {ReceivedFrame::Complete, text};
}

InstancePlace ChooseInstancePlace(const char* runtimeFolderVariable, const char* tmpFolderVariable,
                                  const QString& configFolder)
{
    std::string folder;
    if (isAbsolute(runtimeFolderVariable) && isPrivateFolder(runtimeFolderVariable)) {
        folder = runtimeFolderVariable;
    } else {
        folder = std::string(isAbsolute(tmpFolderVariable) ? tmpFolderVariable : "/tmp") + '/' + kNamePrefix
                 + std::to_string(::geteuid());
        ::mkdir(folder.c_str(), kPrivateFolderMode);
        if (!isPrivateFolder(folder))
            return {{}, {}, "no private folder for the socket (" + folder + " is not a folder of this user's with mode 0700)"};
    }
    const QByteArray hash = QCryptographicHash::hash(resolvedFolder(configFolder).toUtf8(), QCryptographicHash::Sha256)
                                .toHex()
                                .left(kNameHashChars);
    const std::string base = folder + '/' + kNamePrefix + hash.toStdString();
    InstancePlace place {base + ".socket", base + ".lock", {}};
    if (place.socket.size() >= sizeof(sockaddr_un::sun_path))
        return {{}, {}, "the socket path " + place.socket + " is too long"};
    return place;
}

// ---- the listening side ----

struct SingleInstance::Server {
    std::string socketPath;
    int listenFd = -1;
    int stopFd = -1;     // written to end the thread
    int arrivedFd = -1;  // written by the thread for each command line taken
    std::mutex mutex;
    std::deque<QString> arrived;
    std::thread thread;
    // The main thread's side, from SetReceiver on.
    std::unique_ptr<QSocketNotifier> notifier;
    Receiver receiver;

    // Answers on the listening socket `fd` from a thread of its own; nothing
    // (the socket closed and removed) when the thread cannot be had.
    static std::unique_ptr<Server> Start(std::string path, int fd)
    {
        auto server = std::unique_ptr<Server>(new Server(std::move(path), fd));
        if (server->stopFd < 0 || server->arrivedFd < 0)
            return nullptr;
        try {
            server->thread = std::thread([raw = server.get()] { raw->run(); });
        } catch (const std::system_error&) {
            return nullptr;
        }
        return server;
    }

    Server(std::string path, int fd)
        : socketPath(std::move(path)), listenFd(fd), stopFd(::eventfd(0, EFD_CLOEXEC)),
          arrivedFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
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

    // Ends the answering: later starts find no program listening here, and
    // the lock, still held, keeps them from taking over until this process
    // has ended.
    void stop()
    {
        if (listenFd < 0)
            return;
        if (thread.joinable()) {
            signalEvent(stopFd);
            thread.join();
        }
        ::close(listenFd);
        listenFd = -1;
        ::unlink(socketPath.c_str());
        if (notifier)
            notifier->setEnabled(false);
    }

    bool stopRequested(int timeoutMs)
    {
        pollfd entry {stopFd, POLLIN, 0};
        return ::poll(&entry, 1, timeoutMs) > 0;
    }

    void run()
    {
        for (;;) {
            pollfd entries[] = {{stopFd, POLLIN, 0}, {listenFd, POLLIN, 0}};
            if (::poll(entries, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (entries[0].revents)
                return;
            const int connection = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (connection < 0) {
                if ((errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                    && stopRequested(kAcceptBackOffMs))
                    return;
                continue;
            }
            serve(connection);
            ::close(connection);
        }
    }

    // Reads one message; a whole, valid one is taken and answered, anything
    // else is dropped without an answer.
    void serve(int connection)
    {
        if (!peerIsThisUser(connection))
            return;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kReadTimeoutMs);
        QByteArray received;
        for (;;) {
            const ReceivedFrame frame = ReadFrame(received);
            if (frame.status == ReceivedFrame::Malformed)
                return;
            if (frame.status == ReceivedFrame::Complete) {
                take(frame.text);
                [[maybe_unused]] const ssize_t sent = ::send(connection, kAnswer, sizeof(kAnswer), MSG_NOSIGNAL);
                return;
            }
            pollfd entries[] = {{stopFd, POLLIN, 0}, {connection, POLLIN, 0}};
            const int ready = ::poll(entries, 2, msLeft(deadline));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0 || entries[0].revents)
                return;
            // Never more than one byte past the longest message: that much
            // already makes it malformed.
            char buffer[4096];
            const qsizetype room = kHeaderBytes + kMaxHandOverBytes + 1 - received.size();
            const ssize_t n = ::read(connection, buffer, size_t(std::min<qsizetype>(room, sizeof(buffer))));
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                return;
            received.append(buffer, n);
        }
    }

    void take(const QString& commandLine)
    {
        {
            const std::lock_guard<std::mutex> guard(mutex);
            arrived.push_back(commandLine);
        }
        signalEvent(arrivedFd);
    }

    // Main thread: each command line taken goes to the receiver in an event
    // of its own, so a failure in one does not lose the others.
    void deliver()
    {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(arrivedFd, &count, sizeof(count));
        std::deque<QString> taken;
        {
            const std::lock_guard<std::mutex> guard(mutex);
            taken.swap(arrived);
        }
        for (const QString& commandLine : taken) {
            QMetaObject::invokeMethod(
                notifier.get(), [this, commandLine] { receiver(commandLine); }, Qt::QueuedConnection);
        }
    }
};

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance()
{
    server_.reset();
    if (lockFd_ >= 0)
        ::close(lockFd_);
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
    const InstancePlace place =
        ChooseInstancePlace(std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"), SettingsFolder());
    if (place.socket.empty()) {
        notice(place.notice + "; running on its own");
        return std::nullopt;
    }
    lockFd_ = ::open(place.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
    if (lockFd_ < 0) {
        notice("cannot open " + place.lock + " (" + std::strerror(errno) + "); running on its own");
        return std::nullopt;
    }

    const QByteArray utf8 = commandLine.toUtf8();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kHandOverTimeoutMs);
    for (;;) {
        if (const int fd = connectTo(place.socket); fd >= 0) {
            if (utf8.size() > kMaxHandOverBytes) {
                ::close(fd);
                notice("the command line is longer than " + std::to_string(kMaxHandOverBytes)
                       + " bytes and is not handed to the running program");
                return 1;
            }
            const bool taken = sendAndAwaitAnswer(fd, FrameCommandLine(utf8), deadline);
            ::close(fd);
            if (taken)
                return 0;
        }
        // No program answered. One that holds the lock is starting or
        // ending; without one, whatever is at the socket path is left over.
        if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
            if (const int fd = listenOn(place.socket); fd >= 0)
                server_ = Server::Start(place.socket, fd);
            if (!server_) {
                // Later starts need not wait for a program that never answers.
                ::flock(lockFd_, LOCK_UN);
                notice("running on its own");
            }
            return std::nullopt;
        }
        if (Clock::now() >= deadline) {
            notice("the running program did not answer within " + std::to_string(kHandOverTimeoutMs / 1000)
                   + " s; running on its own");
            return std::nullopt;
        }
        ::poll(nullptr, 0, std::min(kRetryMs, msLeft(deadline)));
    }
}

void SingleInstance::SetReceiver(Receiver receiver)
{
    if (!server_)
        return;
    Server& server = *server_;
    server.receiver = std::move(receiver);
    if (!server.notifier) {
        server.notifier = std::make_unique<QSocketNotifier>(server.arrivedFd, QSocketNotifier::Read);
        QObject::connect(server.notifier.get(), &QSocketNotifier::activated, [&server] { server.deliver(); });
        // Later starts are answered only while the event loop runs.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, server.notifier.get(),
                         [&server] { server.stop(); });
    }
    server.deliver();
}

std::string SingleInstance::ListeningSocket() const
{
    return server_ && server_->listenFd >= 0 ? server_->socketPath : std::string();
}

}  // namespace platform
