// HyperLblCtl: underline on hover with one event per transition, the click
// that launches the link target, its size following the text, and the
// stored properties.
#include "ControlsTest.h"
#include "TestSupport.h"

#include "controls/HyperLblCtl.h"
#include "platform/intrinsics/Label.h"
#include "platform/system/DesktopServices.h"

#include <QSignalSpy>

using platform::PropertyBag;

class TestHyperLblCtl : public skwtest::ControlsTest {
    Q_OBJECT

    QStringList launched;

    HyperLblCtl* Place(const PropertyBag& bag)
    {
        return PlaceOnHost<HyperLblCtl>(QStringLiteral("HyperLblCtl1"), bag, 300, 300, 3000, 600);
    }
    static platform::Label* Label(HyperLblCtl* link)
    {
        return link->findChild<platform::Label*>(QStringLiteral("lblLabel"));
    }
    static void Tick(HyperLblCtl* link) { skwtest::FireTimer(link, "Timer1"); }

private slots:
    void init()
    {
        ControlsTest::init();
        launched.clear();
        platform::SetOpenUrlHook([this](const QString& target) { launched << target; });
    }
    void cleanup()
    {
        platform::SetOpenUrlHook({});
        ControlsTest::cleanup();
    }

    // Each event comes with the look of its state already drawn.
    void hoverUnderlinesOncePerTransition()
    {
        HyperLblCtl* link = Place({{"linkurl", "https://example.org/"}, {"label", "example.org"}});
        QSignalSpy over(link, &HyperLblCtl::MouseOver);
        QSignalSpy out(link, &HyperLblCtl::MouseOut);
        QList<bool> underlinedAtEvents;
        for (auto event : {&HyperLblCtl::MouseOver, &HyperLblCtl::MouseOut})
            connect(link, event, this, [&] { underlinedAtEvents << Label(link)->FontUnderline(); });
        QVERIFY(!Label(link)->FontUnderline());
        pointer->MoveOnto(link);
        Tick(link);
        Tick(link);
        QVERIFY(Label(link)->FontUnderline());
        QCOMPARE(over.count(), 1);
        QCOMPARE(Label(link)->ForeColor(), platform::OLE_COLOR(0x00FF0000));
        pointer->MoveAway();
        Tick(link);
        Tick(link);
        QVERIFY(!Label(link)->FontUnderline());
        QCOMPARE(out.count(), 1);
        QCOMPARE(over.count(), 1);
        QCOMPARE(underlinedAtEvents, (QList<bool>{true, false}));
    }

    void releaseDecidesTheLaunch_data()
    {
        skwtest::AddColumns<QString, int>("target", "button");
        QTest::addColumn<int>("dx");  // pixels from the label's right edge (0 = X equal to its width)
        skwtest::AddColumns<int, bool>("dy", "launches");
        QTest::newRow("inside") << "https://example.org/" << int(Qt::LeftButton) << -5 << -5 << true;
        QTest::newRow("right and bottom edge") << "https://example.org/" << int(Qt::LeftButton) << 0 << 0 << true;
        QTest::newRow("mail address unchanged")
            << "mailto:someone@example.org" << int(Qt::LeftButton) << -5 << -5 << true;
        QTest::newRow("right of it") << "https://example.org/" << int(Qt::LeftButton) << 1 << -5 << false;
        QTest::newRow("below it") << "https://example.org/" << int(Qt::LeftButton) << -5 << 1 << false;
        QTest::newRow("right button") << "https://example.org/" << int(Qt::RightButton) << -5 << -5 << false;
        QTest::newRow("empty link") << "" << int(Qt::LeftButton) << -5 << -5 << false;
    }
    void releaseDecidesTheLaunch()
    {
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(bool, launches);
        HyperLblCtl* link = Place({{"linkurl", target}, {"label", "Skerrywind home"}});
        int launchedBeforeClick = -1;
        connect(link, &HyperLblCtl::Click, this, [&] { launchedBeforeClick = int(launched.size()); });
        platform::Label* label = Label(link);
        const auto b = Qt::MouseButton(button);
        skwtest::SendMouse(label, QEvent::MouseButtonPress, b, b, QPoint(2, 2));
        skwtest::SendMouse(label, QEvent::MouseButtonRelease, b, Qt::NoButton,
                           QPoint(label->width() + dx, label->height() + dy));
        QCOMPARE(launched, launches ? QStringList{target} : QStringList{});
        QCOMPARE(launchedBeforeClick, launches ? 1 : -1);
    }

