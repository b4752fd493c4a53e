#include "platform/Resources.h"

#include "platform/AppError.h"

#include <QDir>

namespace platform {

QIcon LoadResIcon(int id)
{
    static const QString folder = QStringLiteral(":/icons/");
    const QStringList files = QDir(folder).entryList(
        {QStringLiteral("%1.svg").arg(id), QStringLiteral("%1-*.svg").arg(id)}, QDir::Files, QDir::Name);
    if (files.isEmpty())
        Raise(errFileNotFound);
    QIcon icon;
    for (const QString& file : files)
        icon.addFile(folder + file);
    return icon;
}

}  // namespace platform
