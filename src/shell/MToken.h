#pragma once
// A small stateful tokenizer: the first call gives it a source text, later
// calls with an empty source continue where the previous one stopped.
#include <QString>

namespace MToken {

// The next token of the source, or an empty string when none is left.
QString StrTok(const QString& source, const QString& delimiters);

// The token of `source` that the scan from 1-based `position` finds, or an
// empty string when none is left; `position` moves to the delimiter that ends
// it (or past the end). StrTok is this scan over the program-wide state.
QString NextToken(QStringView source, qsizetype& position, const QString& delimiters);

// 1-based position of the first character of `text` that is not a delimiter;
// 0 when the text is empty or holds delimiters only.
qsizetype SkipDelims(QStringView text, const QString& delimiters);

// 1-based position of the first delimiter in `text`; its length + 1 when it
// has none.
qsizetype FindDelim(QStringView text, const QString& delimiters);

}  // namespace MToken
