#pragma once
// An HTTP server on the loopback interface, in the test process: it serves
// pages by path and keeps the head of each request. A stalling page sends
// its head and its start, then nothing more, so its load never ends.
#include <QByteArrayList>
#include <QHash>
#include <QTcpServer>

namespace skwtest {

class LoopbackServer : public QTcpServer {
    Q_OBJECT
public:
    LoopbackServer();

    void SetPage(const QString& path, const QByteArray& html, bool stall = false);
    QString Url(const QString& path) const;
    // The head of the last request for `path`; empty when there was none.
    QByteArray LastRequestFor(const QString& path) const;

    // The request line and header lines of each request, in order.
    QByteArrayList Requests;

private:
    void answer(QTcpSocket* socket);

    QHash<QString, std::pair<QByteArray, bool>> pages_;
};

}  // namespace skwtest
