#pragma once
// A label of the forms runtime: a windowless caption with twips geometry,
// a foreground colour, an optional size that follows the text (AutoSize),
// a tag string, and the Change and mouse events.
#include "platform/intrinsics/Control.h"

#include <QLabel>

#include <cstdint>

namespace platform {

class Label : public Control<QLabel> {
    Q_OBJECT
    // Its events reach the program's code: an unloaded form silences them.
    Q_CLASSINFO("RaisesFormEvents", "true")
public:
    Label(QWidget* parent, const QString& name);

    QString Caption() const { return text(); }
    void SetCaption(const QString& caption);
    OLE_COLOR ForeColor() const { return foreColor_; }
    void SetForeColor(OLE_COLOR color);
    // 0 left, 1 right, 2 centred.
    void SetAlignment(int16_t alignment);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool on);
    QString Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }
    // The font by name and point size, bold and italic or not.
    void SetFont(const QString& name, double pointSize, bool bold = false, bool italic = false);
    bool FontUnderline() const { return font().underline(); }
    void SetFontUnderline(bool on);
    bool FontBold() const { return font().bold(); }
    void SetFontBold(bool on);

signals:
    void Change();
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void MouseUp(int16_t Button, int16_t Shift, float X, float Y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitText();

    OLE_COLOR foreColor_ = 0x80000012;
    bool autoSize_ = false;
    QString tag_;
};

}  // namespace platform
