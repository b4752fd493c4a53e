#pragma once
// The per-user settings store: text values addressed by application name,
// section and key. Each application name has one INI file in the user's config
// folder ($XDG_CONFIG_HOME/skerrywind/<application>.ini).
#include <QString>

namespace platform {

// The stored text, or `defaultValue` when the file, the section or the key is
// absent, or the file cannot be read. Lines that do not parse are skipped.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());

// Stores the text, creating the file, section and key as needed. The file is
// replaced whole or not at all; a write that does not reach the disk raises
// error 75 and leaves what was stored before untouched.
void SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value);

// The folder that holds the INI files, and the file of one application.
QString SettingsFolder();
QString SettingsFile(const QString& application);

}  // namespace platform
