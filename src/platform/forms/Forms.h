#pragma once
// The forms runtime: one instance per form class, created and loaded on first
// reference, shown modeless or modal with an owner, hidden, unloaded; the
// program ends when no form is left loaded.
//
// Lifetime: a form unloaded while code of the program is still running further
// up the stack (it let events run with DoEvents, a modal Show or a message box)
// stays a valid, inert object until all that code has returned: its controls
// raise no events, drawing on it does nothing, its timers do not tick, and
// Show brings it back no more. It is destroyed only then (see CodeDepth.h).
// Once the last form is unloaded, code still returning loads no form again.
#include "platform/drawing/OleColor.h"

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <typeindex>
#include <vector>

class QEventLoop;
class QPainter;

namespace platform {

class Surface;

inline constexpr int vbModeless = 0;
inline constexpr int vbModal = 1;
// Modal to its owner only, and Show returns at once: the owner takes no
// input until the form is hidden, while the program goes on.
inline constexpr int vbModalToOwner = 2;

inline constexpr int vbNormal = 0;
inline constexpr int vbMinimized = 1;
inline constexpr int vbMaximized = 2;

// Shift state bits of key and mouse events.
inline constexpr int16_t vbShiftMask = 1;
inline constexpr int16_t vbCtrlMask = 2;
inline constexpr int16_t vbAltMask = 4;

// Mouse buttons of mouse events.
inline constexpr int16_t vbLeftButton = 1;
inline constexpr int16_t vbRightButton = 2;
inline constexpr int16_t vbMiddleButton = 4;

// Why a form is being unloaded (Form_QueryUnload): the user closed it by the
// window's own means (its close button, the window manager, the window
// menu's Close), or the program's code unloads it.
inline constexpr int16_t vbFormControlMenu = 0;
inline constexpr int16_t vbFormCode = 1;

// Where a form is placed when it is shown (StartUpPosition).
inline constexpr int vbStartUpManual = 0;
inline constexpr int vbStartUpOwner = 1;

// Key codes of key events (the virtual-key numbering).
inline constexpr int16_t vbKeyReturn = 0x0D;
inline constexpr int16_t vbKeyEscape = 0x1B;
inline constexpr int16_t vbKeyHome = 0x24;
inline constexpr int16_t vbKeyLeft = 0x25;
inline constexpr int16_t vbKeyRight = 0x27;
inline constexpr int16_t vbKey0 = 0x30;
inline constexpr int16_t vbKeyD = 0x44;
inline constexpr int16_t vbKeyF = 0x46;
inline constexpr int16_t vbKeyL = 0x4C;
inline constexpr int16_t vbKeyP = 0x50;
inline constexpr int16_t vbKeyQ = 0x51;
inline constexpr int16_t vbKeyR = 0x52;
inline constexpr int16_t vbKeyW = 0x57;
inline constexpr int16_t vbKeyNumpad0 = 0x60;
inline constexpr int16_t vbKeyAdd = 0x6B;       // keypad +
inline constexpr int16_t vbKeySubtract = 0x6D;  // keypad -
inline constexpr int16_t vbKeyF3 = 0x72;
inline constexpr int16_t vbKeyF4 = 0x73;
inline constexpr int16_t vbKeyF5 = 0x74;
inline constexpr int16_t vbKeyF6 = 0x75;
inline constexpr int16_t vbKeyF11 = 0x7A;
// The keyboard's browser keys; the mouse's back and forward buttons reach
// Form_KeyDown as these too.
inline constexpr int16_t vbKeyBrowserBack = 0xA6;
inline constexpr int16_t vbKeyBrowserForward = 0xA7;
// The "=" / "+" key and the "-" key of the main keyboard, in any layout.
inline constexpr int16_t vbKeyOemPlus = 0xBB;
inline constexpr int16_t vbKeyOemMinus = 0xBD;

class Form : public QWidget {
    Q_OBJECT
public:
    // The form's name as stored in placements ("frmMain", ...).
    QString Name() const { return name_; }

