// What a page asks of the browser, as requests: who asks, a request nobody
// handles being refused, and the words for certificate problems.
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/engine/CertificateProblem.h"
#include "platform/engine/PageRequests.h"

#include <QUrl>
#include <QWebEngineCertificateError>

using namespace platform;

class TestPageRequests : public skwtest::FreshFoldersTest {
    Q_OBJECT

private slots:
    // An origin is scheme, host and port, the default port written out;
    // people read it without what goes without saying.
    void originText_data()
    {
        skwtest::AddColumns<QString, QString, QString>("url", "origin", "site");
        // clang-format off
        QTest::newRow("host and port") << "http://127.0.0.1:8123/private" << "http://127.0.0.1:8123" << "http://127.0.0.1:8123";
        QTest::newRow("https, default port") << "https://example.org/a?b" << "https://example.org:443" << "example.org";
        QTest::newRow("https, default port written") << "https://example.org:443/" << "https://example.org:443" << "example.org";
        QTest::newRow("https, other port") << "https://example.org:8443/" << "https://example.org:8443" << "example.org:8443";
        QTest::newRow("http, default port") << "HTTP://Example.ORG/" << "http://example.org:80" << "http://example.org";
        QTest::newRow("http on the https port") << "http://example.org:443/" << "http://example.org:443" << "http://example.org:443";
        QTest::newRow("IPv6") << "http://[::1]:8080/" << "http://[::1]:8080" << "http://[::1]:8080";
        QTest::newRow("IPv6, default port") << "https://[::1]/" << "https://[::1]:443" << "[::1]";
        QTest::newRow("no host") << "file:///tmp/page.html" << "file" << "file";
        // clang-format on
    }
    void originText()
    {
        QFETCH(QString, url);
        QFETCH(QString, origin);
        QFETCH(QString, site);
        QCOMPARE(OriginText(QUrl(url)), origin);
        QCOMPARE(SiteText(origin), site);
    }

    void certificateProblem_data()
    {
        skwtest::AddColumns<int, bool, QString>("type", "expired", "words");
        using E = QWebEngineCertificateError;
        QTest::newRow("expired") << int(E::CertificateDateInvalid) << true << "expired";
        QTest::newRow("not yet valid") << int(E::CertificateDateInvalid) << false << "not yet valid";
        QTest::newRow("wrong host") << int(E::CertificateCommonNameInvalid) << false << "wrong host";
        QTest::newRow("self-signed") << int(E::CertificateAuthorityInvalid) << false
                                     << "self-signed or unknown authority";
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

    // What a page keeps of a sign-in: the answer given on the page that
    // asked, never one given or taken back after another page came (that
    // page's own sign-in would be refused or cancelled unasked).
    void signInMemory_data()
    {
        QTest::addColumn<QString>("answer");  // "sign in", "cancel", "withdraw"
        QTest::addColumn<bool>("newPageMeanwhile");
        QTest::addColumn<QString>("kept");  // "given", "cancelled", ""
        QTest::newRow("signed in") << "sign in" << false << "given";
        QTest::newRow("cancelled") << "cancel" << false << "cancelled";
        QTest::newRow("taken back") << "withdraw" << false << "";
        QTest::newRow("taken back by a new page") << "withdraw" << true << "";
        QTest::newRow("cancelled after a new page came") << "cancel" << true << "";
        QTest::newRow("signed in after a new page came") << "sign in" << true << "";
    }
    void signInMemory()
    {
        QFETCH(QString, answer);
        QFETCH(bool, newPageMeanwhile);
        QFETCH(QString, kept);
        const QString key = QStringLiteral("https://h:443\nStaff");
        SignInMemory memory;
        SignInRequest request(QStringLiteral("https://h:443"), QStringLiteral("Staff"), false, false, QString(),
                              nullptr);
        const quint64 page = memory.Page();
        if (newPageMeanwhile)
            memory.Navigated();
        if (answer == "sign in")
            request.SignIn(QStringLiteral("ann"), QStringLiteral("secret"));
        else if (answer == "cancel")
            request.Cancel();
        else
            request.Withdraw();
        memory.Record(key, page, request);
        QCOMPARE(memory.Given(key), kept == "given");
        QCOMPARE(memory.UserName(key), kept == "given" ? QStringLiteral("ann") : QString());
        QCOMPARE(memory.Cancelled(key), kept == "cancelled");
        QVERIFY(!memory.Given(QStringLiteral("http://h:80\nStaff"))
                && !memory.Cancelled(QStringLiteral("http://h:80\nStaff")));
        memory.Navigated();
        QVERIFY(!memory.Given(key) && !memory.Cancelled(key));
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
