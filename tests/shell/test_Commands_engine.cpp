// SKERRYWIND_ENGINE_TEST: the everyday commands over the real engine: every
// key with the focus in the page (in a text field that has the keys first,
// and takes them or not) and in the address box, printing to a PDF file among
// them; find in a page; the zoom of a site following the page shown, and
// with the address history across a restart; and a click while the
// completion list is open.
#include "EngineTest.h"
#include "FormsTest.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "platform/engine/AddressCompleter.h"
#include "platform/engine/SiteZoom.h"
#include "platform/system/Application.h"
#include "platform/system/RecentStore.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QWindow>

using skwtest::DataPage;
using skwtest::PanelText;

namespace {
constexpr int kLoadTimeout = 30000;
constexpr int kScriptAnswerTimeout = 5000;

// A page with a text field that has the keys first. It notes each key and
// wheel turn, and takes them (cancels them) while `take` is set, all but F7,
// which tells a test that the keys before it are through.
QByteArray page(const char* title)
{
    return QByteArray("<!DOCTYPE html><title>") + title + "</title><p>Page " + title
           + "</p><input id=\"field\" autofocus><script>var take = false, seen = [];"
             "field.addEventListener('keydown', e => { seen.push(e.key); if (take && e.key != 'F7') "
             "e.preventDefault(); });"
             "addEventListener('wheel', e => { seen.push(e.ctrlKey ? 'Ctrl+wheel' : 'wheel');"
             " if (take && e.ctrlKey) e.preventDefault(); }, {passive: false});</script>";
}
frmMain& mainWindow()
{
    return platform::Forms<frmMain>();
}
QLineEdit* addressBox()
{
    return qobject_cast<QLineEdit*>(platform::Forms<frmToolBar>().txtURL->TextBox_hWnd());
}
QWebEngineView* view()
{
    return qobject_cast<QWebEngineView*>(mainWindow().WebBrowser1->Widget());
}

bool open(const QString& address)
{
    QSignalSpy documents(mainWindow().WebBrowser1, &platform::BrowserHost::DocumentComplete);
    mainWindow().WebBrowser1->Navigate(address);
    return QTest::qWaitFor([&] { return !documents.isEmpty() && !mainWindow().WebBrowser1->Busy(); }, kLoadTimeout);
}

// Makes the widget's window active and puts the focus on it (the page: on
// the view's inner widget), with nothing selected.
bool focusOn(QWidget* widget)
{
    widget->window()->windowHandle()->requestActivate();
    widget->setFocus();
    addressBox()->deselect();
    QWidget* focused = widget->focusProxy() ? widget->focusProxy() : widget;
    return QTest::qWaitFor([&] { return QApplication::focusWidget() == focused; }, kLoadTimeout);
}

// The script's answer, or "(no answer)". The answer is lost when the page
// navigates meanwhile (a reload the row before started), so the wait is
// short and callers that wait for a value ask again.
QString runScript(const QString& script)
{
    QString result = QStringLiteral("(no answer)");
    view()->page()->runJavaScript(script, [&](const QVariant& value) { result = value.toString(); });
    (void)QTest::qWaitFor([&] { return result != QStringLiteral("(no answer)"); }, kScriptAnswerTimeout);
    return result;
}

// What the page saw, as its script notes it.
QStringList seenByThePage()
{
    return runScript(QStringLiteral("seen.join(' ')")).split(u' ');
}

// Presses F7, which no page of these takes, in the page and waits until it
// came back: the keys before it are through the page and the browser.
bool keysThrough(QSignalSpy& unhandled)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F7);
    return QTest::qWaitFor(
        [&] {
            return std::any_of(unhandled.cbegin(), unhandled.cend(), [](const QList<QVariant>& key) {
                return key[0].toInt() == platform::VbKeyCode(Qt::Key_F7);
            });
        },
        kLoadTimeout);
}

// Pixels of the find highlights (yellow and orange) in the page.
int highlightPixels()
{
    const QImage image = view()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 200 && c.green() > 120 && c.blue() < 90;
        }
    return count;
}
}  // namespace

class TestCommandsEngine : public skwtest::FormsTest {
    Q_OBJECT

