// SKERRYWIND_ENGINE_TEST: the browser's everyday commands over the real
// engine: find in a page, the zoom of a site across a restart, printing to a
// PDF file, the address history across a restart, and a click on Go or the
// page while the completion list is open.
#include "EngineWindow.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "platform/engine/AddressCompleter.h"
#include "platform/engine/BrowserHost.h"
#include "platform/system/RecentStore.h"
#include "platform/system/Runtime.h"

#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEngineView>
#include <QWindow>

using namespace skwtest;

namespace {
// A page that stays loading, with its start shown.
const QByteArray kSlowPage = "<!DOCTYPE html><html><head><title>Slow</title></head><body><p>Page Slow";

QString localPage(const QString& name)
{
    return QUrl::fromLocalFile(QStringLiteral(SKERRYWIND_TEST_DATA "/") + name).toString();
}

// Pixels of the find highlights (yellow and orange) in the page.
int highlightPixels()
{
    const QImage image = View()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 200 && c.green() > 120 && c.blue() < 90;
        }
    return count;
}

}  // namespace

class TestCommandsEngine : public QObject {
    Q_OBJECT

    skwtest::LoopbackServer server;
    int printDialogs = 0;
    std::function<bool(QPrinter&)> printAnswer;


private slots:
    void initTestCase()
    {
        server.SetPage(QStringLiteral("/a.html"), "<!DOCTYPE html><title>A</title><p>Page A");
        server.SetPage(QStringLiteral("/slow.html"), kSlowPage, true);
        platform::FormRegistry::SetLastFormAction([] {});
        platform::SetPrintDialogHook([this](QPrinter& printer) {
            ++printDialogs;
            return printAnswer ? printAnswer(printer) : false;
        });
    }
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        platform::SetCommandLineArguments({});
        printDialogs = 0;
        printAnswer = nullptr;
    }
    void cleanup()
    {
        CloseTheMainWindow();
        QVERIFY(skwtest::Boxes().empty());
    }

    // Finds as the user types, letter case ignored, in any script; Enter,
    // Shift+Enter, F3 and Shift+F3 walk the matches round the page; Escape
    // closes the box and clears the highlights.
    void findInPage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("results");  // after typing, then after each key below
        QTest::newRow("three matches, walked")
            << "needle" << QStringList{"1 of 3", "2 of 3", "3 of 3", "1 of 3", "3 of 3", "1 of 3"};
        QTest::newRow("letter case ignored") << "NeEdLe" << QStringList{"1 of 3"};
        QTest::newRow("right-to-left") << QStringLiteral("\u05E9\u05DC\u05D5\u05DD") << QStringList{"1 of 1"};
        QTest::newRow("emoji") << QStringLiteral("\U0001F642") << QStringList{"1 of 1"};
        QTest::newRow("not in the page") << "haystack" << QStringList{"Not found"};
        QTest::newRow("10,000 characters") << QString(10000, u'n') << QStringList{"Not found"};
    }
    void findInPage()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, results);
        MainWindow().Show();
        QVERIFY(Open(localPage(QStringLiteral("find.html"))));
        frmMain& form = MainWindow();
        QVERIFY(FocusThePage());
        const int plainPage = highlightPixels();

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QTRY_COMPARE(form.ActiveControl(), static_cast<QWidget*>(form.FindBox1));
        form.FindBox1->txtFind->SetText(text);
        QTRY_COMPARE_WITH_TIMEOUT(PanelText(1), results[0], kLoadTimeout);
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        } walk[] = {{Qt::Key_Return, {}}, {Qt::Key_Return, {}}, {Qt::Key_Return, {}},
                    {Qt::Key_Return, Qt::ShiftModifier}, {Qt::Key_F3, {}}};
        for (qsizetype i = 1; i < results.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), walk[i - 1].key, walk[i - 1].modifiers);
            QTRY_COMPARE_WITH_TIMEOUT(PanelText(1), results[i], kLoadTimeout);
        }
        if (results[0] != "Not found")
            QTRY_VERIFY_WITH_TIMEOUT(highlightPixels() > plainPage, kLoadTimeout);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!form.FindBox1->Visible());
        QCOMPARE(PanelText(1), QString());
        QTRY_COMPARE_WITH_TIMEOUT(highlightPixels(), plainPage, kLoadTimeout);
        QTRY_COMPARE(QApplication::focusWidget(), View()->focusProxy());
    }

    // A page still loading is searched as far as it has come.
    void findWhileLoading()
    {
        MainWindow().Show();
        frmMain& form = MainWindow();
        form.WebBrowser1->Navigate(server.Url(QStringLiteral("/slow.html")));
        QTRY_VERIFY_WITH_TIMEOUT(form.Caption().endsWith(u"[Slow]"), kLoadTimeout);
        form.DoCommand(MCommands::Command::Find);
        form.FindBox1->txtFind->SetText(QStringLiteral("page slow"));
        QTRY_COMPARE_WITH_TIMEOUT(PanelText(1), QStringLiteral("1 of 1"), kLoadTimeout);
        QVERIFY(form.WebBrowser1->Busy());
    }

    // The zoom of a site holds for all its pages, local files are one site,
    // and each comes back at the next start; the page is drawn at it.
    void zoomPerSiteAcrossARestart()
    {
        const QString news = localPage(QStringLiteral("news.html"));
        const QString untitled = localPage(QStringLiteral("untitled.html"));
        const QString web = server.Url(QStringLiteral("/a.html"));
        MainWindow().Show();
        QVERIFY(Open(news));
        MainWindow().DoCommand(MCommands::Command::ZoomIn);
        MainWindow().DoCommand(MCommands::Command::ZoomIn);
        QCOMPARE(PanelText(1), QStringLiteral("Zoom 125%"));
        QVERIFY(Open(web));
        QCOMPARE(MainWindow().WebBrowser1->ZoomFactor(), 1.0);
        QVERIFY(Open(untitled));
        QCOMPARE(MainWindow().WebBrowser1->ZoomFactor(), 1.25);

        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::RecentStore::CloseAll();  // as a new run reads them

        platform::SetCommandLineArguments({news});
        MainWindow().Show();
        QTRY_COMPARE_WITH_TIMEOUT(AddressBox()->text(), news, kLoadTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!MainWindow().WebBrowser1->Busy(), kLoadTimeout);
        QCOMPARE(MainWindow().WebBrowser1->ZoomFactor(), 1.25);
        QTRY_COMPARE_WITH_TIMEOUT(RunScript(QStringLiteral("window.devicePixelRatio")).toDouble(), 1.25, kLoadTimeout);
        QVERIFY(Open(web));
        QCOMPARE(MainWindow().WebBrowser1->ZoomFactor(), 1.0);
    }

    // Ctrl+P, the print dialog answered with a PDF file: the file holds the
    // page's text, and panel 1 says printing has ended.
    void printToAPdfFile()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        printAnswer = [pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        MainWindow().Show();
        QVERIFY(Open(localPage(QStringLiteral("find.html"))));
        QVERIFY(FocusThePage());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);  // while it prints
        QTRY_COMPARE_WITH_TIMEOUT(PanelText(1), QStringLiteral("Printing done"), kLoadTimeout);
        QCOMPARE(printDialogs, 1);

        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY2(pdftotext.waitForFinished(kLoadTimeout), "pdftotext (poppler-utils) is needed: tools/bootstrap installs it");
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("A needle in the first line")), qPrintable(text));
    }

    // Addresses of an earlier run are offered, the most visited first.
    void historyAcrossARestart()
    {
        const QString news = localPage(QStringLiteral("news.html"));
        const QString untitled = localPage(QStringLiteral("untitled.html"));
        MainWindow().Show();
        QVERIFY(Open(untitled));
        QVERIFY(Open(news));
        QVERIFY(Open(untitled));
        QVERIFY(Open(QStringLiteral("skerrywind:search")));
        platform::FormRegistry::UnloadIfLoaded<frmMain>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::RecentStore::CloseAll();

        platform::SetCommandLineArguments({QStringLiteral("skerrywind:home")});
        MainWindow().Show();
        QTRY_COMPARE_WITH_TIMEOUT(AddressBox()->text(), QStringLiteral("skerrywind:home"), kLoadTimeout);
        QVERIFY(FocusTheAddressBox());
        AddressBox()->clear();
        QTest::keyClicks(AddressBox(), QStringLiteral("ERR"));
        auto* completer = platform::AddressCompleter::Of(AddressBox());
        QVERIFY(completer->ListVisible());
        QCOMPARE(completer->Completions(), (QStringList{"skerrywind:home", "skerrywind:search"}));
        AddressBox()->clear();
        QTest::keyClicks(AddressBox(), QStringLiteral("data/"));
        QCOMPARE(completer->Completions(), (QStringList{untitled, news}));
    }

    // With the completion list open, the first click on Go navigates, and
    // the first click on a link in the page follows it.
    void clickWithTheListOpen_data()
    {
        QTest::addColumn<bool>("onGo");
        QTest::newRow("Go") << true;
        QTest::newRow("a link in the page") << false;
    }
    void clickWithTheListOpen()
    {
        QFETCH(bool, onGo);
        const QString news = localPage(QStringLiteral("news.html"));
        const QString untitled = localPage(QStringLiteral("untitled.html"));
        MainWindow().Show();
        QVERIFY(Open(untitled));
        QVERIFY(Open(news));
        QVERIFY(FocusTheAddressBox());
        AddressBox()->clear();
        QTest::keyClicks(AddressBox(), untitled);
        auto* completer = platform::AddressCompleter::Of(AddressBox());
        QTRY_VERIFY(completer->ListVisible());  // once the folder has been listed
        QSignalSpy documents(MainWindow().WebBrowser1, &platform::BrowserHost::DocumentComplete);

        QWidget* target = onGo ? static_cast<QWidget*>(Toolbar().cmdGo)
                               : static_cast<QWidget*>(MainWindow().WebBrowser1->Widget());
        const QPoint at = target->mapTo(target->window(), onGo ? target->rect().center() : QPoint(40, 150));
        QTest::mouseClick(target->window()->windowHandle(), Qt::LeftButton, {}, at);

        QVERIFY(!completer->ListVisible());
        QTRY_COMPARE_WITH_TIMEOUT(documents.size(), 1, kLoadTimeout);
        QCOMPARE(documents[0][1].value<QVariant>().toString(), untitled);
    }
};

SKERRYWIND_TEST_MAIN(TestCommandsEngine)
#include "test_Commands_engine.moc"
