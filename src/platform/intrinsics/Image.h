#pragma once
// An image control of the forms runtime: a windowless picture at twips
// geometry. Without stretching, the control takes the size of its picture.
#include "platform/intrinsics/Control.h"

#include <QIcon>
#include <QLabel>

namespace platform {

class Image : public Control<QLabel> {
    Q_OBJECT
public:
    Image(QWidget* parent, const QString& name);

    // Shows the icon at `pixels` x `pixels`, its natural size; the control
    // takes that size. A null icon clears the picture.
    void SetPicture(const QIcon& icon, int pixels);
    QIcon Picture() const { return picture_; }

private:
    QIcon picture_;
};

}  // namespace platform
