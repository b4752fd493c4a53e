#include "platform/system/ReadableText.h"

namespace platform {

namespace {
const QString kEllipsis = QStringLiteral("\u2026");
}  // namespace

QString BoundedText(const QString& text, int maxChars)
{
    if (text.size() <= maxChars)
        return text;
    QString cut = text.left(maxChars);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut + kEllipsis;
}

QString ReadableText(const QString& text, int maxChars, bool keepLines)
{
    // One character past the bound tells that the text goes on.
    QString readable = text.left(qsizetype(maxChars) + 1);
    for (QChar& c : readable) {
        if (keepLines && c == u'\n')
            continue;
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return BoundedText(readable, maxChars);
}

}  // namespace platform
