#include "platform/drawing/Resources.h"

#include "platform/system/AppError.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace platform {

QIcon LoadResIcon(int id)
{
    static const QString folder = QStringLiteral(":/icons/");
    const QDir dir(folder);
    const QString scalable = QStringLiteral("%1.svg").arg(id);
    const QStringList small = dir.entryList({QStringLiteral("%1-*.svg").arg(id)}, QDir::Files, QDir::Name);
    const bool hasScalable = dir.exists(scalable);
    if (!hasScalable && small.isEmpty())
        Raise(errFileNotFound);

    // The SVG icon engine keeps a single source per mode and state (a second
    // file, even one added with a size, replaces the first) and at most one
    // fixed-size image, which it uses for exactly that size. So the scalable
    // source goes in as a file and a small image, drawn from its own source
    // "<id>-<size>.svg", as a ready-made pixmap.
    QIcon icon;
    if (hasScalable)
        icon.addFile(folder + scalable);
    for (const QString& file : small) {
        bool isNumber = false;
        const int size = QFileInfo(file).completeBaseName().section(QLatin1Char('-'), 1).toInt(&isNumber);
        if (!isNumber || size <= 0)
            continue;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        QSvgRenderer(folder + file).render(&painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace platform
