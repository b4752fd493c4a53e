#include "TestSupport.h"

#include "platform/system/RecentStore.h"

#include <QDir>
#include <QUrl>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace skwtest {

namespace {
std::unique_ptr<QTemporaryDir>& folder()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}
std::vector<platform::MessageBoxCall>& boxes()
{
    static std::vector<platform::MessageBoxCall> calls;
    return calls;
}
}  // namespace

void FreshUserFolders(const QString& parent)
{
    // What the stores read came from the old folders: the next use reads
    // the new ones.
    platform::RecentStore::CloseAll();
    folder() = parent.isEmpty() ? std::make_unique<QTemporaryDir>()
                                : std::make_unique<QTemporaryDir>(parent + QStringLiteral("/skerrywind-XXXXXX"));
    const QString root = folder()->path();
    for (const char* sub : {"config", "data", "cache", "downloads", "runtime"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (root + "/cache").toUtf8());
    qputenv("XDG_DOWNLOAD_DIR", (root + "/downloads").toUtf8());
    QFile::setPermissions(root + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (root + "/runtime").toUtf8());
}

namespace {
// A local stream socket connected to `path`, or -1.
int connectedSocket(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = path.toLocal8Bit().left(sizeof(address.sun_path) - 1);
    std::copy(name.begin(), name.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
        return fd;
    ::close(fd);
    return -1;
}
}  // namespace

QByteArray SendToSocket(const QString& path, const QByteArray& bytes, bool finish)
{
    QByteArray answer;
    const int fd = connectedSocket(path);
    if (fd < 0)
        return answer;
    constexpr timeval kHangBound{30, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &kHangBound, sizeof(kHangBound));
    for (qsizetype sent = 0, n = 0; sent < bytes.size() && n >= 0; sent += n)
        n = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
    if (finish)
        ::shutdown(fd, SHUT_WR);
    char buffer[256];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0;)
        answer.append(buffer, n);
    ::close(fd);
    return answer;
}

QString DataPage(const QString& name)
{
    return QUrl::fromLocalFile(QStringLiteral(SKERRYWIND_TEST_DATA "/") + name).toString();
}

QString UserFolder()
{
    return folder() ? folder()->path() : QString();
}

const std::vector<platform::MessageBoxCall>& Boxes()
{
    return boxes();
}
void ClearBoxes()
{
    boxes().clear();
}

void PrepareEnvironment()
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Runtime files go to a private folder so parallel tests do not meet.
    static QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    platform::SetMessageBoxHook([](const platform::MessageBoxCall& call) { boxes().push_back(call); });
}

}  // namespace skwtest
