#include "LoopbackServer.h"

#include <QTcpSocket>

namespace skwtest {

namespace {
QString pathOf(const QByteArray& head)
{
    return QString::fromLatin1(head.left(head.indexOf("\r\n")).split(' ').value(1));
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
    pages_[path] = {html, stall};
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
    const QByteArray received = socket->property("received").toByteArray() + socket->readAll();
    const qsizetype end = received.indexOf("\r\n\r\n");
    socket->setProperty("received", end < 0 ? received : QByteArray());
    if (end < 0)
        return;
    Requests << received.left(end);
    const auto [html, stall] = pages_.value(pathOf(Requests.last()), {"Not found", false});
    // A stalling page announces far more than it sends, and sends some
    // filling so that the engine shows its start.
    socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                  + QByteArray::number(stall ? 1 << 20 : html.size()) + "\r\n\r\n" + html
                  + (stall ? QByteArray(2048, ' ') : QByteArray()));
    if (!stall)
        socket->disconnectFromHost();
}

}  // namespace skwtest
