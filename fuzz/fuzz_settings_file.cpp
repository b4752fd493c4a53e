// Reads an arbitrary settings file, then writes one key: the write must read
// back, the file must stay parseable, and what was readable before stays.
#include "platform/system/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const QString path = platform::SettingsFile(QStringLiteral("Fuzz"));
    QDir().mkpath(platform::SettingsFolder());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    const QString before = platform::GetSetting("Fuzz", "Prefs", "Other", "<absent>");
    platform::SaveSetting("Fuzz", "Prefs", "Key", QStringLiteral("value\n with = and \\ and [x]"));
    if (platform::GetSetting("Fuzz", "Prefs", "Key") != QStringLiteral("value\n with = and \\ and [x]"))
        std::abort();
    if (platform::GetSetting("Fuzz", "Prefs", "Other", "<absent>") != before)
        std::abort();
    return 0;
}
