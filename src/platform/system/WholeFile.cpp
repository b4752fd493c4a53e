#include "platform/system/WholeFile.h"

#include "platform/system/AppError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

void WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        Raise(errPathFileAccess);
    QSaveFile out(path);
    // commit() alone does not notice a write the disk cut short (a full disk,
    // a file-size limit): it would replace the file with the part written.
    // Flush first and check that all of it is there before replacing.
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush()
        || out.size() != bytes.size()) {
        out.cancelWriting();
        Raise(errPathFileAccess);
    }
    if (!out.commit())
        Raise(errPathFileAccess);
}

}  // namespace platform
