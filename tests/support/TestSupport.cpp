#include "TestSupport.h"

#include "platform/system/RecentStore.h"

#include <QDir>

namespace skwtest {

namespace {
std::unique_ptr<QTemporaryDir>& folder()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}
std::vector<platform::MessageBoxCall>& boxes()
{
    static std::vector<platform::MessageBoxCall> calls;
    return calls;
}
}  // namespace

void FreshUserFolders()
{
    // What the stores read came from the old folders: the next use reads
    // the new ones.
    platform::RecentStore::CloseAll();
    folder() = std::make_unique<QTemporaryDir>();
    const QString root = folder()->path();
    for (const char* sub : {"config", "data", "cache", "downloads", "runtime"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (root + "/cache").toUtf8());
    qputenv("XDG_DOWNLOAD_DIR", (root + "/downloads").toUtf8());
}

QString UserFolder()
{
    return folder() ? folder()->path() : QString();
}

const std::vector<platform::MessageBoxCall>& Boxes() { return boxes(); }
void ClearBoxes() { boxes().clear(); }

void PrepareEnvironment()
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Runtime files go to a private folder so parallel tests do not meet.
    static QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    platform::SetMessageBoxHook([](const platform::MessageBoxCall& call) { boxes().push_back(call); });
}

}  // namespace skwtest
