#include "LoopbackServer.h"

#include <QTcpSocket>

namespace skwtest {

namespace {
// What a stalling page announces; far more than it ever sends.
constexpr qsizetype kStalledLength = 1 << 20;
// Sent after the start of a stalling page, so that the engine shows it.
constexpr qsizetype kStalledPadding = 2048;

QString pathOf(const QByteArray& head)
{
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    return requestLine.size() >= 2 ? QString::fromLatin1(requestLine[1]) : QString();
}
}  // namespace

LoopbackServer::LoopbackServer()
{
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void LoopbackServer::SetPage(const QString& path, const QByteArray& html, bool stall)
{
    pages_[path] = Page{html, stall};
}

QString LoopbackServer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
}

QByteArray LoopbackServer::LastRequestFor(const QString& path) const
{
    for (auto it = Requests.crbegin(); it != Requests.crend(); ++it)
        if (pathOf(*it) == path)
            return *it;
    return QByteArray();
}

void LoopbackServer::answer(QTcpSocket* socket)
{
    // The head may come in parts; it ends with an empty line.
    QByteArray received = socket->property("received").toByteArray() + socket->readAll();
    const qsizetype end = received.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("received", received);
        return;
    }
    socket->setProperty("received", QByteArray());
    const QByteArray head = received.left(end);
    Requests << head;
    const auto page = pages_.constFind(pathOf(head));
    if (page == pages_.cend()) {
        socket->write("HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\nNot found");
        socket->disconnectFromHost();
        return;
    }
    const qsizetype length = page->stall ? kStalledLength : page->html.size();
    socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                  + QByteArray::number(length) + "\r\n\r\n" + page->html);
    if (page->stall)
        socket->write(QByteArray(kStalledPadding, ' '));
    else
        socket->disconnectFromHost();
}

}  // namespace skwtest
