#pragma once
// An option button of the forms runtime: of the option buttons in one
// container exactly one is set; setting one clears the others.
#include "platform/intrinsics/Control.h"

#include <QRadioButton>

namespace platform {

class OptionButton : public Control<QRadioButton> {
    Q_OBJECT
public:
    OptionButton(QWidget* parent, const QString& name);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    bool Value() const { return isChecked(); }
    void SetValue(bool on) { setChecked(on); }
    OLE_COLOR BackColor() const { return backColor_; }
    void SetBackColor(OLE_COLOR color);

private:
    OLE_COLOR backColor_ = COLOR_BTNFACE;
};

}  // namespace platform
