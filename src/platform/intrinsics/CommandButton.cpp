#include "platform/intrinsics/CommandButton.h"

#include "platform/system/Runtime.h"

namespace platform {

namespace {
// The size of an icon's standard image; the button does not scale it.
constexpr int kPictureSize = 32;
}  // namespace

CommandButton::CommandButton(QWidget* parent, const QString& name) : QPushButton(parent)
{
    setObjectName(name);
    setIconSize(QSize(kPictureSize, kPictureSize));
    // A press of Enter elsewhere on the form must not click it.
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, &CommandButton::Click);
}

void CommandButton::Move(float left, float top, float width, float height)
{
    SetTwipsGeometry(this, left, top, width, height);
}

}  // namespace platform
