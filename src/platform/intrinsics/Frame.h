#pragma once
// A frame of the forms runtime: a captioned box that holds other controls,
// which are placed in twips relative to its top-left corner.
#include "platform/intrinsics/Control.h"

#include <QGroupBox>

namespace platform {

class Frame : public Control<QGroupBox> {
    Q_OBJECT
public:
    Frame(QWidget* parent, const QString& name);

    QString Caption() const { return title(); }
    // The caption names the frame to assistive tools too.
    void SetCaption(const QString& caption)
    {
        setTitle(caption);
        setAccessibleName(caption);
    }
    OLE_COLOR BackColor() const { return backColor_; }
    void SetBackColor(OLE_COLOR color);
    // The caption's font; the controls inside keep their own.
    void SetFont(const QString& name, double pointSize, bool bold = false, bool italic = false);

private:
    OLE_COLOR backColor_ = COLOR_BTNFACE;
};

}  // namespace platform
