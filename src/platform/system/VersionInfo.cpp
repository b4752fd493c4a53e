#include "platform/system/VersionInfo.h"

#include "VersionRecord.h"

#include "platform/system/AppError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

#include <optional>

namespace platform {

namespace {
QString& exeOverride()
{
    static QString path;
    return path;
}
std::optional<EngineVersionNumbers>& engineOverride()
{
    static std::optional<EngineVersionNumbers> numbers;
    return numbers;
}
int& engineReads()
{
    static int n = 0;
    return n;
}
QFileInfo executable()
{
    return QFileInfo(exeOverride().isEmpty() ? QCoreApplication::applicationFilePath() : exeOverride());
}
}  // namespace

AppVersionNumbers AppVersion()
{
    return {version_record::Major, version_record::Minor, version_record::Revision};
}

QString AppPath()
{
    return executable().absolutePath();
}
QString AppExeName()
{
    return executable().fileName();
}
void SetExecutablePathOverride(const QString& path)
{
    exeOverride() = path;
}

QDateTime FileDateTime(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        Raise(errFileNotFound);
    return info.lastModified();
}

QString FormatDayMonthYear(const QDate& date)
{
    const QLocale locale;
    return QStringLiteral("%1-%2-%3")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(locale.monthName(date.month(), QLocale::ShortFormat))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

EngineVersionNumbers EngineVersion()
{
    ++engineReads();
    if (engineOverride())
        return *engineOverride();
    const QStringList parts = QString::fromLatin1(qWebEngineVersion()).split(u'.');
    EngineVersionNumbers v;
    v.Major = parts.value(0).toUInt();
    v.Minor = parts.value(1).toUInt();
    v.Build = parts.value(2).toUInt();
    return v;
}

QString EngineName()
{
    return QStringLiteral("Qt WebEngine");
}

void SetEngineVersionOverride(const EngineVersionNumbers* numbers)
{
    if (numbers)
        engineOverride() = *numbers;
    else
        engineOverride().reset();
}

int EngineVersionReads()
{
    return engineReads();
}

}  // namespace platform
