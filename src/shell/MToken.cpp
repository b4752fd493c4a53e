#include "shell/MToken.h"

namespace MToken {

namespace {
// The tokenizer's state, one for the whole program. Positions are 1-based and
// as wide as the string itself, so a command line of any length is handled.
QString strTokSource;
qsizetype vTokPos = 1;

bool isDelim(QChar c, const QString& delimiters)
{
    return delimiters.contains(c);
}

// The characters of `source` from 1-based `position` to its end.
QStringView restFrom(QStringView source, qsizetype position)
{
    if (position > source.size())
        return {};
    return source.mid(position - 1);
}
}  // namespace

QString StrTok(const QString& source, const QString& delimiters)
{
    if (!source.isEmpty()) {
        strTokSource = source;
        vTokPos = 1;
    }
    return NextToken(strTokSource, vTokPos, delimiters);
}

QString NextToken(QStringView source, qsizetype& position, const QString& delimiters)
{
    const qsizetype k = SkipDelims(restFrom(source, position), delimiters);
    if (k == 0)
        return QString();
    position = position + k - 1;

    qsizetype e = FindDelim(restFrom(source, position), delimiters);
    if (e != 0)
        e = position + e - 1;
    else
        e = source.size() + 1;

    const QString token = source.mid(position - 1, e - position).toString();
    position = e;
    return token;
}

qsizetype SkipDelims(QStringView text, const QString& delimiters)
{
    // A position past the end counts as a delimiter.
    for (qsizetype i = 1;; ++i) {
        if (i > text.size())
            return 0;
        if (!isDelim(text[i - 1], delimiters))
            return i;
    }
}

qsizetype FindDelim(QStringView text, const QString& delimiters)
{
    // A position past the end counts as a delimiter, so a text without one
    // yields its length + 1.
    for (qsizetype i = 1;; ++i) {
        if (i > text.size())
            return i;
        if (isDelim(text[i - 1], delimiters))
            return i;
    }
}

}  // namespace MToken
