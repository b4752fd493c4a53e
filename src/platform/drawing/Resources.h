#pragma once
// Icons of the program's resources, by numeric id. Each icon group is one or
// more SVG sources under :/icons/: "<id>.svg" and, for groups with images
// drawn for small sizes, "<id>-<size>.svg".
#include <QIcon>

namespace platform {

// The icon group `id` with all its images; raises error 53 when the program
// has no icon of that id.
QIcon LoadResIcon(int id);

}  // namespace platform
