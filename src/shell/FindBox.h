#pragma once
// The find box of the main window: a small flat strip over the top right
// corner of the page with the text to find, buttons for the previous and the
// next match, and one that closes it. The host does the finding; the box
// raises Change as the text changes, FindNext for its two buttons and
// CloseClick for its close button.
#include "controls/SoftButton.h"
#include "controls/SoftText.h"
#include "platform/forms/UserControl.h"

class FindBox : public platform::UserControl {
    Q_OBJECT
public:
    FindBox(QWidget* parent, const QString& name);

    SoftText* txtFind;
    SoftButton* cmdPrevious;
    SoftButton* cmdNext;
    SoftButton* cmdClose;

    QString Text() const { return txtFind->Text(); }
    // Shows the box above its siblings and puts the focus on its text,
    // selected whole, so that typing replaces it.
    void Activate();
    // What the last search found ("3 of 12"), told to assistive tools with
    // the text to find.
    void SetResult(const QString& sResult);

signals:
    void Change();
    void FindNext(bool bBackward);
    void CloseClick();

private:
    void UserControl_Resize() override;
    void txtFind_Change();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdClose_Click();
};