    skwtest::LoopbackServer server;
    // Another site: an address never answered, and a download.
    skwtest::LoopbackServer aside{[](const skwtest::LoopbackServer::Request& request) {
        if (request.path == "/download")
            return skwtest::LoopbackServer::Response{
                200, "data", {{"Content-Disposition", "attachment; filename=zoom.bin"}}};
        return skwtest::LoopbackServer::Response{0, {}, {}};
    }};
    QTemporaryDir printed;
    int printDialogs = 0;
    QString printedName;

public:
    TestCommandsEngine() : FormsTest(Browser::Engine) {}

private slots:
    void initTestCase()
    {
        QVERIFY(server.Listen());
        QVERIFY(aside.Listen());
        server.SetPage(QStringLiteral("/a.html"), page("A"));
        server.SetPage(QStringLiteral("/b.html"), page("B"));
        server.SetPage(QStringLiteral("/slow.html"), page("Slow"), true);
        server.SetPage(QStringLiteral("/stalled.html"), "<!DOCTYPE html><title>Stalled</title><p>Page stalled", true);
        // The print dialog answered with a PDF file.
        platform::SetPrintDialogHook([this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed.filePath(QStringLiteral("page.pdf")));
            printedName = printer.docName();
            return ++printDialogs > 0;
        });
    }
    void init()
    {
        FormsTest::init();
        printDialogs = 0;
        QFile::remove(printed.filePath(QStringLiteral("page.pdf")));
    }
    void cleanup()
    {
        // The rows of the key table share one main window.
        if (QByteArray(QTest::currentTestFunction()) != "keys")
            FormsTest::cleanup();
        QVERIFY(skwtest::Boxes().empty());
    }
    void cleanupTestCase() { FormsTest::cleanup(); }

    // Each command in the page, which does not take its key, and in the
    // address box (the other keys of each command are table tests); then
    // the keys a page takes, which the browser leaves alone, but for
    // closing and full screen, which no page can keep.
    void keys_data()
    {
        skwtest::AddColumns<QString, QString, QString>("input", "before", "expected");
        enum Places { Both, Page, AddressBox };
        const struct {
            const char* input;
            const char* before;
            const char* expected;
            Places places;
        } rows[] = {
            {"Alt+Left", "", "back", Both},
            {"Alt+Right", "back", "forward", Both},
            {"F5", "", "reload", Both},
            {"Ctrl+R", "", "reload", Both},
            {"Shift+F5", "", "reload past the cache", Both},
            {"Esc", "loading", "stopped", Page},
            {"Esc", "find box", "find box closed", Page},
            {"Esc", "full screen", "full screen", Both},
            {"Esc", "typed", "address put back", AddressBox},
            {"Alt+Home", "", "home", Both},
            {"Ctrl+L", "", "address box", Both},
            {"Alt+D", "", "address box", Both},
            {"F6", "toolbar hidden", "address box", Both},
            {"Ctrl+F", "", "find box", Both},
            {"Cyrillic Ctrl+F", "", "find box", Both},
            {"Ctrl+=", "", "Zoom 110%", Both},
            {"Ctrl+-", "", "Zoom 90%", Both},
            {"Ctrl+0", "zoomed", "Zoom 100%", Both},
            {"Ctrl+P, Ctrl+P", "", "printed", Both},
            {"F11", "", "full screen", Both},
            {"F4", "", "toolbar hidden", Both},
            {"Ctrl+W", "full screen", "closed", Both},
            {"mouse back", "", "back", Page},
            {"mouse forward", "back", "forward", Page},
            {"Ctrl+wheel", "", "Zoom 110%", Page},
            {"Ctrl+R", "taken", "page only", Page},
            {"Ctrl+F", "taken", "page only", Page},
            {"Ctrl+P", "taken", "page only", Page},
            {"Ctrl+L", "taken", "page only", Page},
            {"F5", "taken", "page only", Page},
            {"Ctrl+wheel", "taken", "page only", Page},
            {"Ctrl+W", "taken", "closed", Page},
            {"F11", "taken", "full screen", Page},
        };
        for (const auto& row : rows) {
            if (row.places != AddressBox)
                QTest::addRow("%s, %s%s", row.input, row.before, row.before[0] ? ", page" : "page")
                    << row.input << row.before << row.expected;
            if (row.places != Page)
                QTest::addRow("%s, %s%s", row.input, row.before, row.before[0] ? ", address box" : "address box")
                    << row.input << row.before << row.expected;
        }
    }
    void keys()
    {
        QFETCH(QString, input);
        QFETCH(QString, before);
        QFETCH(QString, expected);
        const bool inPage = QByteArray(QTest::currentDataTag()).endsWith("page");
        const QString a = server.Url(QStringLiteral("/a.html")), b = server.Url(QStringLiteral("/b.html"));
        // The window the row before left open, as it was made, on page B
        // (after page A where the row goes back).
        frmMain& form = mainWindow();
        form.Show();
        // A reload the row before started is let finish: Escape would stop it
        // half way and leave an empty document at page B's address.
        QTRY_VERIFY_WITH_TIMEOUT(!form.WebBrowser1->Busy(), kLoadTimeout);
        form.DoCommand(MCommands::Command::Escape);
        if (form.FullScreen())
            form.DoCommand(MCommands::Command::FullScreen);
        form.WebBrowser1->SetZoomFactor(1.0);
        platform::Forms<frmToolBar>().Show(platform::vbModeless, &form);
        mdlGlobals::bShowToolbar = true;
        // Stored at the unload, whether full screen or not.
        const QStringList placement{QString::number(form.Left()), QString::number(form.Top()),
                                    QString::number(form.Width()), QString::number(form.Height())};
        const bool back = before == "back" || expected == "back";
        if (back)
            QVERIFY(open(a));
        if (back || addressBox()->text() != b)
            QVERIFY(open(b));
        if (before == "back") {
            form.WebBrowser1->GoBack();
            QTRY_COMPARE_WITH_TIMEOUT(addressBox()->text(), a, kLoadTimeout);
        } else if (before == "loading") {
            form.WebBrowser1->Navigate(server.Url(QStringLiteral("/slow.html")));
            QTRY_VERIFY_WITH_TIMEOUT(form.Caption().endsWith(u"[Slow]") && form.WebBrowser1->Busy(), kLoadTimeout);
        } else if (before == "find box") {
            form.DoCommand(MCommands::Command::Find);
        } else if (before == "full screen") {
            form.SetFullScreen(true);
            QVERIFY(form.windowState().testFlag(Qt::WindowFullScreen));
        } else if (before == "zoomed") {
            form.WebBrowser1->SetZoomFactor(1.5);
        } else if (before == "toolbar hidden") {
            platform::Forms<frmToolBar>().Hide();
            mdlGlobals::bShowToolbar = false;
        }
        QVERIFY(focusOn(inPage || before == "toolbar hidden" ? form.WebBrowser1->Widget() : addressBox()));
        if (inPage) {
            QTRY_COMPARE_WITH_TIMEOUT(runScript(QStringLiteral("document.activeElement.id")), QStringLiteral("field"),
                                      kLoadTimeout);
            const QString take = QString::fromLatin1(before == "taken" ? "true" : "false");
            QTRY_COMPARE_WITH_TIMEOUT(runScript(QStringLiteral("take = ") + take), take, kLoadTimeout);
        }
        if (before == "typed")
            QTest::keyClicks(addressBox(), QStringLiteral("typed"));
        const auto requestsForB = [&] {
            return std::count_if(server.Requests.cbegin(), server.Requests.cend(),
                                 [](const QByteArray& head) { return head.startsWith("GET /b.html "); });
        };
        const auto requests = requestsForB();
        QSignalSpy unhandled(form.WebBrowser1, &platform::BrowserHost::UnhandledKeyDown);

        QWidget* target = QApplication::focusWidget();
        const QPoint at(50, 50);
        if (input.startsWith(u"mouse")) {
            const Qt::MouseButton button = input.endsWith(u"back") ? Qt::BackButton : Qt::ForwardButton;
            const QPoint inWindow = target->mapTo(&form, at);
            QTest::mousePress(form.windowHandle(), button, {}, inWindow);
            QTest::mouseRelease(form.windowHandle(), button, {}, inWindow);
        } else if (input == "Ctrl+wheel") {
            QWheelEvent wheel(at, target->mapToGlobal(at), {}, {0, 120}, {}, Qt::ControlModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(target, &wheel);
        } else if (input == "Cyrillic Ctrl+F") {
            // As X11 gives it under a Russian layout: the key code of the F
            // key, the keysym of the Cyrillic letter there, its text.
            constexpr quint32 kKeyCodeOfF = 41, kKeysymCyrillicA = 0x6C1, kControlState = 4;
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                QKeyEvent key(type, 0x0410, Qt::ControlModifier, kKeyCodeOfF, kKeysymCyrillicA, kControlState,
                              QStringLiteral("\u0430"));
                QApplication::sendEvent(target, &key);
            }
        } else {
            const QKeySequence keys(input);
            for (int i = 0; i < keys.count(); ++i)
                QTest::keyClick(QApplication::focusWidget(), keys[i].key(), keys[i].keyboardModifiers());
        }
        // Where nothing shows that a key came back from the page (or that
        // it did not), a key after it does.
        const QStringList showsItself{"closed", "address box", "find box", "back", "forward"};
        if (inPage && !showsItself.contains(expected) && !input.contains(u"wheel") && !input.startsWith(u"mouse"))
            QVERIFY(keysThrough(unhandled));

        if (expected == "back" || expected == "forward")
            QTRY_COMPARE_WITH_TIMEOUT(addressBox()->text(), expected == "back" ? a : b, kLoadTimeout);
        else if (expected.startsWith(u"reload")) {
            QTRY_VERIFY_WITH_TIMEOUT(requestsForB() > requests, kLoadTimeout);
            QCOMPARE(server.LastRequestFor(QStringLiteral("/b.html")).contains("no-cache"),
                     expected.endsWith(u"cache"));
        } else if (expected == "stopped")
            QTRY_VERIFY_WITH_TIMEOUT(!form.WebBrowser1->Busy() && PanelText(1) == QStringLiteral("Stopped"),
                                     kLoadTimeout);
        else if (expected == "find box")
            QTRY_COMPARE_WITH_TIMEOUT(form.ActiveControl(), static_cast<QWidget*>(form.FindBox1), kLoadTimeout);
        else if (expected == "find box closed")
            QVERIFY(!form.FindBox1->Visible());
        else if (expected == "full screen") {
            QVERIFY(form.FullScreen());
            // F11 puts the toolbar out of the way.
            QCOMPARE(platform::Forms<frmToolBar>().Visible(), input != "F11");
        } else if (expected == "address put back") {
            QCOMPARE(addressBox()->text(), b);
            QCOMPARE(addressBox()->selectedText(), b);
        } else if (expected == "home")
            QTRY_COMPARE_WITH_TIMEOUT(addressBox()->text(), QStringLiteral("skerrywind:home"), kLoadTimeout);
        else if (expected == "address box") {
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(addressBox()), kLoadTimeout);
            QCOMPARE(addressBox()->selectedText(), b);
            QCOMPARE(mdlGlobals::bShowToolbar, before.isEmpty());  // shown as by its own F4
        } else if (expected.startsWith(u"Zoom"))
            QTRY_COMPARE_WITH_TIMEOUT((QStringList{MCommands::ZoomText(form.WebBrowser1->ZoomFactor()), PanelText(1)}),
                                      (QStringList{expected, expected}), kLoadTimeout);
        else if (expected == "printed") {
            // One dialog for the two presses, the document named after the
            // page; the file holds the page's text.
            QTRY_COMPARE_WITH_TIMEOUT(PanelText(1), QStringLiteral("Printing done"), kLoadTimeout);
            QCOMPARE(printDialogs, 1);
            QCOMPARE(printedName, QStringLiteral("B.pdf"));
            QProcess pdftotext;
            pdftotext.start(QStringLiteral("pdftotext"),
                            {printed.filePath(QStringLiteral("page.pdf")), QStringLiteral("-")});
            QVERIFY2(pdftotext.waitForFinished(kLoadTimeout),
                     "pdftotext (poppler-utils) is needed: tools/bootstrap installs it");
            QVERIFY(pdftotext.readAllStandardOutput().contains("Page B"));
        } else if (expected == "closed") {
            // Once the page has let it close.
            QTRY_VERIFY_WITH_TIMEOUT(!platform::FormRegistry::IsLoaded<frmMain>(), kLoadTimeout);
            QStringList stored;
            for (const char* key : {"Left", "Top", "Width", "Height"})
                stored << platform::GetSetting(QStringLiteral("Skerwind32"), QStringLiteral("frmMain"),
                                               QString::fromLatin1(key));
            QCOMPARE(stored, placement);
        } else if (expected == "toolbar hidden")
            QCOMPARE((QList<bool>{platform::Forms<frmToolBar>().Visible(), mdlGlobals::bShowToolbar}),
                     (QList<bool>{false, !inPage}));
        else if (expected == "page only") {
            // The page had it; the browser did nothing: no reload, no find
            // box, no print dialog, no zoom, the focus stays.
            const QKeyCombination key = QKeySequence(input)[0];
            const QString name = input.contains(u"wheel") ? input
                                 : key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z
                                     ? QString(QChar(key.key())).toLower()
                                     : QKeySequence(key.key()).toString();
            if (input.contains(u"wheel")) {
                // Turns reach the page one after the other: when a plain one
                // is there, the engine has had the page's answer to the first.
                QWheelEvent wheel(at, target->mapToGlobal(at), {}, {0, -120}, {}, {}, Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &wheel);
                QTRY_VERIFY_WITH_TIMEOUT(seenByThePage().contains(QStringLiteral("wheel")), kLoadTimeout);
            }
            QVERIFY(seenByThePage().contains(name));
            QVERIFY(!form.WebBrowser1->Busy());
            QCOMPARE(requestsForB(), requests);
            QVERIFY(!form.FindBox1 || !form.FindBox1->Visible());
            QCOMPARE(printDialogs, 0);
            QCOMPARE((QList<double>{form.WebBrowser1->ZoomFactor(), view()->zoomFactor()}), (QList<double>{1.0, 1.0}));
            QVERIFY(form.WebBrowser1->HasFocus());
        } else
            QFAIL("unknown expectation");
    }

    // Finds as the user types, letter case ignored, in any script; Enter,
    // Shift+Enter and F3 walk the matches round the page; Escape closes the
    // box and clears the highlights. A page still loading is searched as far
    // as it has come.
    void findInPage_data()
    {
        skwtest::AddColumns<QString, QString>("address", "text");
        QTest::addColumn<QStringList>("results");  // after typing, then after each key of the walk
        const QString find = DataPage("find.html");
        // clang-format off
        QTest::newRow("walked") << find << "needle" << QStringList{"1 of 3", "2 of 3", "3 of 3", "1 of 3", "3 of 3", "1 of 3"};
        QTest::newRow("letter case") << find << "NeEdLe" << QStringList{"1 of 3"};
        QTest::newRow("right-to-left") << find << QStringLiteral("\u05E9\u05DC\u05D5\u05DD") << QStringList{"1 of 1"};
        QTest::newRow("emoji") << find << QStringLiteral("\U0001F642") << QStringList{"1 of 1"};
        QTest::newRow("not there") << find << "haystack" << QStringList{"Not found"};
        QTest::newRow("10,000 characters") << find << QString(10000, u'n') << QStringList{"Not found"};
        QTest::newRow("still loading") << "stalled" << "page stalled" << QStringList{"1 of 1"};
        // clang-format on
    }
    void findInPage()
    {
        QFETCH(QString, address);
        QFETCH(QString, text);
        QFETCH(QStringList, results);
        frmMain& form = mainWindow();
        form.Show();
        if (address == "stalled") {
            form.WebBrowser1->Navigate(server.Url(QStringLiteral("/stalled.html")));
            QTRY_VERIFY_WITH_TIMEOUT(form.Caption().endsWith(u"[Stalled]"), kLoadTimeout);
        } else {
            QVERIFY(open(address));
        }
        QVERIFY(focusOn(form.WebBrowser1->Widget()));
        const int plainPage = highlightPixels();

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
        QTRY_COMPARE_WITH_TIMEOUT(form.ActiveControl(), static_cast<QWidget*>(form.FindBox1), kLoadTimeout);
        QSignalSpy found(form.WebBrowser1, &platform::BrowserHost::FindTextResult);
        form.FindBox1->txtFind->SetText(text);
        const QKeyCombination walk[] = {Qt::Key_Return, Qt::Key_Return, Qt::Key_Return, Qt::SHIFT | Qt::Key_Return,
                                        Qt::Key_F3};
        for (qsizetype i = 0; i < results.size(); ++i) {
            if (i > 0)
                QTest::keyClick(QApplication::focusWidget(), walk[i - 1].key(), walk[i - 1].keyboardModifiers());
            QTRY_COMPARE_WITH_TIMEOUT(found.size(), i + 1, kLoadTimeout);
            QCOMPARE(MCommands::FindResultText(found[i][0].toInt(), found[i][1].toInt()), results[i]);
        }
        // A page still loading writes its progress there too.
        QCOMPARE(form.WebBrowser1->Busy() ? results.last() : PanelText(1), results.last());
        if (results[0] != "Not found")
            QTRY_VERIFY_WITH_TIMEOUT(highlightPixels() > plainPage, kLoadTimeout);
        const int highlighted = highlightPixels() - plainPage;

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QCOMPARE((QList<bool>{form.FindBox1->Visible(), PanelText(1).isEmpty()}), (QList<bool>{false, true}));
        // Gone, but for a few pixels the engine may leave at their edges.
        QTRY_VERIFY_WITH_TIMEOUT(highlightPixels() - plainPage <= highlighted / 10, kLoadTimeout);
        QCOMPARE(QApplication::focusWidget(), view()->focusProxy());
        // Opened again it finds its text again; it stays open while the page
        // loads again and finds again once it has; a navigation to another
        // address closes it.
        form.DoCommand(MCommands::Command::Find);
        QTRY_COMPARE_WITH_TIMEOUT(found.size(), results.size() + 1, kLoadTimeout);
        if (address != "stalled") {
            form.DoCommand(MCommands::Command::Refresh);
            QTRY_COMPARE_WITH_TIMEOUT(found.size(), results.size() + 2, kLoadTimeout);
            QVERIFY(form.FindBox1->Visible());
            QCOMPARE(found.last()[1].toInt(), found.first()[1].toInt());
        }
        form.WebBrowser1->Navigate(DataPage("news.html"));
        QTRY_VERIFY_WITH_TIMEOUT(!form.FindBox1->Visible(), kLoadTimeout);
    }

    // A site's zoom comes once its page is shown: a navigation stopped
    // before its page came, or one that turns into a download, leaves the
    // page shown at its own zoom, and zoom set then is its site's.
    void zoomFollowsThePageShown_data()
    {
        skwtest::AddRows<QString>("path", {{"stopped", "/unanswered"}, {"a download", "/download"}});
    }
    void zoomFollowsThePageShown()
    {
        QFETCH(QString, path);
        const QString news = DataPage("news.html");
        const QUrl other(aside.Url(path));
        platform::SiteZoom::SetFactor(other, 2.0);
        frmMain& form = mainWindow();
        form.Show();
        QVERIFY(open(news));
        form.DoCommand(MCommands::Command::ZoomIn);
        form.DoCommand(MCommands::Command::ZoomIn);
        QCOMPARE(form.WebBrowser1->ZoomFactor(), 1.25);

        QSignalSpy started(form.WebBrowser1, &platform::BrowserHost::BeforeNavigate);
        form.WebBrowser1->Navigate(other.toString());
        QTRY_VERIFY_WITH_TIMEOUT(!started.isEmpty(), kLoadTimeout);
        QCOMPARE(form.WebBrowser1->ZoomFactor(), 1.25);
        if (path == "/unanswered")
            form.DoCommand(MCommands::Command::Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!form.WebBrowser1->Busy(), kLoadTimeout);
        QCOMPARE((QList<double>{form.WebBrowser1->ZoomFactor(), view()->zoomFactor()}), (QList<double>{1.25, 1.25}));
        QCOMPARE(form.WebBrowser1->LocationURL(), news);
        form.DoCommand(MCommands::Command::ZoomIn);
        QCOMPARE((QList<double>{platform::SiteZoom::Factor(QUrl(news)), platform::SiteZoom::Factor(other)}),
                 (QList<double>{1.5, 2.0}));
        // A page of that site, once shown, comes with its zoom.
        QVERIFY(open(server.Url(QStringLiteral("/a.html"))));
        QCOMPARE(form.WebBrowser1->ZoomFactor(), 2.0);
    }

    // The zoom of a site holds for all its pages (local files are one site)
    // and comes back, drawn, at the next start; the address box offers the
    // addresses of the earlier run that opened, the most visited first.
    void zoomAndHistoryAcrossARestart()
    {
        const QString news = DataPage("news.html"), untitled = DataPage("untitled.html");
        mainWindow().Show();
        QVERIFY(open(news));
        mainWindow().DoCommand(MCommands::Command::ZoomIn);
        mainWindow().DoCommand(MCommands::Command::ZoomIn);
        QCOMPARE(PanelText(1), QStringLiteral("Zoom 125%"));
        QVERIFY(open(server.Url(QStringLiteral("/a.html"))));
        QCOMPARE(mainWindow().WebBrowser1->ZoomFactor(), 1.0);
        QVERIFY(open(untitled));
        QCOMPARE(mainWindow().WebBrowser1->ZoomFactor(), 1.25);
        QVERIFY(open(QStringLiteral("skerrywind:search")));
        // Neither a failed load, nor an address that carries its page, nor
        // text that is no address is recorded.
        for (const char* unrecorded :
             {"http://127.0.0.1:1/failed.html", "data:text/html,<title>data.html</title>", "nosuch:page.html"})
            QVERIFY(open(QString::fromLatin1(unrecorded)));
        skwtest::UnloadForms<frmMain>();
        platform::RecentStore::CloseAll();  // read again, as in a new run

        platform::SetCommandLineArguments({news});
        mainWindow().Show();
        QTRY_VERIFY_WITH_TIMEOUT(addressBox()->text() == news && !mainWindow().WebBrowser1->Busy(), kLoadTimeout);
        QCOMPARE(mainWindow().WebBrowser1->ZoomFactor(), 1.25);
        QTRY_COMPARE_WITH_TIMEOUT(runScript(QStringLiteral("window.devicePixelRatio")), QStringLiteral("1.25"),
                                  kLoadTimeout);
        QVERIFY(focusOn(addressBox()));
        addressBox()->clear();
        QTest::keyClicks(addressBox(), QStringLiteral(".HTML"));
        auto* completer = platform::AddressCompleter::Of(addressBox());
        QVERIFY(completer->ListVisible());
        QCOMPARE(completer->Completions(), (QStringList{news, untitled, server.Url(QStringLiteral("/a.html"))}));
        addressBox()->clear();
        QTest::keyClicks(addressBox(), QStringLiteral("ERR"));
        QCOMPARE(completer->Completions(), QStringList{"skerrywind:search"});
    }

    // With the completion list open, the first click on Go navigates, and
    // the first click on a link in the page follows it.
    void clickWithTheListOpen_data() { skwtest::AddRows<bool>("onGo", {{"Go", true}, {"a link in the page", false}}); }
    void clickWithTheListOpen()
    {
        QFETCH(bool, onGo);
        const QString news = DataPage("news.html"), untitled = DataPage("untitled.html");
        mainWindow().Show();
        QVERIFY(open(untitled));
        QVERIFY(open(news));
        QVERIFY(focusOn(addressBox()));
        addressBox()->clear();
        QTest::keyClicks(addressBox(), untitled);
        auto* completer = platform::AddressCompleter::Of(addressBox());
        QTRY_VERIFY_WITH_TIMEOUT(completer->ListVisible(), kLoadTimeout);  // once the folder has been listed
        QSignalSpy documents(mainWindow().WebBrowser1, &platform::BrowserHost::DocumentComplete);

        QWidget* target = onGo ? static_cast<QWidget*>(platform::Forms<frmToolBar>().cmdGo) : view();
        QTest::mouseClick(target->window()->windowHandle(), Qt::LeftButton, {},
                          target->mapTo(target->window(), onGo ? target->rect().center() : QPoint(40, 150)));

        QVERIFY(!completer->ListVisible());
        QTRY_COMPARE_WITH_TIMEOUT(documents.size(), 1, kLoadTimeout);
        QCOMPARE(documents[0][1].value<QVariant>().toString(), untitled);
    }
};

SKERRYWIND_ENGINE_TEST_MAIN(TestCommandsEngine)
#include "test_Commands_engine.moc"
