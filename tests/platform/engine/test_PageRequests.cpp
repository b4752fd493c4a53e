// What a page asks of the browser, as requests: who asks, the first answer
// counting, withdrawal, a request nobody handles being refused, and the
// words for certificate problems.
#include "RecordingBrowser.h"
#include "TestSupport.h"

#include "platform/engine/CertificateProblem.h"
#include "platform/engine/PageRequests.h"

#include <QSignalSpy>
#include <QUrl>
#include <QWebEngineCertificateError>

#include <functional>
#include <memory>

using namespace platform;

namespace {
using Answer = std::function<void(PageRequest&)>;
using Check = std::function<bool(const PageRequest&)>;

template <class R>
Answer act(void (R::*method)())
{
    return [method](PageRequest& r) { (static_cast<R&>(r).*method)(); };
}
}  // namespace

Q_DECLARE_METATYPE(std::shared_ptr<PageRequest>)
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(Check)

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

    // The first answer counts; later answers, and a withdrawal after the
    // answer, change nothing and say nothing.
    void firstAnswerCounts_data()
    {
        QTest::addColumn<std::shared_ptr<PageRequest>>("request");
        QTest::addColumn<Answer>("first");
        QTest::addColumn<Answer>("second");
        QTest::addColumn<Check>("answeredAsFirst");

        auto signIn = std::make_shared<SignInRequest>("s", "r", false, false, "", nullptr);
        QTest::newRow("sign-in, then cancel")
            << std::shared_ptr<PageRequest>(signIn) << Answer([](PageRequest& r) { static_cast<SignInRequest&>(r).SignIn("u", "p"); })
            << act(&SignInRequest::Cancel) << Check([](const PageRequest& r) {
                   const auto& s = static_cast<const SignInRequest&>(r);
                   return s.SignedIn() && s.User() == "u" && s.Password() == "p";
               });
        QTest::newRow("permission denied, then granted")
            << std::shared_ptr<PageRequest>(std::make_shared<PermissionRequest>("s", PermissionRequest::Camera, nullptr))
            << act(&PermissionRequest::Deny) << act(&PermissionRequest::Grant)
            << Check([](const PageRequest& r) { return !static_cast<const PermissionRequest&>(r).Granted(); });
        QTest::newRow("certificate refused, then proceeded")
            << std::shared_ptr<PageRequest>(std::make_shared<CertificateRequest>("s", "h", "revoked", true, nullptr))
            << act(&CertificateRequest::Refuse) << act(&CertificateRequest::Proceed)
            << Check([](const PageRequest& r) { return !static_cast<const CertificateRequest&>(r).Proceeding(); });
        QTest::newRow("proceeding where the engine allows none")
            << std::shared_ptr<PageRequest>(std::make_shared<CertificateRequest>("s", "h", "revoked", false, nullptr))
            << act(&CertificateRequest::Proceed) << act(&CertificateRequest::Proceed)
            << Check([](const PageRequest& r) { return !static_cast<const CertificateRequest&>(r).Proceeding(); });
        QTest::newRow("full screen accepted, then refused")
            << std::shared_ptr<PageRequest>(std::make_shared<FullScreenRequest>("s", true, nullptr))
            << act(&FullScreenRequest::Accept) << Answer([](PageRequest& r) { r.Refuse(); })
            << Check([](const PageRequest& r) { return static_cast<const FullScreenRequest&>(r).Accepted(); });
        QTest::newRow("dialog stopped, then accepted")
            << std::shared_ptr<PageRequest>(
                   std::make_shared<PageDialogRequest>("s", PageDialogRequest::Confirm, "m", "", 2, nullptr))
            << act(&PageDialogRequest::StopDialogs)
            << Answer([](PageRequest& r) { static_cast<PageDialogRequest&>(r).Accept("x"); })
            << Check([](const PageRequest& r) {
                   const auto& d = static_cast<const PageDialogRequest&>(r);
                   return d.Stopped() && !d.Accepted() && d.Text().isEmpty();
               });
    }
    void firstAnswerCounts()
    {
        QFETCH(std::shared_ptr<PageRequest>, request);
        QFETCH(Answer, first);
        QFETCH(Answer, second);
        QFETCH(Check, answeredAsFirst);
        QSignalSpy answered(request.get(), &PageRequest::Answered);
        QSignalSpy withdrawn(request.get(), &PageRequest::Withdrawn);

        first(*request);
        second(*request);
        request->Withdraw();

        QCOMPARE(answered.size(), 1);
        QCOMPARE(withdrawn.size(), 0);
        QVERIFY(request->IsAnswered() && !request->IsOpen());
        QVERIFY(answeredAsFirst(*request));
    }

    // Withdrawn (or gone) before an answer: said once, and answers after it
    // count for nothing.
    void withdrawn()
    {
        PermissionRequest request("s", PermissionRequest::Notifications, nullptr);
        QSignalSpy withdrawn(&request, &PageRequest::Withdrawn);
        QSignalSpy answered(&request, &PageRequest::Answered);
        request.Withdraw();
        request.Grant();
        request.Withdraw();
        QCOMPARE(withdrawn.size(), 1);
        QCOMPARE(answered.size(), 0);
        QVERIFY(!request.Granted());

        int goneUnanswered = 0;
        {
            PermissionRequest gone("s", PermissionRequest::Camera, nullptr);
            connect(&gone, &PageRequest::Withdrawn, this, [&] { ++goneUnanswered; });
        }
        QCOMPARE(goneUnanswered, 1);
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
