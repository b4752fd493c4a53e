// SKERRYWIND_ENGINE_TEST: what pages ask of the browser, answered through the
// main window's question windows, against loopback servers in the real
// engine: sign-in, an untrusted certificate, permissions, full screen, a loop
// of dialogs.
#include "Dialogs.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "platform/system/Runtime.h"
#include "questions/MQuestions.h"
#include "questions/frmAsk.h"
#include "questions/frmPageDialog.h"
#include "questions/frmSignIn.h"
#include "shell/frmMain.h"

#include <QTemporaryDir>
#include <QWebEngineView>

using skwtest::LoopbackServer;

namespace {
const bool kEngineFlags = [] {
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-logging --use-fake-device-for-media-stream");
    return true;
}();

constexpr int kTimeout = 30000;
const QString kPrefix = QStringLiteral("Skerrywind v1.1.51a - [");

template <class F>
bool shown()
{
    return platform::FormRegistry::IsLoaded<F>() && platform::Forms<F>().Visible();
}

frmMain& openMain(const QUrl& url)
{
    platform::SetCommandLineArguments({url.toString()});
    frmMain& form = platform::Forms<frmMain>();
    form.Show();
    return form;
}

QString caption() { return platform::Forms<frmMain>().Caption(); }
QString panel1() { return platform::Forms<frmMain>().StatusBar->Panels(1).Text(); }

void typeInto(SoftText* box, const QString& text)
{
    box->SetText(text);
}
}  // namespace

class TestQuestionsEngine : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        MQuestions::ForgetAnswers();
        platform::FormRegistry::SetLastFormAction([] {});
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void signIn_data()
    {
        QTest::addColumn<QStringList>("answers");  // "user:password" to sign in, "" to cancel
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("refusedShown");     // how many windows said the answer was refused

        QTest::newRow("right") << QStringList{"ann:secret"} << "Protected" << 0;
        QTest::newRow("wrong, then right") << QStringList{"ann:guess", "ann:secret"} << "Protected" << 1;
        QTest::newRow("cancel") << QStringList{""} << "Refused" << 0;
        QTest::newRow("wrong, then cancel") << QStringList{"bob:guess", ""} << "Refused" << 1;
    }
    void signIn()
    {
        QFETCH(QStringList, answers);
        QFETCH(QString, title);
        QFETCH(int, refusedShown);
        LoopbackServer server([](const LoopbackServer::Request& request) {
            if (request.basicCredentials() == QPair<QString, QString>("ann", "secret"))
                return LoopbackServer::Page("<title>Protected</title>inside");
            return LoopbackServer::Unauthorized("Staff area", "<title>Refused</title>no");
        });
        QVERIFY(server.Listen());

        // Sign-in is answered while the engine waits: each answer is given
        // from inside that wait, as the window shows.
        int refused = 0;
        int asked = 0;
        QString lastUser;
        QString origin = server.Origin();
        std::function<void()> answerNext = [&] {
            skwtest::WhenShown<frmSignIn>([&](frmSignIn& box) {
                QCOMPARE(box.Caption(), "Sign in to " + origin);
                QVERIFY(box.lblRealm->Caption().contains("Staff area"));
                if (!box.lblRefused->isHidden()) {
                    ++refused;
                    QCOMPARE(box.txtUserName->Text(), lastUser);
                }
                const QString answer = answers.value(asked++);
                if (asked < answers.size())
                    answerNext();
                if (answer.isEmpty()) {
                    skwtest::Click(box.cmdCancel);
                    return;
                }
                lastUser = answer.section(':', 0, 0);
                typeInto(box.txtUserName, lastUser);
                typeInto(box.txtPassword, answer.section(':', 1));
                skwtest::Click(box.cmdOk);
            });
        };
        answerNext();
        openMain(server.Url("/private"));
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + title + "]", kTimeout);
        QVERIFY(!shown<frmSignIn>());
        QCOMPARE(asked, answers.size());
        QCOMPARE(refused, refusedShown);
        QVERIFY(skwtest::Boxes().empty());
    }

    void untrustedCertificate_data()
    {
        QTest::addColumn<bool>("proceed");
        QTest::newRow("go back") << false;
        QTest::newRow("proceed anyway") << true;
    }
    void untrustedCertificate()
    {
        QFETCH(bool, proceed);
        QTemporaryDir folder;
        QVERIFY(skwtest::MakeSelfSignedCertificate(folder.path()));
        LoopbackServer server([](const LoopbackServer::Request&) { return LoopbackServer::Page("<title>Secret</title>x"); });
        QVERIFY(server.Listen(folder.filePath("cert.pem"), folder.filePath("key.pem")));
        frmMain& form = openMain(server.Url("/"));

        QTRY_VERIFY_WITH_TIMEOUT(shown<frmAsk>(), kTimeout);
        frmAsk& box = platform::Forms<frmAsk>();
        QCOMPARE(box.Caption(), QStringLiteral("Not secure: 127.0.0.1"));
        QCOMPARE(box.cmdYes->Caption(), QStringLiteral("Proceed anyway"));
        skwtest::Click(proceed ? box.cmdYes : box.cmdNo);

        if (proceed) {
            QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Secret]", kTimeout);
            return;
        }
        const QString status = "Not secure: 127.0.0.1 (self-signed or unknown authority)";
        QTRY_COMPARE_WITH_TIMEOUT(panel1(), status, kTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Not secure]", kTimeout);
        // The page the server sent never showed.
        QVERIFY(!caption().contains("Secret"));
        (void)form;
    }

    void dialogLoopStopped()
    {
        LoopbackServer server([](const LoopbackServer::Request&) {
            return LoopbackServer::Page("<title>Loop</title><script>"
                                        "var n = 0; while (n < 1000) { n++; if (!confirm('Again ' + n)) break; }"
                                        "document.title = 'Stopped after ' + n;</script>");
        });
        QVERIFY(server.Listen());
        // The dialogs are answered while the page waits for them.
        QString origin = server.Origin();
        QStringList seen;
        skwtest::WhenShown<frmPageDialog>([&](frmPageDialog& box) {
            seen << box.Caption() + " | " + box.lblMessage->Caption() + (box.cmdStop->isHidden() ? "" : " | stop");
            skwtest::WhenShown([&] { return shown<frmPageDialog>() && box.lblMessage->Caption() != "Again 1"; },
                               [&] {
                                   seen << box.Caption() + " | " + box.lblMessage->Caption()
                                               + (box.cmdStop->isHidden() ? "" : " | stop");
                                   skwtest::Click(box.cmdStop);
                               });
            skwtest::Click(box.cmdOk);
        });
        openMain(server.Url("/"));

        QTRY_COMPARE_WITH_TIMEOUT(caption(), kPrefix + "Stopped after 2]", kTimeout);
        QCOMPARE(seen, (QStringList{origin + " says | Again 1", origin + " says | Again 2 | stop"}));
        QVERIFY(!shown<frmPageDialog>());
    }
};

SKERRYWIND_TEST_MAIN(TestQuestionsEngine)
#include "test_Questions_engine.moc"
