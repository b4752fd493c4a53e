// SKERRYWIND_ENGINE_TEST: the main window over the real web engine, on local
// pages: the start page, the title, the status texts and the busy indicator.
#include "EngineTest.h"
#include "FormsTest.h"
#include "TestSupport.h"

#include "platform/engine/BrowserHost.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "shell/frmMain.h"

#include <QSignalSpy>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

using skwtest::DataPage;
using skwtest::PanelText;

namespace {
constexpr int kLoadTimeout = 20000;
const QString kPrefix = QStringLiteral("Skerrywind v1.1.51a");
}  // namespace

class TestFrmMainEngine : public skwtest::FormsTest {
    Q_OBJECT

public:
    TestFrmMainEngine() : FormsTest(Browser::Engine) {}

private slots:

    void startPage_data()
    {
        skwtest::AddColumns<QStringList, QString, QString, QString>("arguments", "homepage", "caption", "document");

        QTest::newRow("titled page") << QStringList{DataPage("news.html")} << QString() << kPrefix + " - [News]"
                                     << DataPage("news.html");
        QTest::newRow("page without a title")
            << QStringList{DataPage("untitled.html")} << QString() << kPrefix << DataPage("untitled.html");
        QTest::newRow("URL argument wins over the home page")
            << QStringList{DataPage("news.html")} << DataPage("untitled.html") << kPrefix + " - [News]"
            << DataPage("news.html");
        QTest::newRow("non-URL argument ignored")
            << QStringList{"news.html"} << DataPage("news.html") << kPrefix + " - [News]" << DataPage("news.html");
        QTest::newRow("the engine's home page") << QStringList() << QString() << kPrefix + " - [Skerrywind]"
                                                << "skerrywind:home";
    }
    void startPage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, homepage);
        QFETCH(QString, caption);
        QFETCH(QString, document);
        platform::SetCommandLineArguments(arguments);
        if (!homepage.isEmpty())
            platform::SaveSetting(QStringLiteral("Skerrywind"), QStringLiteral("Prefs"),
                                  QStringLiteral("Default Homepage"), homepage);

        frmMain& form = platform::Forms<frmMain>();
        QSignalSpy documents(form.WebBrowser1, &platform::BrowserHost::DocumentComplete);
        form.Show();

        QTRY_COMPARE_WITH_TIMEOUT(documents.size(), 1, kLoadTimeout);
        QCOMPARE(documents[0][1].value<QVariant>().toString(), document);
        QTRY_COMPARE_WITH_TIMEOUT(form.Caption(), caption, kLoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(PanelText(1), QStringLiteral("Done"), kLoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(PanelText(2), QString(), kLoadTimeout);
        QVERIFY(skwtest::Boxes().empty());
    }

    void busyWhileLoading()
    {
        platform::SetCommandLineArguments({DataPage("slow.html")});
        frmMain& form = platform::Forms<frmMain>();
        form.Show();

        QTRY_COMPARE_WITH_TIMEOUT(PanelText(2), QStringLiteral("BUSY"), kLoadTimeout);
        QVERIFY(PanelText(1).startsWith(QStringLiteral("Opening page ") + DataPage("slow.html")));
        QTRY_COMPARE_WITH_TIMEOUT(PanelText(2), QString(), kLoadTimeout);
        QCOMPARE(PanelText(1), QStringLiteral("Done"));
        QCOMPARE(form.Caption(), kPrefix + " - [Slow]");
    }

    void addressThatCannotLoad_data()
    {
        skwtest::AddColumns<QString, QString>("address", "status");

        QTest::newRow("missing file") << DataPage("missing.html")
                                      << "Cannot open " + DataPage("missing.html") + " (ERR_FILE_NOT_FOUND)";
        QTest::newRow("unknown scheme") << "nosuchscheme:somewhere"
                                        << "Cannot open nosuchscheme:somewhere (unknown address type)";
    }
    void addressThatCannotLoad()
    {
        QFETCH(QString, address);
        QFETCH(QString, status);
        platform::SetCommandLineArguments({address});
        frmMain& form = platform::Forms<frmMain>();
        QSignalSpy documents(form.WebBrowser1, &platform::BrowserHost::DocumentComplete);
        form.Show();

        QTRY_COMPARE_WITH_TIMEOUT(documents.size(), 1, kLoadTimeout);
        QCOMPARE(documents[0][1].value<QVariant>().toString(), address);
        QTRY_COMPARE_WITH_TIMEOUT(PanelText(1), status, kLoadTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(PanelText(2), QString(), kLoadTimeout);
        QVERIFY(skwtest::Boxes().empty());

        // The shell runs on: the next address opens.
        form.WebBrowser1->Navigate(DataPage("news.html"));
        QTRY_COMPARE_WITH_TIMEOUT(form.Caption(), kPrefix + " - [News]", kLoadTimeout);
    }

    // The page's render process starts with the browser, before its window is
    // shown and ahead of the first navigation, and that start loads nothing
    // the user could see: the first status text, title and completed document
    // are the first address's.
    void pageProcessBeforeTheFirstNavigation()
    {
        QWidget window;
        platform::BrowserHost* browser = platform::CreateBrowser(&window);
        QSignalSpy statuses(browser, &platform::BrowserHost::StatusTextChange);
        QSignalSpy titles(browser, &platform::BrowserHost::TitleChange);
        QSignalSpy documents(browser, &platform::BrowserHost::DocumentComplete);
        const QWebEnginePage* enginePage = qobject_cast<QWebEngineView*>(browser->Widget())->page();

        QTRY_VERIFY_WITH_TIMEOUT(enginePage->renderProcessPid() > 0, kLoadTimeout);
        QVERIFY(!browser->Busy());

        const qint64 process = enginePage->renderProcessPid();
        browser->Navigate(DataPage("news.html"));
        QTRY_COMPARE_WITH_TIMEOUT(documents.size(), 1, kLoadTimeout);
        QCOMPARE(documents[0][1].value<QVariant>().toString(), DataPage("news.html"));
        QTRY_COMPARE_WITH_TIMEOUT(titles.last()[0].toString(), QStringLiteral("News"), kLoadTimeout);
        for (const QList<QVariant>& title : titles)
            QVERIFY2(title[0].toString() == u"News" || title[0].toString().isEmpty(), qPrintable(title[0].toString()));
        QVERIFY(statuses.first()[0].toString().startsWith(QStringLiteral("Opening page ") + DataPage("news.html")));
        QCOMPARE(enginePage->renderProcessPid(), process);
    }
};

SKERRYWIND_ENGINE_TEST_MAIN(TestFrmMainEngine)
#include "test_frmMain_engine.moc"
