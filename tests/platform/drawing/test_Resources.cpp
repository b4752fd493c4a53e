// The program's icons by numeric id: every group loads and draws at its design
// size, stays sharp at any size, and groups with a small image use it.
#include "TestSupport.h"

#include "platform/drawing/Resources.h"
#include "platform/system/AppError.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {
QImage Pixels(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage RenderSource(const QString& file, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer(file).render(&painter);
    return image;
}

double CoveredShare(const QImage& image)
{
    int covered = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            covered += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return double(covered) / (image.width() * image.height());
}
}  // namespace

class TestResources : public skwtest::FreshFoldersTest {
    Q_OBJECT

private slots:
    void iconDrawsAtDesignSize_data()
    {
        skwtest::AddColumns<int, int, bool>("id", "designSize", "hasSmallImage");
        QTest::newRow("application") << 1 << 48 << true;
        QTest::newRow("back") << 101 << 32 << false;
        QTest::newRow("forward") << 102 << 32 << false;
        QTest::newRow("stop") << 103 << 32 << true;
        QTest::newRow("refresh") << 104 << 32 << false;
        QTest::newRow("home") << 105 << 32 << false;
        QTest::newRow("search") << 106 << 32 << false;
        QTest::newRow("browser") << 107 << 48 << false;
    }

    void iconDrawsAtDesignSize()
    {
        QFETCH(int, id);
        QFETCH(int, designSize);
        QFETCH(bool, hasSmallImage);
        const QIcon icon = platform::LoadResIcon(id);

        // Drawn inside its frame: a good part of the square is covered, and
        // no side of it is left empty as a misplaced drawing would.
        const QImage image = Pixels(icon.pixmap(designSize));
        QCOMPARE(image.size(), QSize(designSize, designSize));
        QVERIFY2(CoveredShare(image) > 0.25, qPrintable(QString::number(CoveredShare(image))));
        const int band = designSize / 4;
        for (const QRect& side : {QRect(0, 0, band, designSize), QRect(designSize - band, 0, band, designSize),
                                  QRect(0, 0, designSize, band), QRect(0, designSize - band, designSize, band)})
            QVERIFY(CoveredShare(image.copy(side)) > 0.0);

        // Scalable: any size is drawn at that size, not blown up from a bitmap.
        QCOMPARE(icon.actualSize(QSize(96, 96)), QSize(96, 96));
        QCOMPARE(Pixels(icon.pixmap(96)), RenderSource(QStringLiteral(":/icons/%1.svg").arg(id), 96));

        // At 16 x 16 a group with a small image shows that image, the others
        // their scalable drawing.
        const QString smallSource = QStringLiteral(":/icons/%1%2.svg").arg(id).arg(hasSmallImage ? "-16" : "");
        QCOMPARE(Pixels(icon.pixmap(16)), RenderSource(smallSource, 16));
        if (hasSmallImage)
            QVERIFY(Pixels(icon.pixmap(16)) != RenderSource(QStringLiteral(":/icons/%1.svg").arg(id), 16));
    }

    void unknownIdRaisesFileNotFound_data()
    {
        skwtest::AddRows<int>(
            "id",
            {{"zero", 0}, {"negative", -1}, {"size of another group's image", 16}, {"next to the toolbar's", 108}});
    }

    void unknownIdRaisesFileNotFound()
    {
        QFETCH(int, id);
        try {
            platform::LoadResIcon(id);
            QFAIL("no error raised");
        } catch (const platform::AppError& e) {
            QCOMPARE(e.Number(), int32_t(platform::errFileNotFound));
        }
    }
};

SKERRYWIND_TEST_MAIN(TestResources)
#include "test_Resources.moc"
