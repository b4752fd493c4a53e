#include "platform/system/PrivateFolders.h"

#include "platform/system/RecentStore.h"
#include "platform/system/Settings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
constexpr mode_t kPermissionBits = 0777;
constexpr mode_t kSpecialBits = 07000;

std::string octal(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%04o", unsigned(mode & (kPermissionBits | kSpecialBits)));
    return text;
}
}  // namespace

QString CacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/skerrywind");
}

QStringList ProgramFolders()
{
    return {SettingsFolder(), RecentStore::DataFolder(), CacheFolder()};
}

FolderChoice ChooseFolderPrivacy(const std::string& path, const FolderState& found, uid_t user)
{
    if (!found.exists)
        return {FolderChoice::Create, {}};
    if (!found.isFolder)
        return {FolderChoice::LeaveAlone, path + " is not a folder; what the program keeps there cannot be saved"};
    if (found.owner != user)
        return {FolderChoice::LeaveAlone, path + " belongs to another user (" + std::to_string(found.owner)
                                              + "); its mode " + octal(found.mode) + " is left as it is"};
    if ((found.mode & kPermissionBits) == kPrivateFolderMode)
        return {};
    return {FolderChoice::Narrow,
            path + " was mode " + octal(found.mode) + "; narrowed to 0700, so that only you can read it"};
}

bool MakePrivateFolder(const QString& path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    struct stat info {};
    if (::stat(QFile::encodeName(clean).constData(), &info) == 0)
        return S_ISDIR(info.st_mode);
    // The missing folders from the outermost in, each private from its start.
    const QStringList parts = clean.split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += u'/' + part;
        const QByteArray name = QFile::encodeName(current);
        if (::mkdir(name.constData(), kPrivateFolderMode) == 0) {
            // The umask may have taken bits the owner needs.
            ::chmod(name.constData(), kPrivateFolderMode);
        } else if (errno != EEXIST) {
            return false;
        }
    }
    return ::stat(QFile::encodeName(clean).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QStringList MakeProgramFoldersPrivate()
{
    QStringList notices;
    for (const QString& folder : ProgramFolders()) {
        const QByteArray name = QFile::encodeName(folder);
        struct stat info {};
        FolderState found;
        if (::stat(name.constData(), &info) == 0)
            found = {true, S_ISDIR(info.st_mode), info.st_uid, mode_t(info.st_mode & (kPermissionBits | kSpecialBits))};
        FolderChoice choice = ChooseFolderPrivacy(folder.toStdString(), found, ::geteuid());
        switch (choice.action) {
        case FolderChoice::Create:
            if (!MakePrivateFolder(folder))
                choice.notice = "cannot create " + folder.toStdString() + " (" + std::strerror(errno)
                                + "); what the program keeps there cannot be saved";
            break;
        case FolderChoice::Narrow:
            if (::chmod(name.constData(), (found.mode & kSpecialBits) | kPrivateFolderMode) != 0)
                choice.notice = "cannot make " + folder.toStdString() + " private (" + std::strerror(errno)
                                + "); it stays mode " + octal(found.mode);
            break;
        case FolderChoice::Nothing:
        case FolderChoice::LeaveAlone: break;
        }
        if (!choice.notice.empty()) {
            std::fprintf(stderr, "skerrywind: %s\n", choice.notice.c_str());
            notices << QString::fromStdString(choice.notice);
        }
    }
    return notices;
}

}  // namespace platform
