#pragma once
// What the program's question windows share: the options dialog's look (a
// rounded, outlined borderless window with a title band that drags it), a
// caption naming the site that asks, display centred on the main window and
// modal to it without holding up the program, Return for the default answer
// and Escape for the refusal; closed by the window manager, it refuses as
// Escape does and stays loaded. A derived form sets up its controls and its
// answer; the caller gets the answer through the callback it passed.
#include "chrome/ChromeForm.h"
#include "controls/SoftButton.h"
#include "controls/SoftText.h"
#include "platform/intrinsics/Label.h"

#include <cstdint>

class QuestionWindow : public ChromeForm {
    Q_OBJECT
public:
    platform::Label* lblCaption;

    // Hides the window without an answer: the question is no longer wanted.
    void Withdraw();

protected:
    QuestionWindow(const QString& name, float clientWidth, float clientHeight);

    // Titles the window and shows it over the main window.
    void ShowOver(const QString& caption);
    // A flat button of the question windows at (left, top) twips.
    SoftButton* NewButton(const QString& name, const char* caption, float left, float top, float width);
    // An empty flat text box at (left, top) twips.
    SoftText* NewTextBox(const QString& name, float left, float top, float width);
    // The question's text: a word-wrapped label under the caption band, as
    // wide as the buttons' row, `height` twips high.
    platform::Label* NewMessageLabel(const QString& name, float height);

    // Return and Escape. Nothing happens while the window is hidden.
    virtual void DefaultAnswer() = 0;
    virtual void Refusal() = 0;
    // Drops the pending answer callback; true when there was one.
    virtual bool ForgetAnswer() = 0;

    void Form_Load() override;
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode) override;
    void Form_Unload(int16_t& Cancel) override;
    void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) override;
};
