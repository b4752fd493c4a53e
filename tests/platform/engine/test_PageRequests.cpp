// What a page asks of the browser, as requests: who asks, a request nobody
// handles being refused, and the words for certificate problems.
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/engine/CertificateProblem.h"
#include "platform/engine/PageRequests.h"

#include <QUrl>
#include <QWebEngineCertificateError>

using namespace platform;

class TestPageRequests : public QObject {
    Q_OBJECT

private slots:
    void init() { skwtest::FreshUserFolders(); }

    void originText_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("origin");
        QTest::newRow("host and port") << "http://127.0.0.1:8123/private" << "127.0.0.1:8123";
        QTest::newRow("default port") << "https://example.org/a?b" << "example.org";
        QTest::newRow("IPv6") << "http://[::1]:8080/" << "[::1]:8080";
        QTest::newRow("no host") << "file:///tmp/page.html" << "file";
    }
    void originText()
    {
        QFETCH(QString, url);
        QFETCH(QString, origin);
        QCOMPARE(OriginText(QUrl(url)), origin);
    }

    void certificateProblem_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("expired");
        QTest::addColumn<QString>("words");
        using E = QWebEngineCertificateError;
        QTest::newRow("expired") << int(E::CertificateDateInvalid) << true << "expired";
        QTest::newRow("not yet valid") << int(E::CertificateDateInvalid) << false << "not yet valid";
        QTest::newRow("wrong host") << int(E::CertificateCommonNameInvalid) << false << "wrong host";
        QTest::newRow("self-signed") << int(E::CertificateAuthorityInvalid) << false << "self-signed or unknown authority";
        QTest::newRow("revoked") << int(E::CertificateRevoked) << false << "revoked";
        QTest::newRow("weak key") << int(E::CertificateWeakKey) << false << "weak key or signature";
        QTest::newRow("unknown number") << -999 << false << "invalid certificate";
    }
    void certificateProblem()
    {
        QFETCH(int, type);
        QFETCH(bool, expired);
        QFETCH(QString, words);
        QCOMPARE(CertificateProblem(type, expired), words);
        QCOMPARE(NotSecureText("127.0.0.1", words), "Not secure: 127.0.0.1 (" + words + ")");
        const QString page = CertificateErrorPage("<h>", words, "https://<h>/");
        QVERIFY(page.contains("&lt;h&gt;") && page.contains(words.toHtmlEscaped()) && !page.contains("<h>"));
    }

    // A browser whose events nobody handles refuses what pages ask.
    void unhandledRequestsAreRefused()
    {
        QWidget window;
        skwtest::RecordingBrowser browser(&window);
        auto* permission = browser.RaiseRequest(&BrowserHost::PermissionRequested, QStringLiteral("s"),
                                                PermissionRequest::Geolocation);
        auto* signIn = browser.RaiseRequest(&BrowserHost::SignInRequested, QStringLiteral("s"), QStringLiteral("r"),
                                            false, false, QString());
        auto* fullScreen = browser.RaiseRequest(&BrowserHost::FullScreenRequested, QStringLiteral("s"), true);
        QVERIFY(permission->IsAnswered() && !permission->Granted());
        QVERIFY(signIn->IsAnswered() && !signIn->SignedIn());
        QVERIFY(fullScreen->IsAnswered() && !fullScreen->Accepted());
    }
};

SKERRYWIND_TEST_MAIN(TestPageRequests)
#include "test_PageRequests.moc"
