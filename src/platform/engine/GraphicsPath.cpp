#include "platform/engine/GraphicsPath.h"

#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {
bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

bool hasRenderNode(const std::string& driFolder)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(driFolder, error)) {
        if (entry.path().filename().string().starts_with("renderD"))
            return true;
    }
    return false;  // no folder, an unreadable one, or no render node in it
}
}  // namespace

GraphicsPath ChooseGraphicsPath(const std::string& driFolder)
{
    if (isSet("QT_QUICK_BACKEND") || isSet("QSG_RHI_BACKEND"))
        return GraphicsPath::UserChoice;
    if (hasRenderNode(driFolder))
        return GraphicsPath::Hardware;
    setenv("QT_QUICK_BACKEND", "software", 1);
    return GraphicsPath::Software;
}

}  // namespace platform
