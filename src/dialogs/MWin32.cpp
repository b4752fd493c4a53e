#include "dialogs/MWin32.h"

#include "platform/engine/AddressCompleter.h"
#include "platform/system/VersionInfo.h"

namespace MWin32 {

QString GetAppVersion()
{
    const platform::AppVersionNumbers v = platform::AppVersion();
    return QString::number(v.Major) + u'.' + QString::number(v.Minor) + u'.' + QString::number(v.Revision) + u'a';
}

QString GetExeBuildDate()
{
    // The running executable's own path, whatever its name ends with; one
    // separator between the folder and the name.
    QString p = platform::AppPath();
    if (!p.endsWith(u'/'))
        p += u'/';
    const QString path = p + platform::AppExeName();
    return platform::FormatDayMonthYear(platform::FileDateTime(path).date());
}

QString GetShlwapiVersion()
{
    const platform::EngineVersionNumbers v = platform::EngineVersion();
    return QString::number(v.Major) + u'.' + QString::number(v.Minor) + u'.' + QString::number(v.Build);
}

int32_t GetShlwapiMajorVersion()
{
    return int32_t(platform::EngineVersion().Major);
}

void EnableAutoComplete(QWidget* hWnd)
{
    if (GetShlwapiMajorVersion() > 4)
        platform::SHAutoComplete(hWnd, platform::SHACF_DEFAULT);
}

}  // namespace MWin32
