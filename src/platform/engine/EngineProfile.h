#pragma once
// The web engine's profile: one per process, created on first use, kept on
// disk so that cookies, the cache and local storage survive a restart (the
// engine's default profile forgets them when the program ends).
//
// Integration: every page the program shows is created on this profile
// (BrowserPage does so by default).
#include <QString>

class QWebEngineProfile;

namespace platform {

class EngineProfile {
public:
    // The profile, created on first use; it lives as long as the application
    // object and is destroyed with it, which writes outstanding cookies out.
    static QWebEngineProfile* instance();

    // Where the profile keeps its data ($XDG_DATA_HOME/skerrywind/engine) and
    // its cache ($XDG_CACHE_HOME/skerrywind/engine).
    static QString storagePath();
    static QString cachePath();

    static constexpr const char* storageName = "skerrywind";
};

}  // namespace platform