    void emptyLinkStillUnderlines()
    {
        HyperLblCtl* link = Place({{"label", "nowhere"}});
        pointer->MoveOnto(link);
        Tick(link);
        QVERIFY(Label(link)->FontUnderline());
    }

    void sizeSnapsToTheText()
    {
        HyperLblCtl* link = Place({{"label", "short"}});
        const QSize shortSize = link->size();
        QCOMPARE(shortSize, Label(link)->sizeHint());
        QCOMPARE(Label(link)->pos(), QPoint(0, 0));

        link->SetCaption(QStringLiteral("a much longer link text"));
        QVERIFY(link->width() > shortSize.width());
        QCOMPARE(link->size(), Label(link)->size());
        QCOMPARE(Label(link)->pos(), QPoint(0, 0));

        link->Move(300, 300, 6000, 1500);  // the host's own size does not hold
        QCOMPARE(link->size(), Label(link)->size());
        QCOMPARE(link->pos(), QPoint(20, 20));
    }

    void storedPropertiesAndDefaults()
    {
        HyperLblCtl* link = Place({{"_extentx", 2000},
                                   {"_extenty", 400},
                                   {"linkurl", "mailto:a@b.c"},
                                   {"label", "Mail"},
                                   {"labelcolor", 0x00FF0000},
                                   {"backcolor", int32_t(0x80000005)}});
        QCOMPARE(link->LinkURL(), QStringLiteral("mailto:a@b.c"));
        QCOMPARE(link->Caption(), QStringLiteral("Mail"));
        QCOMPARE(link->BackColor(), platform::COLOR_WINDOW);
        PropertyBag written;
        link->SaveProperties(written);
        QCOMPARE(written.Count(), 4);
        HyperLblCtl again(host.get(), QStringLiteral("HyperLblCtl2"), written);
        QCOMPARE(again.LinkURL(), link->LinkURL());
        QCOMPARE(again.Caption(), link->Caption());
        QCOMPARE(again.LabelColor(), link->LabelColor());
        QCOMPARE(again.BackColor(), link->BackColor());

        HyperLblCtl bare(host.get(), QStringLiteral("HyperLblCtl3"), PropertyBag{});
        QCOMPARE(bare.Caption(), QStringLiteral("HyperLblCtl3"));
        QCOMPARE(bare.LinkURL(), QString());
        QCOMPARE(bare.LabelColor(), platform::OLE_COLOR(0x00FF0000));
        QCOMPARE(bare.BackColor(), platform::COLOR_BTNFACE);
    }

    void settersNotifyTheHost()
    {
        HyperLblCtl* link = Place({});
        QSignalSpy changed(link, &platform::UserControl::propertyChanged);
        link->SetLinkURL(QStringLiteral("https://example.org/"));
        link->SetCaption(QStringLiteral("x"));
        link->SetLabelColor(0x0000FF);
        link->SetBackColor(0xFFFFFF);
        QStringList keys;
        for (const QList<QVariant>& args : changed)
            keys << args.at(0).toString();
        QCOMPARE(keys, (QStringList{"LINKURL", "LABEL", "LABELCOLOR", "BACKCOLOR"}));
    }

    void handCursorPointsWithItsFingertip()
    {
        HyperLblCtl* link = Place({});
        const QCursor cursor = link->cursor();
        QCOMPARE(cursor.hotSpot(), QPoint(12, 4));
        const QImage image = cursor.pixmap().toImage();
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(qAlpha(image.pixel(12, 4)), 255);  // the fingertip is drawn
        QCOMPARE(qAlpha(image.pixel(12, 3)), 0);    // nothing above it
        QCOMPARE(Label(link)->cursor().hotSpot(), QPoint(12, 4));
    }
};

SKERRYWIND_TEST_MAIN(TestHyperLblCtl)
#include "test_HyperLblCtl.moc"
