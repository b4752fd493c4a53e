// The options dialog: filled from the store at every opening, OK and Cancel,
// the unset marker, the toolbar following the choice at once (also after
// F4), and its stored position.
#include "Dialogs.h"
#include "FakePointer.h"
#include "FormsTest.h"
#include "TestSupport.h"

#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "platform/forms/WindowProc.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "settings/mdlGlobals.h"
#include "shell/frmMain.h"
#include "toolbar/frmToolBar.h"

#include <QWindow>

using skwtest::ImagePixel;
using skwtest::OpenOptions;
using skwtest::Rgb;
using skwtest::StoredPref;
using skwtest::StorePref;

namespace {
bool toolbarShown()
{
    return platform::Forms<frmToolBar>().isVisible();
}

// A colour of the dialog's title band, well inside it.
QRgb bandPixel(frmOptions& options)
{
    return ImagePixel(options, 150, 7);
}
}  // namespace

class TestFrmOptions : public skwtest::FormsTest {
    Q_OBJECT

public:
    TestFrmOptions() : FormsTest(Browser::Recording, MessageBoxes::AreFaults) {}

private slots:
    // Opened filled from the store (the marker for an empty page), then OK
    // stores each box as typed except the exact marker, and the toolbar
    // follows at once.
    void okStoresWhatIsTyped_data()
    {
        skwtest::AddColumns<QString, QString, QString, bool, QString>("storedHome", "homeBox", "typed", "show",
                                                                      "storedAfter");

        // clang-format off
        QTest::newRow("marker untouched") << "" << "[NOT SET]" << "[NOT SET]" << true << "";
        QTest::newRow("cleared box, Hide") << "file:///h.html" << "file:///h.html" << "" << false << "";
        QTest::newRow("marker in other letter case") << "" << "[NOT SET]" << "[not set]" << true << "[not set]";
        QTest::newRow("blanks kept") << "" << "[NOT SET]" << " file:///h.html " << false << " file:///h.html ";
        // clang-format on
    }
    void okStoresWhatIsTyped()
    {
        QFETCH(QString, storedHome);
        QFETCH(QString, homeBox);
        QFETCH(QString, typed);
        QFETCH(bool, show);
        QFETCH(QString, storedAfter);
        if (!storedHome.isEmpty())
            StorePref(QStringLiteral("Default Homepage"), storedHome);
        platform::Forms<frmMain>().Show();
        QVERIFY(toolbarShown());

        frmOptions& options = OpenOptions();
        QVERIFY(options.isVisible());
        QCOMPARE(options.parentWidget(), &platform::Forms<frmMain>());
        QCOMPARE(options.txtHomepage->Text(), homeBox);
        QCOMPARE(options.txtSearchpage->Text(), QStringLiteral("[NOT SET]"));
        QVERIFY(options.optShow->Value());
        options.txtHomepage->SetText(typed);
        options.txtSearchpage->SetText(typed);
        (show ? options.optShow : options.optHide)->SetValue(true);
        skwtest::Click(options.cmdOk);

        QVERIFY(!options.isVisible());
        QCOMPARE(StoredPref(QStringLiteral("Default Homepage")), storedAfter);
        QCOMPARE(StoredPref(QStringLiteral("Default SearchPage")), storedAfter);
        QCOMPARE(StoredPref(QStringLiteral("Show Toolbar")), show ? QStringLiteral("True") : QStringLiteral("False"));
        QCOMPARE(mdlGlobals::strHomepage, storedAfter);
        QCOMPARE(toolbarShown(), show);
    }

    // The option texts are drawn in regular weight inside the frame whose
    // caption is bold.
    void optionTextsInRegularWeight()
    {
        platform::Forms<frmMain>().Show();
        frmOptions& options = OpenOptions();
        QVERIFY(QFontInfo(options.Frame2->font()).bold());
        for (const QWidget* option : {static_cast<QWidget*>(options.optShow), static_cast<QWidget*>(options.optHide)}) {
            QVERIFY(!QFontInfo(option->font()).bold());
            QVERIFY(!QFontInfo(option->font()).italic());
        }
    }

