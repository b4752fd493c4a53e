#pragma once
// The base of the program's user controls: a child widget that counts as a
// window, with a persistent image that line drawing in twips goes to
// (AutoRedraw), the instance name it carries on its host form, the host's
// user-mode flag, property change notification and its life cycle
// (Initialize, InitProperties or ReadProperties, WriteProperties, Resize).
//
// A host form creates an instance with its name and its stored bag; the
// control's constructor runs Initialize and then ReadProperties in user
// mode. The host then places it with Move (twips).
#include "platform/drawing/OleColor.h"
#include "platform/drawing/Surface.h"
#include "platform/forms/PropertyBag.h"

#include <QWidget>

class QLineEdit;

namespace platform {

class UserControl : public QWidget {
    Q_OBJECT
    // Its events reach the program's code: an unloaded form silences them.
    Q_CLASSINFO("RaisesFormEvents", "true")
public:
    struct ExtenderProperties {
        QString Name;  // the instance's name on its host form
    };
    struct AmbientProperties {
        bool UserMode = false;  // true when the host runs, false on a design surface
    };

    const ExtenderProperties& Extender() const { return extender_; }
    const AmbientProperties& Ambient() const { return ambient_; }

    // Size in twips, and placement in the host's client area.
    float Width() const;
    float Height() const;
    void SetWidth(float twips);
    void SetHeight(float twips);
    void Move(float left, float top, float width, float height);

    // The control's own window.
    QWidget* hWnd() { return this; }

    // Gives the focus to the control's first constituent that takes it, and
    // makes its window the active one.
    void SetFocus();
    bool Visible() const { return isVisible(); }
    void SetVisible(bool on) { setVisible(on); }

    // Stacking among its siblings: 0 to the front, 1 to the back.
    void ZOrder(int position = 0)
    {
        if (position == 0)
            raise();
        else
            lower();
    }

    // The stored properties, as the host saves them.
    void SaveProperties(PropertyBag& bag) { UserControl_WriteProperties(bag); }

    // The persistent image (for hosts that print or inspect the control).
    const Surface& DrawingSurface() const { return surface_; }

    // Its form was unloaded: drawing does nothing and it is no longer told
    // of size changes.
    void BecomeInert();

    // What assistive tools are told about the control (platform/access reads
    // it): its kind, the caption that names it unless its host gave it a name
    // of its own (setAccessibleName), a link's address, whether it is enabled,
    // a text box's inner box, and its one action.
    enum class AccessibleKind { Group, PushButton, EditableText, Link };
    AccessibleKind Kind() const { return accessibleKind_; }
    virtual QString AccessibleCaption() const { return QString(); }
    virtual QString AccessibleTarget() const { return QString(); }
    virtual bool AccessibleEnabled() const { return isEnabled(); }
    virtual QLineEdit* AccessibleTextBox() const { return nullptr; }
    // An assistive tool asked for the control's action (a button's press, a
    // link's jump). It runs once the event loop has control again, since the
    // tool waits for the answer to its request until then, and not at all
    // once the control's form has been unloaded.
    void DoAccessibleAction();

signals:
    // The host's stored data is out of date for this key.
    void propertyChanged(const QString& key);

protected:
    // Design size in twips.
    UserControl(QWidget* parent, const QString& name, float designWidth, float designHeight);

    // The derived constructor calls exactly one of these after its own
    // UserControl_Initialize: a brand-new instance on a design surface, or a
    // stored one loaded by a running host (sized from the bag's
    // "_extentx"/"_extenty", HIMETRIC, when present; Resize follows the read).
    void InitNew();
    void Load(const PropertyBag& bag);

    virtual void UserControl_InitProperties() {}
    virtual void UserControl_ReadProperties(const PropertyBag& PropBag) { (void)PropBag; }
    virtual void UserControl_WriteProperties(PropertyBag& PropBag) { (void)PropBag; }
    virtual void UserControl_Resize() {}

    void PropertyChanged(const QString& key) { emit propertyChanged(key); }

    void SetAccessibleKind(AccessibleKind kind) { accessibleKind_ = kind; }
    // The action an assistive tool asked for, as the event loop runs it.
    virtual void UserControl_AccessibleAction() {}
    // Tell assistive tools that the control's name, or its enabled state,
    // changed.
    void AnnounceNameChange();
    void AnnounceEnabledChange();

    // The surface's back colour; setting it clears what was drawn.
    OLE_COLOR BackColor() const { return surface_.BackColor(); }
    void SetBackColor(OLE_COLOR color);
    // A one-pixel solid line, twips from the control's top-left corner.
    void Line(float x1, float y1, float x2, float y2, OLE_COLOR color) { surface_.Line(x1, y1, x2, y2, color); }
    void Cls() { surface_.Cls(); }

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Runs UserControl_Resize once per new size, at once, also while hidden
    // (Qt would hold a hidden widget's resize event back until it is shown).
    void sizeChanged();

    Surface surface_;
    ExtenderProperties extender_;
    AmbientProperties ambient_;
    QSize handledSize_;
    bool inert_ = false;
    AccessibleKind accessibleKind_ = AccessibleKind::Group;
};

}  // namespace platform
