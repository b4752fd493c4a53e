#pragma once
// An option button of the forms runtime: of the option buttons in one
// container exactly one is set; setting one clears the others.
#include "platform/drawing/OleColor.h"

#include <QRadioButton>

namespace platform {

class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    OptionButton(QWidget* parent, const QString& name);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption) { setText(caption); }
    bool Value() const { return isChecked(); }
    void SetValue(bool on) { setChecked(on); }
    OLE_COLOR BackColor() const { return backColor_; }
    void SetBackColor(OLE_COLOR color);
    void Move(float left, float top, float width, float height);

private:
    OLE_COLOR backColor_ = COLOR_BTNFACE;
};

}  // namespace platform
