// The engine profile keeps cookies and local storage across a restart.
// SKERRYWIND_ENGINE_TEST: starts the real engine, twice, in child processes.
#include "TestSupport.h"

#include "platform/engine/BrowserPage.h"
#include "platform/engine/EngineProfile.h"

#include <QFile>
#include <QNetworkCookie>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <cstdio>

namespace {
constexpr int loadTimeoutMs = 30000;
constexpr auto writeMode = "--write-storage";
constexpr auto readMode = "--read-storage";

// Serves the files of one folder over HTTP on 127.0.0.1: file:// pages get
// no cookies, and an origin with a fixed port keeps its local storage from
// one child run to the next.
class PageServer : public QTcpServer {
public:
    explicit PageServer(const QString& folder) : folder_(folder)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { answer(socket); });
        });
    }
    QUrl url(const QString& name) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(name));
    }

private:
    void answer(QTcpSocket* socket)
    {
        if (!socket->canReadLine())
            return;
        const QList<QByteArray> request = socket->readLine().split(' ');
        QFile file(folder_ + QString::fromLatin1(request.value(1)));
        const bool found = file.open(QIODevice::ReadOnly);
        const QByteArray body = found ? file.readAll() : QByteArray("not found");
        socket->write((found ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n")
                      + QByteArray("Content-Type: text/html\r\nConnection: close\r\nContent-Length: ")
                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
    QString folder_;
};

void writePage(const QString& path, const QString& script)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<!DOCTYPE html><html><head><title>-</title><script>%1</script></head>"
                              "<body></body></html>")
                   .arg(script)
                   .toUtf8());
}

// A child run of this program: one page on the profile, as in one session of
// the shell. Writing: the page sets a lasting cookie and a local-storage item,
// and the run waits until the cookie store has it. Reading: the page shows
// what it finds in its title, which goes to stdout.
int runChild(int argc, char** argv)
{
    skwtest::PrepareEnvironment();
    platform::Application app(argc, argv);
    const bool writing = qstrcmp(argv[1], writeMode) == 0;
    platform::BrowserPage page;
    QSignalSpy cookies(page.profile()->cookieStore(), &QWebEngineCookieStore::cookieAdded);
    QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
    page.load(QUrl(QString::fromLocal8Bit(argv[2])));
    if (!loaded.wait(loadTimeoutMs) || !loaded.first().first().toBool())
        return 3;
    if (writing) {
        auto hasCookie = [&] {
            for (const auto& call : cookies)
                if (call.first().value<QNetworkCookie>().name() == "skw")
                    return true;
            return false;
        };
        if (!hasCookie())
            cookies.wait(loadTimeoutMs);
        return hasCookie() ? 0 : 4;
    }
    if (!QTest::qWaitFor([&] { return page.title().contains(QLatin1Char('|')); }, loadTimeoutMs))
        return 5;
    std::printf("%s\n", page.title().toUtf8().constData());
    return 0;
}
}  // namespace

class TestEngineProfile : public skwtest::FreshFoldersTest {
    Q_OBJECT

    // Runs a child and returns its output, while this process goes on serving
    // pages.
    QString runChild(const char* mode, const QUrl& page)
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QSignalSpy finished(&child, &QProcess::finished);
        child.start(QCoreApplication::applicationFilePath(), {QLatin1String(mode), page.toString()});
        if (!finished.wait(2 * loadTimeoutMs)) {
            child.kill();
            child.waitForFinished();
        }
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            return QStringLiteral("child %1 failed with %2").arg(QLatin1String(mode)).arg(child.exitCode());
        return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    }

private slots:
    void cookieAndLocalStorageSurviveARestart()
    {
        const QString root = skwtest::UserFolder();
        writePage(root + "/write.html", "document.cookie = 'skw=kept; max-age=86400; path=/';"
                                        "localStorage.setItem('skw', 'stored');");
        writePage(root + "/read.html",
                  "addEventListener('load', () => { document.title ="
                  " (document.cookie || 'no cookie') + '|' + (localStorage.getItem('skw') || 'no item'); });");
        PageServer server(root);
        QVERIFY(server.isListening());

        QCOMPARE(runChild(writeMode, server.url("write.html")), QString());
        QCOMPARE(runChild(readMode, server.url("read.html")), QStringLiteral("skw=kept|stored"));
        QVERIFY(QFileInfo::exists(skwtest::UserFolder() + "/data/skerrywind/engine"));
    }
};

int main(int argc, char** argv)
{
    if (argc == 3 && (qstrcmp(argv[1], writeMode) == 0 || qstrcmp(argv[1], readMode) == 0))
        return runChild(argc, argv);
    return skwtest::TestMain<TestEngineProfile>(argc, argv);
}

#include "test_EngineProfile.moc"
