#pragma once
// The window chrome of the borderless forms (the floating toolbar and the
// options dialog): a rounded window shape with a two-tone grey outline, and
// a title band behind the caption label in the active or inactive caption
// colour. The forms derive from ChromeForm and name their caption label.
#include "platform/Forms.h"

class ChromeForm : public platform::Form {
public:
    // Shapes the window to a rounded rectangle and draws the outline.
    void FrameMe();
    // Fills the title band with the active caption colour, then FrameMe.
    void DrawActiveTitleBar();
    // Fills the title band with the inactive caption colour, then FrameMe.
    void DrawInActiveTitleBar();

protected:
    // A borderless form with a persistent image.
    explicit ChromeForm(const QString& name);

    // The label whose size the title band takes; call it once the label exists.
    void SetCaptionLabel(QWidget* lblCaption) { lblCaption_ = lblCaption; }

private:
    void DrawTitleBar(platform::OLE_COLOR bandColor);

    QWidget* lblCaption_ = nullptr;
};
