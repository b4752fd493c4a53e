#pragma once
// What the program keeps about the user is the user's alone: its folders
// (config, data with the engine's profile, cache) are mode 0700 and every
// file it writes in them 0600, whatever the umask.
//
// Integration: main() calls MakeProgramFoldersPrivate() once the program is
// known to run (after the hand-over), before the engine starts.
#include <QString>
#include <QStringList>

#include <string>

#include <sys/types.h>

namespace platform {

inline constexpr mode_t kPrivateFolderMode = 0700;
inline constexpr mode_t kPrivateFileMode = 0600;

// $XDG_CACHE_HOME/skerrywind: the engine's cache lives below it.
QString CacheFolder();
// The program's own folders: the settings folder, the data folder and the
// cache folder, in that order.
QStringList ProgramFolders();

// What to do with one of the program's folders, from what is found there.
struct FolderState {
    bool exists = false;
    bool isFolder = false;
    uid_t owner = 0;
    mode_t mode = 0;  // the permission bits (and set-id and sticky bits)
};
struct FolderChoice {
    enum Action { Nothing, Create, Narrow, LeaveAlone };
    Action action = Nothing;
    // The line for stderr, or empty.
    std::string notice;
};
FolderChoice ChooseFolderPrivacy(const std::string& path, const FolderState& found, uid_t user);

// Creates the folder and any missing parent with mode 0700; true when it
// is a folder afterwards. Existing folders are left as they are.
bool MakePrivateFolder(const QString& path);

// Applies the choice to each of ProgramFolders(); returns the notices, each
// also written to stderr. The program runs on whatever they say.
QStringList MakeProgramFoldersPrivate();

}  // namespace platform