    // Cancel stores nothing; opening again, also while open, refills the
    // boxes from the store.
    void cancelStoresNothing()
    {
        StorePref(QStringLiteral("Default Homepage"), QStringLiteral("file:///h.html"));
        platform::Forms<frmMain>().Show();
        frmOptions& options = OpenOptions();
        options.txtHomepage->SetText(QStringLiteral("file:///edited.html"));
        OpenOptions();
        QCOMPARE(options.txtHomepage->Text(), QStringLiteral("file:///h.html"));
        options.txtHomepage->SetText(QStringLiteral("file:///edited.html"));
        options.optHide->SetValue(true);

        skwtest::Click(options.cmdCancel);

        QVERIFY(!options.isVisible());
        QCOMPARE(StoredPref(QStringLiteral("Default Homepage")), QStringLiteral("file:///h.html"));
        QCOMPARE(StoredPref(QStringLiteral("Show Toolbar")), QStringLiteral("(none)"));
        QVERIFY(toolbarShown());
        OpenOptions();
        QCOMPARE(options.txtHomepage->Text(), QStringLiteral("file:///h.html"));
        QVERIFY(options.optShow->Value());
    }

    // F4 hides the toolbar in memory only; the dialog reads the stored choice
    // back (into memory too, even if cancelled), and OK with Show shows the
    // toolbar again.
    void afterF4TheStoredChoiceComesBack()
    {
        frmMain& main = platform::Forms<frmMain>();
        main.Show();
        main.windowHandle()->requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), main.windowHandle());
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &main, Qt::Key_F4);
        QVERIFY(!toolbarShown());
        QCOMPARE(mdlGlobals::bShowToolbar, false);

        frmOptions& options = OpenOptions();
        QVERIFY(options.optShow->Value());
        skwtest::Click(options.cmdCancel);
        QCOMPARE(mdlGlobals::bShowToolbar, true);
        QVERIFY(!toolbarShown());

        skwtest::Click(OpenOptions().cmdOk);
        QVERIFY(toolbarShown());
    }

    // The title band shows the inactive caption colour while another window
    // is active, the active one again when the dialog is. A left-button drag
    // by the caption moves the dialog with the pointer, the pressed point
    // staying under it, until the button is released; other buttons drag
    // nothing.
    void captionBandAndDrag()
    {
        QVERIFY(Rgb(platform::COLOR_ACTIVECAPTION) != Rgb(platform::COLOR_INACTIVECAPTION));
        frmMain& main = platform::Forms<frmMain>();
        main.Show();
        frmOptions& options = OpenOptions();
        options.windowHandle()->requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), options.windowHandle());
        QCOMPARE(bandPixel(options), Rgb(platform::COLOR_ACTIVECAPTION));
        main.windowHandle()->requestActivate();
        QTRY_COMPARE(bandPixel(options), Rgb(platform::COLOR_INACTIVECAPTION));
        options.windowHandle()->requestActivate();
        QTRY_COMPARE(bandPixel(options), Rgb(platform::COLOR_ACTIVECAPTION));

        options.Move(1500, 900);
        const QPoint pressed(100, 8);
        const QPoint displacement(60, -30);
        const auto pointerAt = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint local) {
            skwtest::SendMouse(options.lblCaption, type, button, held, local);
        };
        pointerAt(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, pressed);
        pointerAt(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pressed + displacement);
        QCOMPARE(QPointF(options.Left(), options.Top()), QPointF(1500 + 15 * 60, 900 - 15 * 30));
        // The pointer rests: the caption has moved under it, back to the pressed point.
        pointerAt(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, pressed);
        pointerAt(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, pressed);
        pointerAt(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, pressed);
        pointerAt(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, pressed + displacement);
        QCOMPARE(QPointF(options.Left(), options.Top()), QPointF(1500 + 15 * 60, 900 - 15 * 30));
    }

    // Closing the main window with both dialogs loaded ends the program; the
    // dialog stores its position, not its size, and opens there next time.
    void closingMainWithBothDialogsLoaded()
    {
        frmMain& main = platform::Forms<frmMain>();
        main.Show();
        OpenOptions().move(130, 70);
        skwtest::WhenShown<frmAbout>([](frmAbout& about) { skwtest::Click(about.cmdOk); });
        platform::SendMessage(&main, platform::WM_SYSCOMMAND, 1, 0);

        main.close();

        QCOMPARE(platform::FormRegistry::LoadedCount(), 0);
        QCOMPARE(lastFormActions, 1);
        const auto placement = [](const char* key) {
            return platform::GetSetting(QStringLiteral("Skerwind32"), QStringLiteral("frmOptions"),
                                        QString::fromLatin1(key), QStringLiteral("(none)"));
        };
        QCOMPARE(placement("Left") + " " + placement("Top") + " " + placement("Width"),
                 QStringLiteral("1950 1050 (none)"));
        platform::Forms<frmMain>().Show();
        QCOMPARE(OpenOptions().pos(), QPoint(130, 70));
    }
};

SKERRYWIND_TEST_MAIN(TestFrmOptions)
#include "test_frmOptions.moc"