    // Outer position and size in twips: the window frame's corner, and the
    // client size plus the design frame (see SetDesignFrame).
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void SetLeft(float twips);
    void SetTop(float twips);
    void SetWidth(float twips);
    void SetHeight(float twips);
    // Moves the form's corner to (left, top) twips in one step; the size stays.
    void Move(float left, float top);
    // Client area in twips.
    float ScaleWidth() const;
    float ScaleHeight() const;

    QString Caption() const { return caption_; }
    // The title bar shows the caption as it stands, "[*]" included.
    void SetCaption(const QString& caption);

    bool Visible() const { return isVisible(); }
    // The control that has the focus, when it is on this form: a user
    // control for the focus on one of its constituents, else the focused
    // widget itself; nullptr when the focus is elsewhere.
    QWidget* ActiveControl() const;
    // The form's icon, as a picture for other forms to show.
    QIcon Icon() const { return windowIcon(); }
    int WindowState() const;
    // The whole screen for the window and back. While it is full screen the
    // form's Left, Top, Width and Height are the placement it had before, so
    // a placement stored then is the one to come back to.
    void SetFullScreen(bool on);
    bool FullScreen() const;

    // Shows the form, modeless, modal or modal to its owner, owned by `owner`
    // (it then stays above its owner and has no taskbar entry). A modal Show
    // returns when the form is hidden or unloaded. An unloaded form is not shown.
    void Show(int modal = vbModeless, Form* owner = nullptr);
    void Hide();
    // Restores the form if it is minimised (to normal or maximised, as it was
    // before) and brings it to the front, asking for it to be activated; a
    // modal form that is open stays in front of it.
    void BringToFront();
    // Runs Form_QueryUnload (vbFormCode) and Form_Unload, unloads the forms
    // this one owns, makes the form inert and destroys it once no code of the
    // program is running any more; when it was the last one, ends the
    // program. A form that sets Cancel stays loaded. Closing the window by
    // its own means does the same with vbFormControlMenu.
    void Unload();
    // Loaded, and not yet unloaded.
    bool Loaded() const { return loaded_; }
    // Its unload runs: it is still loaded, and goes once the unload returns.
    bool Unloading() const { return unloading_; }

    // The window handle the platform knows the form by.
    QWidget* hWnd() { return this; }

    // Assistive tools are told that the form is a dialog rather than a window.
    bool DialogRole() const { return dialogRole_; }

    // The persistent image (AutoRedraw): drawing goes to an image that the
    // form shows whenever it repaints, so it survives until drawn over. The
    // image exists from SetAutoRedraw(true) or the first use of hDC().
    void SetAutoRedraw(bool on);
    bool AutoRedraw() const { return surface_ != nullptr; }
    Surface& hDC();
    // A filled box from (x1, y1) to (x2, y2) twips on the persistent image,
    // outline and interior in one colour.
    void FilledBox(double x1, double y1, double x2, double y2, OLE_COLOR color);
    // The back colour; setting it clears the persistent image.
    OLE_COLOR BackColor() const { return backColor_; }
    void SetBackColor(OLE_COLOR color);

protected:
    explicit Form(const QString& name);
    ~Form() override;

