// The browser page: new windows load in the same view; a lost render process
// leaves the view working and Reload brings the page back.
// SKERRYWIND_ENGINE_TEST: loads local pages in the real engine.
#include "TestSupport.h"

#include "platform/engine/BrowserPage.h"

#include <QFile>
#include <QSignalSpy>
#include <QWebEngineView>

#include <csignal>

namespace {
constexpr int timeoutMs = 30000;

QUrl writePage(const QString& name, const QString& title, const QString& body = QString())
{
    const QString path = skwtest::UserFolder() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QStringLiteral("<!DOCTYPE html><html><head><title>%1</title></head><body>%2</body></html>")
                       .arg(title, body)
                       .toUtf8());
    return QUrl::fromLocalFile(path);
}
}  // namespace

class TestBrowserPage : public QObject {
    Q_OBJECT

    std::unique_ptr<QWebEngineView> view;
    platform::BrowserPage* page = nullptr;

    bool load(const QUrl& url)
    {
        QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
        page->load(url);
        return loaded.wait(timeoutMs) && loaded.first().first().toBool();
    }

    // Kills the page's render process and waits until the error page has
    // loaded; returns what renderProcessLost() said.
    QString killRenderProcessAndWaitForTheErrorPage()
    {
        QSignalSpy lost(page, &platform::BrowserPage::renderProcessLost);
        QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
        if (::kill(pid_t(page->renderProcessPid()), SIGKILL) != 0 || !lost.wait(timeoutMs))
            return QStringLiteral("<not lost>");
        if (!QTest::qWaitFor([&] { return loaded.contains({true}); }, timeoutMs))
            return QStringLiteral("<no error page>");
        return lost.first().first().toString();
    }

    QVariant evaluate(const QString& script)
    {
        QVariant result;
        bool done = false;
        page->runJavaScript(script, [&](const QVariant& value) {
            result = value;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, timeoutMs))
            return QStringLiteral("no answer");
        return result;
    }

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        view = std::make_unique<QWebEngineView>();
        page = new platform::BrowserPage(view.get());
        view->setPage(page);
        view->resize(400, 300);
        view->show();
    }
    void cleanup() { view.reset(); }

    void newWindowLoadsInTheSameView_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::newRow("link with target _blank") << "<a id='go' href='target.html' target='_blank'>go</a>"
                                                    "<script>document.getElementById('go').click()</script>";
        QTest::newRow("window.open") << "<script>window.open('target.html')</script>";
        QTest::newRow("window.open as a popup")
            << "<script>window.open('target.html', 'popup', 'width=200,height=100')</script>";
    }
    void newWindowLoadsInTheSameView()
    {
        QFETCH(QString, opener);
        const QUrl target = writePage("target.html", "Target");
        QVERIFY(load(writePage("opener.html", "Opener", opener)));
        QTRY_COMPARE_WITH_TIMEOUT(page->url(), target, timeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(page->title(), QStringLiteral("Target"), timeoutMs);
        // The stand-in page that caught the new window is gone.
        QTRY_COMPARE_WITH_TIMEOUT(page->findChildren<QWebEnginePage*>().size(), 0, timeoutMs);
    }

    void killedRenderProcessShowsAnErrorAndReloadBringsThePageBack()
    {
        const QUrl url = writePage("page.html", "The page");
        QVERIFY(load(url));
        QVERIFY(page->renderProcessPid() > 0);

        QCOMPARE(killRenderProcessAndWaitForTheErrorPage(), platform::BrowserPage::killedText());

        QCOMPARE(page->title(), platform::BrowserPage::killedText());
        QCOMPARE(page->lostUrl(), url);
        QCOMPARE(page->url(), url);
        // The view still answers: a new render process runs the error page.
        QCOMPARE(evaluate("6 * 7").toInt(), 42);

        QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
        view->reload();
        QVERIFY(loaded.wait(timeoutMs));
        QCOMPARE(page->url(), url);
        QTRY_COMPARE_WITH_TIMEOUT(page->title(), QStringLiteral("The page"), timeoutMs);
        QVERIFY(page->lostUrl().isEmpty());
    }

    void reloadAfterGoingElsewhereReloadsThatPage()
    {
        QVERIFY(load(writePage("page.html", "The page")));
        QCOMPARE(killRenderProcessAndWaitForTheErrorPage(), platform::BrowserPage::killedText());

        const QUrl other = writePage("other.html", "Other");
        QVERIFY(load(other));
        QSignalSpy loaded(page, &QWebEnginePage::loadFinished);
        page->triggerAction(QWebEnginePage::Reload);
        QVERIFY(loaded.wait(timeoutMs));
        QCOMPARE(page->url(), other);
        QCOMPARE(page->title(), QStringLiteral("Other"));
    }
};

SKERRYWIND_TEST_MAIN(TestBrowserPage)
#include "test_BrowserPage.moc"
