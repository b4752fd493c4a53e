#include "platform/system/WholeFile.h"

#include "platform/system/AppError.h"
#include "platform/system/PrivateFolders.h"

#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace platform {

void WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    if (!MakePrivateFolder(QFileInfo(path).absolutePath()))
        Raise(errPathFileAccess);
    QSaveFile out(path);
    // commit() alone does not notice a write the disk cut short (a full disk,
    // a file-size limit): it would replace the file with the part written.
    // Flush first and check that all of it is there before replacing. The
    // new file is the user's alone, whatever the umask or the old file's mode.
    if (!out.open(QIODevice::WriteOnly) || ::fchmod(out.handle(), kPrivateFileMode) != 0
        || out.write(bytes) != bytes.size() || !out.flush() || out.size() != bytes.size()) {
        out.cancelWriting();
        Raise(errPathFileAccess);
    }
    if (!out.commit())
        Raise(errPathFileAccess);
}

QString EscapeLine(const QString& text, bool tabs)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t' && tabs)
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out;
}

QString UnescapeLine(QStringView text, bool tabs)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[++i];
        if (next == u'n')
            out += u'\n';
        else if (next == u'r')
            out += u'\r';
        else if (next == u't' && tabs)
            out += u'\t';
        else
            out += next;
    }
    return out;
}

}  // namespace platform
