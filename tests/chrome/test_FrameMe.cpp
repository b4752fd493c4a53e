// The chrome of the borderless forms: the rounded shape, the two-tone outline
// on the persistent image, and the title band behind the caption label.
#include "TestSupport.h"

#include "chrome/ChromeForm.h"
#include "platform/AppError.h"
#include "platform/Gdi.h"
#include "platform/Runtime.h"
#include "platform/Surface.h"

#include <QFile>
#include <QLabel>

namespace {
class frmChromed : public ChromeForm {
public:
    frmChromed() : ChromeForm(QStringLiteral("frmChromed"))
    {
        lblCaption = new QLabel(this);
        SetCaptionLabel(lblCaption);
    }
    QLabel* lblCaption;
    using Form::SetClientSize;
};

constexpr QRgb kOuter = 0x808080;
constexpr QRgb kInner = 0x404040;

QRgb pixel(frmChromed& f, int x, int y)
{
    return f.hDC().Image().pixel(x, y) & 0xFFFFFF;
}

long residentKilobytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : -1;
}
}  // namespace

class TestFrameMe : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        platform::FormRegistry::SetLastFormAction([] {});
    }
    void init()
    {
        skwtest::FreshUserFolders();
        platform::SetTwipsPerPixelOverride(15);
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmChromed>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::SetTwipsPerPixelOverride(0);
        QGuiApplication::setPalette(QPalette());
    }

    void shapeFollowsTheFormsSizeInPixels_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<int>("widthTwips");
        QTest::addColumn<int>("heightTwips");
        QTest::addColumn<QRect>("shape");
        QTest::newRow("toolbar design size") << 15.0 << 4365 << 1470 << QRect(0, 0, 291, 98);
        QTest::newRow("options dialog design size") << 15.0 << 4710 << 3615 << QRect(0, 0, 314, 241);
        QTest::newRow("363.75 rounds up") << 12.0 << 4365 << 1470 << QRect(0, 0, 364, 122);
        QTest::newRow("362.5 rounds to even") << 12.0 << 4350 << 1470 << QRect(0, 0, 362, 122);
    }
    void shapeFollowsTheFormsSizeInPixels()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(int, widthTwips);
        QFETCH(int, heightTwips);
        QFETCH(QRect, shape);
        platform::SetTwipsPerPixelOverride(twipsPerPixel);
        frmChromed& f = platform::Forms<frmChromed>();
        f.SetClientSize(widthTwips, heightTwips);
        f.FrameMe();
        QCOMPARE(f.mask().boundingRect(), shape);
        QCOMPARE(f.mask(), platform::CreateRoundRectRgn(0, 0, shape.width(), shape.height(), 25, 25).Pixels());
    }

    // From the edge inwards: one pixel of 0x808080, one of 0x404040, then the
    // image as it was; nothing is drawn outside the shape.
    void outlineIsTwoToneInsideTheShape()
    {
        frmChromed& f = platform::Forms<frmChromed>();
        f.SetClientSize(4365, 1470);
        f.FrameMe();
        const QRegion shape = f.mask();
        const QRgb back = platform::TranslateColor(f.BackColor()).rgb() & 0xFFFFFF;
        auto in = [&](int x, int y) { return shape.contains(QPoint(x, y)); };
        int outer = 0, inner = 0;
        for (int y = 0; y < f.height(); ++y) {
            for (int x = 0; x < f.width(); ++x) {
                const QRgb c = pixel(f, x, y);
                if (!in(x, y)) {
                    QVERIFY2(c == back, qPrintable(QStringLiteral("outside at %1,%2").arg(x).arg(y)));
                    continue;
                }
                const bool edge = !in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1);
                const bool second = !in(x - 2, y) || !in(x + 2, y) || !in(x, y - 2) || !in(x, y + 2);
                const QRgb expected = edge ? kOuter : second ? kInner : back;
                QVERIFY2(c == expected, qPrintable(QStringLiteral("at %1,%2: %3").arg(x).arg(y).arg(c, 6, 16)));
                outer += edge;
                inner += !edge && second;
            }
        }
        // Both rings run all the way round.
        QVERIFY(outer > 2 * (291 + 98) - 4 * 25);
        QVERIFY(inner > 2 * (291 + 98) - 4 * 25);
    }

    void cornersAreRoundedAlike()
    {
        frmChromed& f = platform::Forms<frmChromed>();
        f.SetClientSize(4365, 1470);
        f.FrameMe();
        const QRegion shape = f.mask();
        const int w = f.width(), h = f.height();
        for (int d = 0; d < 13; ++d) {
            const bool topLeft = shape.contains(QPoint(d, 0));
            QCOMPARE(shape.contains(QPoint(w - 1 - d, 0)), topLeft);
            QCOMPARE(shape.contains(QPoint(d, h - 1)), topLeft);
            QCOMPARE(shape.contains(QPoint(w - 1 - d, h - 1)), topLeft);
            QCOMPARE(shape.contains(QPoint(0, d)), topLeft);  // the ellipse is round
        }
        QVERIFY(!shape.contains(QPoint(3, 3)));
        QVERIFY(shape.contains(QPoint(4, 4)));
        QVERIFY(!shape.contains(QPoint(8, 0)));
        QVERIFY(shape.contains(QPoint(12, 0)));
        QVERIFY(shape.contains(QPoint(0, 12)));
        QVERIFY(shape.contains(QPoint(w - 1, 12)));
    }

    void bandSpansTheCaptionLabelInTheCaptionColourOfTheMoment()
    {
        frmChromed& f = platform::Forms<frmChromed>();
        f.SetClientSize(4365, 1470);
        platform::SetTwipsGeometry(f.lblCaption, 0, 0, 1500, 300);  // 100 x 20 pixels
        const QRgb back = platform::TranslateColor(f.BackColor()).rgb() & 0xFFFFFF;

        f.DrawActiveTitleBar();
        const QRgb active = platform::TranslateColor(platform::COLOR_ACTIVECAPTION).rgb() & 0xFFFFFF;
        QCOMPARE(pixel(f, 50, 10), active);
        QCOMPARE(pixel(f, 100, 20), active);
        QCOMPARE(pixel(f, 101, 10), back);
        QCOMPARE(pixel(f, 50, 21), back);
        QCOMPARE(pixel(f, 50, 0), kOuter);  // the outline is drawn over the band
        QCOMPARE(pixel(f, 50, 1), kInner);
        QVERIFY(!f.mask().isEmpty());

        f.DrawInActiveTitleBar();
        const QRgb inactive = platform::TranslateColor(platform::COLOR_INACTIVECAPTION).rgb() & 0xFFFFFF;
        QVERIFY(inactive != active);
        QCOMPARE(pixel(f, 50, 10), inactive);
        QCOMPARE(pixel(f, 100, 20), inactive);

        // A theme change is followed at the next drawing.
        QPalette changed = QGuiApplication::palette();
        changed.setColor(QPalette::Highlight, QColor(0x12, 0x34, 0x56));
        QGuiApplication::setPalette(changed);
        f.DrawActiveTitleBar();
        QCOMPARE(pixel(f, 50, 10), QRgb(0x123456));
    }

    void bandWithoutACaptionLabelIsAnError()
    {
        class frmNoCaption : public ChromeForm {
        public:
            frmNoCaption() : ChromeForm(QStringLiteral("frmNoCaption")) {}
        } f;
        try {
            f.DrawActiveTitleBar();
            QFAIL("no error");
        } catch (const platform::AppError& e) {
            QCOMPARE(e.Number(), int(platform::errInvalidProcedureCall));
        }
    }

    void framingManyTimesKeepsOneShapeAndNoMemory()
    {
        frmChromed& f = platform::Forms<frmChromed>();
        f.SetClientSize(4365, 1470);
        f.Show();
        for (int i = 0; i < 500; ++i)
            f.FrameMe();
        QCoreApplication::processEvents();
        const long before = residentKilobytes();
        for (int i = 0; i < 10000; ++i) {
            f.FrameMe();
            if (i % 1000 == 0)
                QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
        const long after = residentKilobytes();
        QCOMPARE(f.mask(), platform::CreateRoundRectRgn(0, 0, 291, 98, 25, 25).Pixels());
        QCOMPARE(pixel(f, 150, 0), kOuter);
        QCOMPARE(pixel(f, 150, 1), kInner);
        // Keeping even one region or image per call would grow by megabytes.
        QVERIFY2(after - before < 2048, qPrintable(QStringLiteral("grew by %1 kB").arg(after - before)));
    }
};

SKERRYWIND_TEST_MAIN(TestFrameMe)
#include "test_FrameMe.moc"
