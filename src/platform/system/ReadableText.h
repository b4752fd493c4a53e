#pragma once
// Text a page or a server gave, made fit to show in the program's own
// windows and messages.
#include <QString>

namespace platform {

// At most `maxChars` characters of the text, the rest cut off with an
// ellipsis; never half of a character written with two code units.
QString BoundedText(const QString& text, int maxChars);

// The text bounded as BoundedText bounds it, with control characters and
// line and paragraph separators as blanks (line feeds stay when
// `keepLines`).
QString ReadableText(const QString& text, int maxChars, bool keepLines = false);

}  // namespace platform
