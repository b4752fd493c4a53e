// SoftButton: its frame for every look, hover and press sequences with their
// events, the stored properties, and the warning for an unknown border type.
#include "ControlsTest.h"
#include "TestSupport.h"

#include "controls/SoftButton.h"
#include "platform/forms/Timer.h"
#include "platform/intrinsics/Label.h"

#include <QSignalSpy>

using platform::OLE_COLOR;
using platform::PropertyBag;
using namespace skwtest::frame;

namespace {
// The outermost pixel ring, sampled at the middle of each side:
// "left top bottom right".
QString Ring(QWidget* w)
{
    const QImage img = w->grab().toImage();
    const int W = img.width();
    const int H = img.height();
    auto at = [&](int x, int y) { return QColor(img.pixel(x, y)).name(); };
    return at(0, H / 2) + " " + at(W / 2, 0) + " " + at(W / 2, H - 1) + " " + at(W - 1, H / 2);
}

QString Expect(OLE_COLOR topLeft, OLE_COLOR bottomRight)
{
    const QString a = platform::TranslateColor(topLeft).name();
    const QString b = platform::TranslateColor(bottomRight).name();
    return a + " " + a + " " + b + " " + b;
}

const QString kNormal = Expect(kGrey, kGrey);  // border type 2, as the hosts store it
const QString kOver = Expect(kWhite, kBlack);
const QString kHeld = Expect(kBlack, kWhite);
const QString kPressedByResize = Expect(kGrey, kLightGrey);
}  // namespace

class TestSoftButton : public skwtest::ControlsTest {
    Q_OBJECT

    // A button as the hosts store it, 80 x 30 pixels at (20, 20).
    SoftButton* Place(const PropertyBag& bag = {
                          {"caption", "Go"}, {"enabled", true}, {"border", 2}, {"backcolor", 0x8000000F}})
    {
        return PlaceOnHost<SoftButton>(QStringLiteral("cmdGo"), bag, 300, 300, 1200, 450);
    }
    static QWidget* CoverOf(SoftButton* cmd) { return cmd->findChild<QWidget*>(QStringLiteral("Cover")); }
    static void Tick(SoftButton* cmd) { skwtest::FireTimer(cmd, "tmrMouseMonitor"); }
    static void Press(SoftButton* cmd, Qt::MouseButton b, QPoint at = {40, 15})
    {
        skwtest::SendMouse(CoverOf(cmd), QEvent::MouseButtonPress, b, b, at);
    }
    static void MoveHeld(SoftButton* cmd, QPoint at)
    {
        skwtest::SendMouse(CoverOf(cmd), QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, at);
    }
    static void Release(SoftButton* cmd, Qt::MouseButton b, QPoint at = {40, 15})
    {
        skwtest::SendMouse(CoverOf(cmd), QEvent::MouseButtonRelease, b, Qt::NoButton, at);
    }

private slots:
    void normalLookFollowsBorderType_data()
    {
        skwtest::AddColumns<int, QString>("border", "ring");
        QTest::newRow("raised") << 0 << Expect(kLightGrey, kGrey);
        QTest::newRow("flat light") << 1 << Expect(kLightGrey, kLightGrey);
        QTest::newRow("flat dark") << 2 << Expect(kGrey, kGrey);
    }
    void normalLookFollowsBorderType()
    {
        QFETCH(int, border);
        QFETCH(QString, ring);
        SoftButton* cmd = Place({{"border", border}});
        QCOMPARE(Ring(cmd), ring);
        // The ring is the outermost one: the pixels inside it show the background.
        const QImage img = cmd->grab().toImage();
        QCOMPARE(QColor(img.pixel(1, 1)), platform::TranslateColor(platform::COLOR_BTNFACE));
    }

    // The pointer is polled every 10 ms; each event comes with the frame of
    // its state already drawn.
    void hoverGivesOneEventPerTransition()
    {
        SoftButton* cmd = Place();
        const auto* monitor = cmd->findChild<platform::Timer*>(QStringLiteral("tmrMouseMonitor"));
        QVERIFY(monitor->Enabled());
        QCOMPARE(monitor->Interval(), 10);
        QSignalSpy over(cmd, &SoftButton::MouseOver);
        QSignalSpy out(cmd, &SoftButton::MouseOut);
        QStringList framesAtEvents;
        for (auto event : {&SoftButton::MouseOver, &SoftButton::MouseOut})
            connect(cmd, event, this, [&] { framesAtEvents << Ring(cmd); });
        pointer->MoveOnto(cmd);
        Tick(cmd);
        Tick(cmd);
        pointer->MoveOnto(cmd, QPoint(79, 29));  // still over, on the frame itself
        Tick(cmd);
        QCOMPARE(over.count(), 1);
        QCOMPARE(Ring(cmd), kOver);
        pointer->MoveAway();
        Tick(cmd);
        Tick(cmd);
        QCOMPARE(out.count(), 1);
        QCOMPARE(over.count(), 1);
        QCOMPARE(Ring(cmd), kNormal);
        QCOMPARE(framesAtEvents, (QStringList{kOver, kNormal}));
    }

