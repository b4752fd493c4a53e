#include "LoopbackServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

namespace skwtest {

namespace {
constexpr int kOpensslTimeoutMs = 60000;

QString pathOf(const QByteArray& head)
{
    return QString::fromLatin1(head.left(head.indexOf("\r\n")).split(' ').value(1));
}
}  // namespace

QPair<QString, QString> LoopbackServer::Request::basicCredentials() const
{
    const QByteArray value = headers.value("authorization");
    if (!value.startsWith("Basic "))
        return {};
    const QByteArray decoded = QByteArray::fromBase64(value.mid(6).trimmed());
    const qsizetype colon = decoded.indexOf(':');
    if (colon < 0)
        return {};
    return {QString::fromUtf8(decoded.left(colon)), QString::fromUtf8(decoded.mid(colon + 1))};
}

LoopbackServer::LoopbackServer(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {}

bool LoopbackServer::Listen(const QString& certificateFile, const QString& keyFile, quint16 port)
{
    tls_ = !certificateFile.isEmpty();
    if (tls_) {
        QFile certFile(certificateFile);
        QFile key(keyFile);
        if (!certFile.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
            return false;
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.setLocalCertificate(QSslCertificate(&certFile, QSsl::Pem));
        config.setPrivateKey(QSslKey(&key, QSsl::Rsa, QSsl::Pem));
        config.setPeerVerifyMode(QSslSocket::VerifyNone);
        auto* server = new QSslServer(this);
        server->setSslConfiguration(config);
        server_ = server;
    } else {
        server_ = new QTcpServer(this);
    }
    connect(server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket* socket = server_->nextPendingConnection())
            serve(socket);
    });
    return server_->listen(QHostAddress::LocalHost, port);
}

quint16 LoopbackServer::Port() const
{
    return server_->serverPort();
}

QString LoopbackServer::Url(const QString& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(tls_ ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(server_->serverPort())
        .arg(path);
}

QString LoopbackServer::Site() const
{
    return (tls_ ? QString() : QStringLiteral("http://")) + QStringLiteral("127.0.0.1:")
           + QString::number(server_->serverPort());
}

void LoopbackServer::SetPage(const QString& path, const QByteArray& html, bool stall)
{
    Response response = Page(html);
    response.stall = stall;
    pages_.insert(path, response);
}

QByteArray LoopbackServer::LastRequestFor(const QString& path) const
{
    for (auto it = Requests.crbegin(); it != Requests.crend(); ++it)
        if (pathOf(*it) == path)
            return *it;
    return QByteArray();
}

LoopbackServer::Response LoopbackServer::pageFor(const Request& request) const
{
    return pages_.value(QString::fromLatin1(request.path), Response{404, "Not found", {}});
}

void LoopbackServer::serve(QTcpSocket* socket)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
        *buffer += socket->readAll();
        const qsizetype end = buffer->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        Requests << buffer->left(end);
        Request request;
        const QList<QByteArray> lines = buffer->left(end).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
        }
        buffer->clear();
        const Response response = handler_ ? handler_(request) : pageFor(request);
        if (response.status == 0)
            return;
        QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status)
                         + " -\r\n"
                           "Content-Type: text/html; charset=utf-8\r\n";
        for (const auto& [name, value] : response.headers)
            out += name + ": " + value + "\r\n";
        // A stalling page announces far more than it sends, and sends some
        // filling so that the engine shows its start.
        const qsizetype length = response.stall ? 1 << 20 : response.body.size();
        out += "Content-Length: " + QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
        out += response.body;
        if (response.stall)
            out += QByteArray(2048, ' ');
        socket->write(out);
        if (!response.stall)
            socket->disconnectFromHost();
    });
}

LoopbackServer::Response LoopbackServer::Page(const QByteArray& html)
{
    return {200, html, {}};
}

LoopbackServer::Response LoopbackServer::Unauthorized(const QByteArray& realm, const QByteArray& html)
{
    return {401, html, {{"WWW-Authenticate", "Basic realm=\"" + realm + "\""}}};
}

bool MakeSelfSignedCertificate(const QString& folder)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"),
                   QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"),
                   QDir(folder).filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
                   QDir(folder).filePath(QStringLiteral("cert.pem"))});
    return openssl.waitForFinished(kOpensslTimeoutMs) && openssl.exitStatus() == QProcess::NormalExit
           && openssl.exitCode() == 0;
}

}  // namespace skwtest
