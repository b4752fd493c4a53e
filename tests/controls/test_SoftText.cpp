// SoftText: its frame in both looks, hover and focus switching the look, the
// height rule, key and change events passed through, the stored properties,
// and the report of a failing poll.
#include "ControlsTest.h"
#include "TestSupport.h"

#include "controls/SoftText.h"
#include "platform/intrinsics/TextBox.h"
#include "platform/system/AppError.h"
#include "platform/system/Runtime.h"

#include <QSignalSpy>

using platform::OLE_COLOR;
using platform::PropertyBag;
using namespace skwtest::frame;

namespace {
QString Name(OLE_COLOR c)
{
    return platform::TranslateColor(c).name();
}

// "left top | bottom right | second-last row, second-last column".
QString Frame(QWidget* w)
{
    const QImage img = w->grab().toImage();
    const int W = img.width();
    const int H = img.height();
    auto at = [&](int x, int y) { return QColor(img.pixel(x, y)).name(); };
    return at(0, H / 2) + " " + at(W / 2, 0) + " | " + at(W / 2, H - 1) + " " + at(W - 1, H / 2) + " | "
           + at(W / 2, H - 2) + " " + at(W - 2, H / 2);
}

QString Expect(OLE_COLOR dark, OLE_COLOR light)
{
    const QString face = Name(platform::COLOR_BTNFACE);
    return Name(dark) + " " + Name(dark) + " | " + Name(light) + " " + Name(light) + " | " + face + " " + face;
}

// The system colours are read from the palette, so only once the application runs.
QString Normal()
{
    return Expect(kGrey, kLightGrey);
}
QString Active()
{
    return Expect(kBlack, kWhite);
}

const PropertyBag kStored{{"_extentx", 8811},
                          {"_extenty", 503},
                          {"ttext", ""},
                          {"tlocked", false},
                          {"talignment", 0},
                          {"tmaxlength", 0},
                          {"tbackcolor", int32_t(0x8000000E)},
                          {"tenabled", true}};
}  // namespace

class TestSoftText : public skwtest::ControlsTest {
    Q_OBJECT

    SoftText* Place(const PropertyBag& bag = kStored, const QString& name = QStringLiteral("txtURL"), float top = 300)
    {
        auto* txt = PlaceOnHost<SoftText>(name, bag, 300, top, 3000, 285);
        // Showing the window gives the text box the focus; take it away.
        host->setFocus();
        return txt;
    }
    static platform::TextBox* Inner(SoftText* txt)
    {
        return txt->findChild<platform::TextBox*>(QStringLiteral("txtText"));
    }
    static void Tick(SoftText* txt) { skwtest::FireTimer(txt, "tmrMouseMonitor"); }

private slots:
    void init()
    {
        ControlsTest::init();
        host->setFocusPolicy(Qt::StrongFocus);
    }

    void heightFollowsTheTextBox_data() { skwtest::AddRows<float>("height", {{"taller", 1000.0f}, {"lower", 100.0f}}); }
    void heightFollowsTheTextBox()
    {
        QFETCH(float, height);
        SoftText* txt = Place();
        txt->Move(300, 300, 2400, height);
        const platform::TextBox* inner = Inner(txt);
        QCOMPARE(txt->height(), platform::PixelsY(inner->Height() + 40));
        QCOMPARE(inner->geometry(), QRect(1, 1, txt->width() - 3, inner->height()));
        // Two free pixel rows below the text box and two columns right of it.
        QCOMPARE(txt->height() - inner->geometry().bottom() - 1, 2);
    }

    void hoverOverTheTextOnlySwitchesTheLook()
    {
        SoftText* txt = Place();
        QCOMPARE(Frame(txt), Normal());
        pointer->MoveOnto(Inner(txt));
        Tick(txt);
        QCOMPARE(Frame(txt), Active());
        pointer->MoveOnto(txt, QPoint(0, 0));  // on the frame pixels
        Tick(txt);
        QCOMPARE(Frame(txt), Normal());
        pointer->MoveOnto(Inner(txt));
        Tick(txt);
        pointer->MoveAway();
        Tick(txt);
        QCOMPARE(Frame(txt), Normal());
    }

    void focusKeepsTheActiveLook()
    {
        SoftText* txt = Place();
        host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
        Inner(txt)->setFocus();
        QVERIFY(Inner(txt)->hasFocus());
        QCOMPARE(Frame(txt), Active());
        pointer->MoveOnto(Inner(txt));
        Tick(txt);
        pointer->MoveAway();
        Tick(txt);
        QCOMPARE(Frame(txt), Active());  // still focused

        pointer->MoveOnto(Inner(txt));
        Tick(txt);
        Inner(txt)->clearFocus();
        QCOMPARE(Frame(txt), Active());  // pointer still over the text
        pointer->MoveAway();
        Tick(txt);
        QCOMPARE(Frame(txt), Normal());
    }

    void disabledControlKeepsItsLook()
    {
        SoftText* txt = Place();
        pointer->MoveOnto(Inner(txt));
        Tick(txt);
        txt->SetEnabled(false);
        pointer->MoveAway();
        Tick(txt);
        QCOMPARE(Frame(txt), Active());
        QVERIFY(!Inner(txt)->isEnabled());
    }

    void storedDisabledNeverSwitches()
    {
        PropertyBag bag = kStored;
        bag.WriteProperty("tenabled", false);
        SoftText* txt = Place(bag);
        QCOMPARE(txt->Enabled(), false);
        QVERIFY(!Inner(txt)->isEnabled());
        pointer->MoveOnto(Inner(txt));
        Tick(txt);
        QCOMPARE(Frame(txt), Normal());
    }

