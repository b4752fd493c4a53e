#pragma once
// Files replaced whole or not at all: what the settings store and the
// program's other stores write through.
#include <QByteArray>
#include <QString>

namespace platform {

// Writes `bytes` as the whole content of `path`, creating its folder as
// needed. The old file stays as it was unless every byte reached the disk;
// a write that cannot be completed raises error 75.
void WriteWholeFile(const QString& path, const QByteArray& bytes);

}  // namespace platform
