#pragma once
// The window chrome of the borderless forms (the floating toolbar, the
// options dialog, the question windows): a rounded window shape with a
// two-tone grey outline, and a title band behind the caption label in the
// active or inactive caption colour, and the dragging of the window by that
// label. The forms derive from ChromeForm and name their caption label.
#include "platform/forms/Forms.h"
#include "platform/intrinsics/Label.h"

#include <cstdint>

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
    // The same for a form's caption band, which also follows the form: the
    // band takes the active caption colour when the form is activated and
    // the inactive one when it is deactivated, and the label's mouse events
    // reach lblCaption_MouseDown, lblCaption_MouseMove and lblCaption_MouseUp.
    void SetCaptionBand(platform::Label* lblCaption);

    void Form_Activate() override;
    void Form_Deactivate() override;

    // The caption drag, with the label's mouse coordinates (twips). A
    // left-button press starts it (other buttons are ignored); each move
    // while dragging moves the window by the pointer's displacement since
    // the press, so the pressed point stays under the pointer; a release of
    // any button ends it. No snapping, no clamping to the screen, no
    // threshold. None of them traps errors; a form that traps them overrides
    // the handler and calls this one inside its trap.
    virtual void lblCaption_MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    virtual void lblCaption_MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    virtual void lblCaption_MouseUp(int16_t Button, int16_t Shift, float X, float Y);

    // A caption drag is in progress; the form clears it when it loads.
    bool blnDragging = false;
    // Where the drag started, in the label's coordinates; Y in whole twips.
    float sngDragX = 0;
    int32_t lngDragY = 0;

private:
    void DrawTitleBar(platform::OLE_COLOR bandColor);

    QWidget* lblCaption_ = nullptr;
    bool captionBand_ = false;
};
