#include "platform/engine/EngineProfile.h"

#include "platform/access/PageAccessibility.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>

namespace platform {

namespace {
constexpr auto appFolder = "skerrywind";
constexpr auto engineFolder = "engine";

QString folderUnder(QStandardPaths::StandardLocation location)
{
    return QDir(QStandardPaths::writableLocation(location))
        .filePath(QStringLiteral("%1/%2").arg(QLatin1String(appFolder), QLatin1String(engineFolder)));
}
}  // namespace

QString EngineProfile::storagePath()
{
    return folderUnder(QStandardPaths::GenericDataLocation);
}

QString EngineProfile::cachePath()
{
    return folderUnder(QStandardPaths::GenericCacheLocation);
}

QWebEngineProfile* EngineProfile::instance()
{
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
        // Owned by the application object: destroyed after the windows, whose
        // pages must go first.
        profile = new QWebEngineProfile(QLatin1String(storageName), QCoreApplication::instance());
        profile->setPersistentStoragePath(storagePath());
        profile->setCachePath(cachePath());
        profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        // The engine runs from here on, and has no page yet.
        PageAccessibility::EngineStarted();
    }
    return profile;
}

}  // namespace platform
