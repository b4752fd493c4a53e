#pragma once
// How the engine's compositor renders, decided before the application object
// exists. Where the machine has no GPU, Qt Quick's software backend reaches a
// page's first paint sooner and with less memory than OpenGL through a software
// rasterizer; where a GPU is present Qt's default is kept. A user's own
// QT_QUICK_BACKEND or QSG_RHI_BACKEND always wins.
#include <string>

namespace platform {

enum class GraphicsPath {
    UserChoice,  // QT_QUICK_BACKEND or QSG_RHI_BACKEND was set: left alone
    Hardware,    // a DRM render node exists: Qt's default path
    Software,    // no render node: QT_QUICK_BACKEND=software was set
};

// Looks for a render node ("renderD*") in `driFolder` and sets the environment
// accordingly. Costs one directory listing.
GraphicsPath ChooseGraphicsPath(const std::string& driFolder = "/dev/dri");

}  // namespace platform