    void ctrlEnterRaisesNoKeyPress()
    {
        SoftText* txt = Place();
        QList<int> press, down, up;
        connect(txt, &SoftText::KeyPress, this, [&](int16_t& KeyAscii) { press << KeyAscii; });
        connect(txt, &SoftText::KeyDown, this, [&](int16_t& KeyCode, int16_t&) { down << KeyCode; });
        connect(txt, &SoftText::KeyUp, this, [&](int16_t& KeyCode, int16_t&) { up << KeyCode; });
        QTest::keyClick(Inner(txt), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(press, QList<int>{});
        QVERIFY(down.contains(13));
        QVERIFY(up.contains(13));
        QTest::keyClick(Inner(txt), Qt::Key_Return);
        QCOMPARE(press, QList<int>{13});
    }

    void keyPressHandlerMayChangeTheCharacter()
    {
        SoftText* txt = Place();
        connect(txt, &SoftText::KeyPress, this, [](int16_t& KeyAscii) {
            if (KeyAscii == 'x')
                KeyAscii = 0;
            else if (KeyAscii == 'a')
                KeyAscii = 'A';
        });
        QTest::keyClicks(Inner(txt), QStringLiteral("bxa"));
        QCOMPARE(txt->Text(), QStringLiteral("bA"));
    }

    void writingTextRaisesChange()
    {
        SoftText* txt = Place();
        QSignalSpy change(txt, &SoftText::Change);
        txt->SetText(QStringLiteral("https://example.org/"));
        QCOMPARE(change.count(), 1);
    }

    void textDefaultsToTheInstanceName_data()
    {
        skwtest::AddColumns<bool, QString>("stored", "text");
        QTest::newRow("no key") << false << QStringLiteral("txtURL");
        QTest::newRow("stored empty") << true << QString();
    }
    void textDefaultsToTheInstanceName()
    {
        QFETCH(bool, stored);
        QFETCH(QString, text);
        SoftText* txt = Place(stored ? PropertyBag{{"TTEXT", ""}} : PropertyBag{});
        QCOMPARE(txt->Text(), text);
    }

    void propertiesRoundTrip()
    {
        SoftText* txt = Place({{"ttext", "abc"},
                               {"tlocked", true},
                               {"talignment", 2},
                               {"tmaxlength", 40},
                               {"tbackcolor", 0x00FFFF},
                               {"tenabled", false}});
        QCOMPARE(txt->Locked(), true);
        QCOMPARE(txt->Alignment(), 2);
        QCOMPARE(txt->MaxLength(), 40);
        QCOMPARE(txt->BackColor(), OLE_COLOR(0x00FFFF));
        PropertyBag written;
        txt->SaveProperties(written);
        QCOMPARE(written.Count(), 6);
        SoftText* again = Place(written, QStringLiteral("txtOther"), 900);
        QCOMPARE(again->Text(), QStringLiteral("abc"));
        QCOMPARE(again->Locked(), true);
        QCOMPARE(again->Alignment(), 2);
        QCOMPARE(again->MaxLength(), 40);
        QCOMPARE(again->BackColor(), OLE_COLOR(0x00FFFF));
        QCOMPARE(again->Enabled(), false);

        SoftText fresh(host.get(), QStringLiteral("txtNew"));
        QCOMPARE(fresh.Text(), QString());
        QCOMPARE(fresh.BackColor(), platform::COLOR_HIGHLIGHTTEXT);
        QCOMPARE(fresh.Enabled(), true);
    }

    void backColorNotifiesAndLeavesTheFrame()
    {
        SoftText* txt = Place();
        QSignalSpy changed(txt, &platform::UserControl::propertyChanged);
        txt->SetBackColor(0x00FFFF);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toString(), QStringLiteral("tBACKCOLOR"));
        QCOMPARE(Frame(txt), Normal());
    }

    // Regression: a poll that keeps failing stacked a new box every 10 ms
    // while the first was still open.
    void failingPollShowsOneBoxAtATime()
    {
        SoftText* first = Place();
        SoftText* second = Place(kStored, QStringLiteral("txtHomepage"), 900);
        pointer->FailWith(platform::errInvalidProcedureCall);

        std::vector<platform::MessageBoxCall> shown;
        int open = 0;
        int mostOpen = 0;
        auto recorder = platform::SetMessageBoxHook([&](const platform::MessageBoxCall& call) {
            shown.push_back(call);
            mostOpen = std::max(mostOpen, ++open);
            // While the box is up, ticks go on arriving.
            Tick(first);
            Tick(second);
            QCoreApplication::processEvents();
            --open;
        });
        Tick(first);
        QCOMPARE(shown.size(), size_t(1));
        QCOMPARE(mostOpen, 1);
        QCOMPARE(shown[0].Prompt,
                 QStringLiteral("SoftText::tmrMouseMonitor_Timer()\r\nInvalid procedure call or argument5"));
        QCOMPARE(shown[0].Title, QStringLiteral("Skerwind32"));
        QCOMPARE(shown[0].Buttons, platform::vbOKOnly);

        // Once it is dismissed, the poll runs on and reports again.
        Tick(second);
        QCOMPARE(shown.size(), size_t(2));
        QCOMPARE(mostOpen, 1);
        platform::SetMessageBoxHook(recorder);
        pointer->FailWith(0);
    }
};

SKERRYWIND_TEST_MAIN(TestSoftText)
#include "test_SoftText.moc"