    void windowLyingOverTheButtonCountsAsAway()
    {
        SoftButton* cmd = Place();
        QSignalSpy out(cmd, &SoftButton::MouseOut);
        pointer->MoveOnto(cmd);
        Tick(cmd);
        QWidget cover(host.get());
        cover.setGeometry(cmd->geometry());
        cover.show();
        Tick(cmd);
        QCOMPARE(out.count(), 1);
    }

    void clickComesAfterTheOverFrame()
    {
        SoftButton* cmd = Place();
        QStringList seen;
        connect(cmd, &SoftButton::Click, this, [&] { seen << Ring(cmd); });
        pointer->MoveOnto(cmd);
        Tick(cmd);
        Press(cmd, Qt::LeftButton);
        QCOMPARE(Ring(cmd), kHeld);
        Release(cmd, Qt::LeftButton);
        QCOMPARE(seen, QStringList{kOver});
    }

    void releasePositionDecidesTheClick_data()
    {
        skwtest::AddColumns<QPoint, bool>("at", "clicks");
        QTest::newRow("middle") << QPoint(40, 15) << true;
        QTest::newRow("X = W") << QPoint(80, 15) << true;
        QTest::newRow("Y = H") << QPoint(40, 30) << true;
        QTest::newRow("X = 0, Y = 0") << QPoint(0, 0) << true;
        QTest::newRow("right of it") << QPoint(81, 15) << false;
        QTest::newRow("below it") << QPoint(40, 31) << false;
        QTest::newRow("left of it") << QPoint(-1, 15) << false;
    }
    void releasePositionDecidesTheClick()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, clicks);
        SoftButton* cmd = Place();
        QSignalSpy click(cmd, &SoftButton::Click);
        Press(cmd, Qt::LeftButton);
        Release(cmd, Qt::LeftButton, at);
        QCOMPARE(click.count(), clicks ? 1 : 0);
        QCOMPARE(Ring(cmd), clicks ? kOver : kNormal);
    }

    void rightButtonDrawsNoHeldFrameAndNeverClicks()
    {
        SoftButton* cmd = Place();
        QSignalSpy click(cmd, &SoftButton::Click);
        Press(cmd, Qt::RightButton);
        QCOMPARE(Ring(cmd), kNormal);
        Release(cmd, Qt::RightButton);
        QCOMPARE(Ring(cmd), kOver);
        QCOMPARE(click.count(), 0);
    }

    void dragOutAndBackIn()
    {
        SoftButton* cmd = Place();
        QSignalSpy click(cmd, &SoftButton::Click);
        QSignalSpy out(cmd, &SoftButton::MouseOut);
        pointer->MoveOnto(cmd);
        Tick(cmd);
        Press(cmd, Qt::LeftButton);
        MoveHeld(cmd, QPoint(40, 15));
        QCOMPARE(Ring(cmd), kHeld);
        MoveHeld(cmd, QPoint(120, 15));
        QCOMPARE(Ring(cmd), kNormal);
        pointer->MoveOnto(host.get(), QPoint(260, 40));
        Tick(cmd);
        QCOMPARE(out.count(), 1);
        MoveHeld(cmd, QPoint(40, 15));
        QCOMPARE(Ring(cmd), kHeld);
        Release(cmd, Qt::LeftButton, QPoint(40, 15));
        QCOMPARE(click.count(), 1);

        // Out and released outside: no click.
        Press(cmd, Qt::LeftButton);
        MoveHeld(cmd, QPoint(120, 15));
        Release(cmd, Qt::LeftButton, QPoint(120, 15));
        QCOMPARE(click.count(), 1);
        QCOMPARE(Ring(cmd), kNormal);
    }

    void resizeRedrawsTheFrameOfTheButtonState()
    {
        SoftButton* cmd = Place();
        pointer->MoveOnto(cmd);
        Tick(cmd);
        cmd->Move(300, 300, 1500, 450);  // resting pointer: the normal frame
        QCOMPARE(Ring(cmd), kNormal);
        Tick(cmd);
        QCOMPARE(Ring(cmd), kNormal);
        Press(cmd, Qt::LeftButton);
        cmd->Move(300, 300, 1200, 450);  // button held: the pressed frame
        QCOMPARE(Ring(cmd), kPressedByResize);
    }

    void disabledButtonIgnoresPressAndHover()
    {
        SoftButton* cmd = Place({{"enabled", false}});
        auto* caption = cmd->findChild<platform::Label*>(QStringLiteral("lblCaption"));
        QCOMPARE(caption->ForeColor(), platform::COLOR_BTNSHADOW);
        QSignalSpy click(cmd, &SoftButton::Click);
        QSignalSpy over(cmd, &SoftButton::MouseOver);
        pointer->MoveOnto(cmd);
        Tick(cmd);
        Press(cmd, Qt::LeftButton);
        Release(cmd, Qt::LeftButton);
        QCOMPARE(click.count(), 0);
        QCOMPARE(over.count(), 0);
        QCOMPARE(Ring(Place()), Expect(kGrey, kGrey));
    }

    void disablingWhileOverRestoresTheFrameWithoutEvents()
    {
        SoftButton* cmd = Place();
        QSignalSpy out(cmd, &SoftButton::MouseOut);
        pointer->MoveOnto(cmd);
        Tick(cmd);
        cmd->SetEnabled(false);
        QCOMPARE(Ring(cmd), kOver);  // setting Enabled draws nothing
        Tick(cmd);
        QCOMPARE(Ring(cmd), kNormal);
        QCOMPARE(out.count(), 0);
        pointer->MoveAway();
        cmd->SetEnabled(true);
        Tick(cmd);
        QCOMPARE(out.count(), 1);
    }

    void designInstanceDoesNotPoll()
    {
        auto* cmd = new SoftButton(host.get(), QStringLiteral("cmdNew"));
        cmd->Move(300, 300, 1200, 450);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
        QCOMPARE(cmd->Caption(), QStringLiteral("cmdNew"));
        QSignalSpy over(cmd, &SoftButton::MouseOver);
        pointer->MoveOnto(cmd);
        Tick(cmd);
        QCOMPARE(over.count(), 0);
    }

    void missingKeysGiveDefaults()
    {
        SoftButton cmd(host.get(), QStringLiteral("cmdOk"), PropertyBag{});
        QCOMPARE(cmd.Caption(), QStringLiteral("cmdOk"));
        QCOMPARE(cmd.Enabled(), true);
        QCOMPARE(cmd.BorderStyle(), SoftButton::btRaised);
        QCOMPARE(cmd.BackColor(), platform::COLOR_BTNFACE);
    }

    void storedKeysInAnyCaseAreReadAndWrittenBack()
    {
        const PropertyBag stored{{"_extentx", 1296}, {"_extenty", 556}, {"caption", "Cancel"},
                                 {"enabled", false}, {"border", 1},     {"backcolor", int32_t(0x8000000F)}};
        SoftButton cmd(host.get(), QStringLiteral("cmdCancel"), stored);
        QCOMPARE(cmd.Caption(), QStringLiteral("Cancel"));
        QCOMPARE(cmd.Enabled(), false);
        QCOMPARE(cmd.BorderStyle(), SoftButton::btFlatLight);
        QCOMPARE(cmd.BackColor(), platform::COLOR_BTNFACE);
        QCOMPARE(cmd.width(), 49);  // 1296 HIMETRIC = 735 twips

        PropertyBag written;
        cmd.SaveProperties(written);
        QCOMPARE(written.Count(), 4);
        SoftButton again(host.get(), QStringLiteral("cmdOther"), written);
        PropertyBag rewritten;
        again.SaveProperties(rewritten);
        for (const char* key : {"CAPTION", "ENABLED", "BORDER", "BACKCOLOR"})
            QCOMPARE(rewritten.ReadProperty(key, 0).ToString(), written.ReadProperty(key, 1).ToString());
    }

    void unknownBorderTypeWarnsThenDrawsBlack()
    {
        SoftButton* cmd = Place();
        cmd->SetBorderStyle(static_cast<SoftButton::BorderType>(3));
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        const platform::MessageBoxCall& box = skwtest::Boxes().front();
        QCOMPARE(box.Prompt,
                 QStringLiteral("Invalid value for 'btBorder' border type!\r\n\r\nSoftTextCtl::DrawBorders()"));
        QCOMPARE(box.Title, QStringLiteral("Ooooops!"));
        QCOMPARE(box.Buttons, platform::vbExclamation);
        QCOMPARE(Ring(cmd), Expect(kBlack, kBlack));
        QCOMPARE(int(cmd->BorderStyle()), 3);

        // The hover looks draw without the warning; the normal look warns again.
        pointer->MoveOnto(cmd);
        Tick(cmd);
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        pointer->MoveAway();
        Tick(cmd);
        QCOMPARE(skwtest::Boxes().size(), size_t(2));

        cmd->SetBorderStyle(SoftButton::btRaised);
        QCOMPARE(skwtest::Boxes().size(), size_t(2));
        QCOMPARE(Ring(cmd), Expect(kLightGrey, kGrey));
    }
};

SKERRYWIND_TEST_MAIN(TestSoftButton)
#include "test_SoftButton.moc"
