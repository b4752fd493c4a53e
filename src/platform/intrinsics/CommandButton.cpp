#include "platform/intrinsics/CommandButton.h"

namespace platform {

namespace {
// The size of an icon's standard image; the button does not scale it.
constexpr int kPictureSize = 32;
}  // namespace

CommandButton::CommandButton(QWidget* parent, const QString& name) : Control(parent, name)
{
    setIconSize(QSize(kPictureSize, kPictureSize));
    // A press of Enter elsewhere on the form must not click it.
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &CommandButton::Click);
}

}  // namespace platform
