// Window-shape regions built by the round-rectangle rules, and region framing.
#include "TestSupport.h"

#include "platform/Gdi.h"
#include "platform/Surface.h"

#include <QWidget>

class TestGdi : public QObject {
    Q_OBJECT

private slots:
    void roundRectRules_data()
    {
        QTest::addColumn<QList<int>>("args");  // x1, y1, x2, y2, ellipse width, ellipse height
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<int>("area");         // -1: do not check
        QTest::newRow("right and bottom exclusive") << QList<int>{0, 0, 291, 98, 25, 25} << QRect(0, 0, 291, 98) << -1;
        QTest::newRow("corners given reversed") << QList<int>{291, 98, 0, 0, 25, 25} << QRect(0, 0, 291, 98) << -1;
        QTest::newRow("offset") << QList<int>{10, 20, 50, 60, 25, 25} << QRect(10, 20, 40, 40) << -1;
        QTest::newRow("ellipse under 2: square") << QList<int>{0, 0, 30, 20, 1, 25} << QRect(0, 0, 30, 20) << 600;
        QTest::newRow("no width") << QList<int>{5, 0, 5, 20, 25, 25} << QRect() << 0;
        QTest::newRow("ellipse larger than the rectangle") << QList<int>{0, 0, 10, 10, 25, 25} << QRect(0, 0, 10, 10) << -1;
    }
    void roundRectRules()
    {
        QFETCH(QList<int>, args);
        QFETCH(QRect, bounds);
        QFETCH(int, area);
        const platform::Region r = platform::CreateRoundRectRgn(args[0], args[1], args[2], args[3], args[4], args[5]);
        QCOMPARE(r.BoundingRect(), bounds);
        int count = 0;
        for (const QRect& rect : r.Pixels())
            count += rect.width() * rect.height();
        if (area >= 0)
            QCOMPARE(count, area);
        else
            QVERIFY(count < bounds.width() * bounds.height());  // corners are cut
        // Mirror images across both axes.
        for (int y = bounds.top(); y <= bounds.bottom(); ++y)
            for (int x = bounds.left(); x <= bounds.right(); ++x) {
                const int mx = bounds.left() + bounds.right() - x;
                const int my = bounds.top() + bounds.bottom() - y;
                QCOMPARE(r.Contains(mx, y), r.Contains(x, y));
                QCOMPARE(r.Contains(x, my), r.Contains(x, y));
            }
    }

    // The frame lies inside the region: `width` columns at the left and
    // right, `height` rows at the top and bottom.
    void frameIsDrawnInsideWithItsOwnWidthAndHeight()
    {
        QWidget owner;
        owner.resize(12, 10);
        platform::Surface surface(&owner);
        surface.SetBackColor(0xFFFFFF);
        surface.Cls();
        const platform::Region rect = platform::CreateRoundRectRgn(1, 1, 11, 9, 0, 0);
        platform::FrameRgn(surface, rect, platform::CreateSolidBrush(0x0000FF), 3, 1);
        QStringList rows;
        for (int y = 0; y < 10; ++y) {
            QString row;
            for (int x = 0; x < 12; ++x)
                row += (surface.Image().pixel(x, y) & 0xFFFFFF) == 0xFF0000 ? u'#' : u'.';
            rows << row;
        }
        const QStringList expected{
            "............",
            ".##########.",
            ".###....###.",
            ".###....###.",
            ".###....###.",
            ".###....###.",
            ".###....###.",
            ".###....###.",
            ".##########.",
            "............",
        };
        QCOMPARE(rows, expected);
    }
};

SKERRYWIND_TEST_MAIN(TestGdi)
#include "test_Gdi.moc"
