#pragma once
// A command button of the forms runtime in its graphical style: a push button
// that shows a picture in place of a caption, with a tooltip, twips geometry
// and the Click event (a left-button release over it, or Space while it has
// the focus).
#include "platform/intrinsics/Control.h"

#include <QIcon>
#include <QPushButton>

namespace platform {

class CommandButton : public Control<QPushButton> {
    Q_OBJECT
    // Its events reach the program's code: an unloaded form silences them.
    Q_CLASSINFO("RaisesFormEvents", "true")
public:
    CommandButton(QWidget* parent, const QString& name);

    // The picture, drawn at its natural size of 32 x 32 pixels.
    QIcon Picture() const { return icon(); }
    void SetPicture(const QIcon& picture) { setIcon(picture); }
    QString ToolTipText() const { return toolTip(); }
    void SetToolTipText(const QString& text) { setToolTip(text); }

signals:
    void Click();
};

}  // namespace platform
