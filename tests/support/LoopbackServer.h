#pragma once
// A small HTTP server on 127.0.0.1 for engine tests, plain or over TLS with a
// certificate made for the test: each request goes to a handler that returns
// the response, or, without a handler, to the pages set by path. It keeps the
// head of each request. One request per connection.
#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

class QTcpServer;
class QTcpSocket;

namespace skwtest {

class LoopbackServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        // Header names in lower case.
        QHash<QByteArray, QByteArray> headers;
        // The user and password of a Basic authorization, if any.
        QPair<QString, QString> basicCredentials() const;
    };
    struct Response {
        int status = 200;
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
        // A stalling response sends its head and its start, then nothing
        // more, so its load never ends.
        bool stall = false;
        // A status of 0 sends nothing at all: the request is never answered.
    };
    using Handler = std::function<Response(const Request&)>;

    explicit LoopbackServer(Handler handler = {}, QObject* parent = nullptr);

    // Listens on a free port, or on `port`; over TLS when certificate and
    // key files are given.
    bool Listen(const QString& certificateFile = QString(), const QString& keyFile = QString(), quint16 port = 0);
    quint16 Port() const;
    // "http://127.0.0.1:<port><path>" (https over TLS).
    QString Url(const QString& path) const;
    // The site as the program's captions name it: "127.0.0.1:<port>" over
    // TLS, "http://127.0.0.1:<port>" without.
    QString Site() const;

    // The page served at `path` when there is no handler.
    void SetPage(const QString& path, const QByteArray& html, bool stall = false);
    // The head of the last request for `path`; empty when there was none.
    QByteArray LastRequestFor(const QString& path) const;
    // The request line and header lines of each request, in order.
    QByteArrayList Requests;

    // A 200 response with an HTML page.
    static Response Page(const QByteArray& html);
    // A 401 asking for Basic authorization in `realm`.
    static Response Unauthorized(const QByteArray& realm, const QByteArray& html);

private:
    void serve(QTcpSocket* socket);

    Response pageFor(const Request& request) const;

    Handler handler_;
    QHash<QString, Response> pages_;
    QTcpServer* server_ = nullptr;
    bool tls_ = false;
};

// Makes a self-signed certificate for 127.0.0.1 with the openssl tool, in
// `folder` (cert.pem, key.pem). False when the tool is missing or fails.
bool MakeSelfSignedCertificate(const QString& folder);

}  // namespace skwtest