    // The form's event handlers; the runtime calls them.
    virtual void Form_Load() {}
    // Before Form_Unload, with why the form is being unloaded (vbFormControlMenu,
    // vbFormCode): a handler that sets Cancel keeps the form loaded, and
    // Form_Unload does not run.
    virtual void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode)
    {
        (void)Cancel;
        (void)UnloadMode;
    }
    virtual void Form_Unload(int16_t& Cancel) { (void)Cancel; }
    virtual void Form_Resize() {}
    // With key preview: a handler that sets KeyCode to 0 keeps the key from
    // the focused control.
    virtual void Form_KeyDown(int16_t& KeyCode, int16_t& Shift)
    {
        (void)KeyCode;
        (void)Shift;
    }
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}

    // The frame around the client area at design, in twips: the outer Width
    // and Height are the client size plus this, whatever the window manager
    // draws. Borderless forms have none.
    void SetDesignFrame(float widthTwips, float heightTwips);
    // Sizes the client area (twips).
    void SetClientSize(float widthTwips, float heightTwips);
    // Key preview: Form_KeyDown sees each key before the focused control.
    void SetKeyPreview(bool on) { keyPreview_ = on; }
    // A borderless form: no system frame or title bar, no taskbar entry.
    void SetBorderless(bool on);
    // A fixed dialog frame without a title bar: no caption, no buttons, no
    // taskbar entry. Window managers draw no frame without a title bar, so
    // the form draws a thin raised edge around its client area itself.
    void SetDialogFrameWithoutTitle();
    void SetDialogRole(bool on) { dialogRole_ = on; }
    // vbStartUpOwner: centred on the owner each time it is shown.
    void SetStartUpPosition(int position) { startUpPosition_ = position; }

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class FormRegistry;
    friend class ApplicationEvents;

    // The frame's corner and the client size (pixels) that Left, Top, Width
    // and Height report.
    QRect placement() const;
    void applyOwner(Form* owner);
    void paintDialogEdge(QPainter& painter) const;
    void activate();
    QPoint framePosition() const;
    void placeFrame(QPoint framePosition);
    void settleFramePosition();
    void becomeInert();
    void unload(int16_t unloadMode);

    QString name_;
    QString caption_;
    float designFrameWidth_ = 0;
    float designFrameHeight_ = 0;
    bool keyPreview_ = false;
    bool borderless_ = false;
    bool drawnDialogFrame_ = false;
    bool dialogRole_ = false;
    int startUpPosition_ = vbStartUpManual;
    OLE_COLOR backColor_ = COLOR_BTNFACE;
    std::unique_ptr<Surface> surface_;
    // Where the frame's corner was asked to be while the window was hidden,
    // until the shown window's frame is known to be there.
    std::optional<QPoint> pendingFramePosition_;
    // The frame's corner and the client size before the window went full screen.
    std::optional<QRect> placementBeforeFullScreen_;
    Qt::WindowStates statesBeforeFullScreen_;
    bool restoringPlacement_ = false;
    int frameChecks_ = 0;
    bool loaded_ = false;
    bool unloading_ = false;
    QPointer<QEventLoop> modalLoop_;
    // The controls whose events the unload silenced.
    std::vector<QPointer<QObject>> silenced_;
};

// The single-instance registry behind the forms.
class FormRegistry {
public:
    // The loaded instance of F; creates and loads it on first reference.
    // While the program is ending (its last form was unloaded and code is
    // still returning) the new instance stays unloaded and inert.
    template <class F>
    static F& Ref()
    {
        if (Form* existing = find(typeid(F)))
            return static_cast<F&>(*existing);
        return static_cast<F&>(*create(typeid(F), []() -> Form* { return new F(); }));
    }

    // Whether F is loaded, without loading it.
    template <class F>
    static bool IsLoaded()
    {
        return find(typeid(F)) != nullptr;
    }

    // Unloads F if it is loaded.
    template <class F>
    static void UnloadIfLoaded()
    {
        if (Form* form = find(typeid(F)))
            form->Unload();
    }

    static int LoadedCount();

    // What happens when the last form is unloaded: by default the event loop
    // is told to exit. Tests replace it. Returns the previous action.
    using LastFormAction = std::function<void()>;
    static LastFormAction SetLastFormAction(LastFormAction action);

private:
    friend class Form;
    static Form* find(std::type_index type);
    static Form* create(std::type_index type, Form* (*make)());
    static void remove(Form* form);
    static void lastFormUnloaded();
};

// Reference to a form: loads it on first use.
template <class F>
F& Forms()
{
    return FormRegistry::Ref<F>();
}

}  // namespace platform
