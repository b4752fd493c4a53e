#pragma once
// The program's version record, its executable, file dates and the version of
// the web engine that renders its pages.
#include <QDateTime>
#include <QString>

#include <cstdint>

namespace platform {

struct AppVersionNumbers {
    int16_t Major;
    int16_t Minor;
    int16_t Revision;
};
// From the version record (the CMake project version 1.1.0.51).
AppVersionNumbers AppVersion();

// The folder of the running executable (without a trailing "/") and its file
// name; tests may point them elsewhere (empty restores the real ones).
QString AppPath();
QString AppExeName();
void SetExecutablePathOverride(const QString& path);

// The last-modification time of a file; raises error 53 when it does not exist.
QDateTime FileDateTime(const QString& path);
// "dd-mmm-yyyy": two-digit day, the locale's abbreviated month name, four-digit year.
QString FormatDayMonthYear(const QDate& date);

// The running web engine's version as three numbers (major, minor, build).
struct EngineVersionNumbers {
    uint32_t Major = 0;
    uint32_t Minor = 0;
    uint32_t Build = 0;
};
EngineVersionNumbers EngineVersion();
// The engine's name for the about box.
QString EngineName();
// Tests may replace what the engine reports; nullptr restores the real one.
void SetEngineVersionOverride(const EngineVersionNumbers* numbers);
// How many times the engine's version has been read (tests use it).
int EngineVersionReads();

}  // namespace platform
