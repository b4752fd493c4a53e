#pragma once
// An HTTP server on the loopback interface, inside the test process: it
// serves pages by path and keeps the head of every request it answers. A
// stalling page sends its head and the given start of its body, then nothing
// more, so its load never ends by itself.
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

    // The request line and header lines of each request, in order.
    QByteArrayList Requests;
    // The head of the last request for `path`; empty when there was none.
    QByteArray LastRequestFor(const QString& path) const;

private:
    struct Page {
        QByteArray html;
        bool stall = false;
    };
    void answer(QTcpSocket* socket);

    QHash<QString, Page> pages_;
};

}  // namespace skwtest
