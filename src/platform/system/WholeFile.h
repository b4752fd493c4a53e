#pragma once
// Files replaced whole or not at all, of one text record a line: what the
// settings store and the program's other stores write through.
#include <QByteArray>
#include <QString>

namespace platform {

// Writes `bytes` as the whole content of `path`, mode 0600, creating its
// folder (mode 0700) as needed. The old file stays as it was unless every
// byte reached the disk; a write that cannot be completed raises error 75.
void WriteWholeFile(const QString& path, const QByteArray& bytes);

// Text that stays on its line: backslashes and line breaks (and tabs, where
// tabs part the fields of a line) written as "\\", "\n", "\r" ("\t"), and
// read back. Any other character after a backslash stands for itself.
QString EscapeLine(const QString& text, bool tabs = false);
QString UnescapeLine(QStringView text, bool tabs = false);

}  // namespace platform
