#include "platform/forms/Forms.h"

#include "platform/drawing/Surface.h"
#include "platform/forms/Timer.h"
#include "platform/forms/UserControl.h"
#include "platform/system/AppError.h"
#include "platform/system/BenchLog.h"
#include "platform/system/CodeDepth.h"
#include "platform/system/Runtime.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPainter>
#include <QTimer>
#include <QWindow>

#include <map>
#include <vector>

namespace platform {

namespace {
// How often, and how many times, a newly shown window is checked for its
// frame before its position is taken as final.
constexpr int kFrameCheckIntervalMs = 50;
constexpr int kFrameChecks = 20;
// The raised edge a form without a system frame draws: two pixels, light at
// the top and left, dark at the bottom and right.
constexpr int kDialogEdgeWidth = 2;

// Controls whose class carries this class info raise events to the program's
// code: labels, text boxes, buttons, user controls, the browser host.
constexpr const char* kRaisesEventsInfo = "RaisesFormEvents";

struct Registry {
    std::map<std::type_index, Form*> forms;
    FormRegistry::LastFormAction lastFormAction = [] { QCoreApplication::exit(0); };
    // The last form was unloaded and the code that was running then has not
    // all returned yet.
    bool ending = false;
};
Registry& registry()
{
    static Registry r;
    return r;
}

// Destroys the form once the code that is running now (its own, perhaps in
// the middle of a DoEvents) has returned; deleteLater then holds it back
// until the event loop has control again (see Form::event).
void destroyWhenUnwound(Form* form)
{
    WhenUnwound([form = QPointer<Form>(form)] {
        if (form)
            form->deleteLater();
    });
}

// Destroys the form from the event loop once the code that is running now
// has returned, with none of the program's code running then: the delivery
// of the call itself is the one level of code there.
void destroyWhenIdle(const QPointer<Form>& form)
{
    WhenUnwound([form] {
        if (!form)
            return;
        QTimer::singleShot(0, form, [form] {
            if (CodeDepth() > 1)
                destroyWhenIdle(form);
            else
                delete static_cast<QObject*>(form.data());
        });
    });
}
}  // namespace

// ---- the registry ----

Form* FormRegistry::find(std::type_index type)
{
    const auto it = registry().forms.find(type);
    return it == registry().forms.end() ? nullptr : it->second;
}

Form* FormRegistry::create(std::type_index type, Form* (*make)())
{
    CodeScope scope;
    Form* form = make();
    if (registry().ending) {
        // The program ended while code that asks for this form still runs
        // (perhaps while the form was being made): it is never loaded.
        form->becomeInert();
        destroyWhenUnwound(form);
        return form;
    }
    registry().forms[type] = form;
    // The form counts as loaded from here on, so that a reference to it from
    // inside its own Form_Load finds this instance.
    form->loaded_ = true;
    form->Form_Load();
    return form;
}

void FormRegistry::remove(Form* form)
{
    auto& forms = registry().forms;
    for (auto it = forms.begin(); it != forms.end(); ++it) {
        if (it->second == form) {
            forms.erase(it);
            return;
        }
    }
}

void FormRegistry::lastFormUnloaded()
{
    registry().ending = true;
    WhenUnwound([] { registry().ending = false; });
    if (registry().lastFormAction)
        registry().lastFormAction();
}

int FormRegistry::LoadedCount()
{
    return int(registry().forms.size());
}

FormRegistry::LastFormAction FormRegistry::SetLastFormAction(LastFormAction action)
{
    LastFormAction previous = std::move(registry().lastFormAction);
    registry().lastFormAction = std::move(action);
    return previous;
}

// ---- the form ----

Form::Form(const QString& name) : QWidget(nullptr), name_(name)
{
    setObjectName(name);
}

Form::~Form()
{
    // The silenced controls announce their own destruction as they go.
    for (const QPointer<QObject>& object : silenced_)
        if (object)
            object->blockSignals(false);
    FormRegistry::remove(this);
}

QRect Form::placement() const
{
    if (placementBeforeFullScreen_)
        return *placementBeforeFullScreen_;
    return QRect(framePosition(), size());
}

float Form::Left() const
{
    return float(TwipsX(placement().x()));
}
float Form::Top() const
{
    return float(TwipsY(placement().y()));
}
float Form::Width() const
{
    return float(TwipsX(placement().width())) + designFrameWidth_;
}
float Form::Height() const
{
    return float(TwipsY(placement().height())) + designFrameHeight_;
}
float Form::ScaleWidth() const
{
    return float(TwipsX(width()));
}
float Form::ScaleHeight() const
{
    return float(TwipsY(height()));
}

void Form::SetLeft(float twips)
{
    placeFrame(QPoint(PixelsX(twips), framePosition().y()));
}
void Form::SetTop(float twips)
{
    placeFrame(QPoint(framePosition().x(), PixelsY(twips)));
}

void Form::Move(float left, float top)
{
    placeFrame(QPoint(PixelsX(left), PixelsY(top)));
}

QPoint Form::framePosition() const
{
    // Until the shown window's frame is known to be where it was asked to be,
    // that place is the form's position.
    return pendingFramePosition_.value_or(frameGeometry().topLeft());
}

void Form::placeFrame(QPoint framePosition)
{
    move(framePosition);
    // On X11 the frame of a window that is not shown is not known yet, and
    // the window system may place the client area where the frame's corner
    // belongs. The position is checked again once the frame is there.
    if (isVisible())
        pendingFramePosition_.reset();
    else
        pendingFramePosition_ = framePosition;
}

void Form::settleFramePosition()
{
    if (!pendingFramePosition_ || !isVisible())
        return;
    const QWindow* window = windowHandle();
    const bool frameKnown = window && !window->frameMargins().isNull();
    // Without a window manager no frame ever comes; the checks end then.
    if (!frameKnown && ++frameChecks_ < kFrameChecks) {
        QTimer::singleShot(kFrameCheckIntervalMs, this, &Form::settleFramePosition);
        return;
    }
    const QPoint wanted = *pendingFramePosition_;
    pendingFramePosition_.reset();
    if (frameGeometry().topLeft() != wanted && WindowState() == vbNormal)
        move(wanted);
}
namespace {
// A client size in pixels for an outer size in twips. A negative outer size,
// or one beyond what a window can have, is refused with error 380; an outer
// size smaller than the design frame leaves no client area.
int clientPixels(float outerTwips, float frameTwips, int (*toPixels)(double))
{
    if (!(outerTwips >= 0))
        Raise(errInvalidPropertyValue);
    const int pixels = std::max(0, toPixels(double(outerTwips) - frameTwips));
    if (pixels > QWIDGETSIZE_MAX)
        Raise(errInvalidPropertyValue);
    return pixels;
}
}  // namespace

void Form::SetWidth(float twips)
{
    resize(clientPixels(twips, designFrameWidth_, PixelsX), height());
}
void Form::SetHeight(float twips)
{
    resize(width(), clientPixels(twips, designFrameHeight_, PixelsY));
}

void Form::SetCaption(const QString& caption)
{
    caption_ = caption;
    // Qt reads "[*]" in a window title as the place of the modified mark and
    // drops it; doubled, it shows once.
    setWindowTitle(QString(caption).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
    qCInfo(lcBench).noquote() << "caption" << name_ << caption;
}

void Form::SetDesignFrame(float widthTwips, float heightTwips)
{
    designFrameWidth_ = widthTwips;
    designFrameHeight_ = heightTwips;
}

void Form::SetClientSize(float widthTwips, float heightTwips)
{
    resize(PixelsX(widthTwips), PixelsY(heightTwips));
}

void Form::SetBorderless(bool on)
{
    borderless_ = on;
    // A tool window has no taskbar entry, with an owner or without one.
    Qt::WindowFlags flags = windowFlags() & ~Qt::WindowType_Mask;
    flags |= on ? (Qt::Tool | Qt::FramelessWindowHint) : Qt::Window;
    if (!on)
        flags &= ~Qt::FramelessWindowHint;
    setWindowFlags(flags);
}

void Form::SetDialogFrameWithoutTitle()
{
    SetBorderless(true);
    drawnDialogFrame_ = true;
    update();
}

void Form::SetAutoRedraw(bool on)
{
    if (on && !surface_) {
        surface_ = std::make_unique<Surface>(this);
        surface_->SetBackColor(backColor_);
        surface_->Cls();
    } else if (!on) {
        surface_.reset();
        update();
    }
}

Surface& Form::hDC()
{
    SetAutoRedraw(true);
    return *surface_;
}

void Form::FilledBox(double x1, double y1, double x2, double y2, OLE_COLOR color)
{
    hDC().FilledBox(x1, y1, x2, y2, color);
}

void Form::SetBackColor(OLE_COLOR color)
{
    backColor_ = color;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, TranslateColor(color));
    setPalette(pal);
    if (surface_) {
        surface_->SetBackColor(color);
        surface_->Cls();
    }
}

QWidget* Form::ActiveControl() const
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return nullptr;
    QWidget* control = focus;
    for (QWidget* w = focus->parentWidget(); w && w != this; w = w->parentWidget())
        if (qobject_cast<UserControl*>(w))
            control = w;
    return control;
}

void Form::SetFullScreen(bool on)
{
    if (on == FullScreen())
        return;
    if (on) {
        placementBeforeFullScreen_ = QRect(framePosition(), size());
        statesBeforeFullScreen_ = windowState() & ~Qt::WindowFullScreen;
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else {
        // Until the window is back in place, the placement from before is
        // the form's: code that runs on the way (a resize lets events run)
        // may store it.
        const QRect before = *placementBeforeFullScreen_;
        restoringPlacement_ = true;
        setWindowState(statesBeforeFullScreen_);
        // The window manager may give back another size; the one from before counts.
        if (statesBeforeFullScreen_ == Qt::WindowNoState) {
            resize(before.size());
            placeFrame(before.topLeft());
        }
        restoringPlacement_ = false;
        placementBeforeFullScreen_.reset();
    }
}

bool Form::FullScreen() const
{
    return placementBeforeFullScreen_.has_value();
}

int Form::WindowState() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return vbMinimized;
    if (state & Qt::WindowMaximized)
        return vbMaximized;
    return vbNormal;
}

void Form::applyOwner(Form* owner)
{
    if (!owner || owner == this || parentWidget() == owner)
        return;
    // An owned window stays above its owner and has no taskbar entry.
    const QPoint position = frameGeometry().topLeft();
    const bool wasPlaced = testAttribute(Qt::WA_Moved);
    Qt::WindowFlags flags = (windowFlags() & ~Qt::WindowType_Mask) | Qt::Tool;
    setParent(owner, flags);
    if (wasPlaced)
        move(position);
}

void Form::Show(int modal, Form* owner)
{
    if (!loaded_)
        return;
    applyOwner(owner);
    if (startUpPosition_ == vbStartUpOwner && owner && !isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        placeFrame(frame.topLeft());
    }
    if (modal == vbModal) {
        NestedLoop nested;
        if (!loaded_)
            return;
        setWindowModality(Qt::ApplicationModal);
        show();
        activate();
        QEventLoop loop;
        modalLoop_ = &loop;
        loop.exec(QEventLoop::DialogExec);
        modalLoop_ = nullptr;
        return;
    }
    if (!isVisible())
        setWindowModality(modal == vbModalToOwner ? Qt::WindowModal : Qt::NonModal);
    show();
    activate();
}

void Form::activate()
{
    raise();
    // QWidget::activateWindow() does nothing for an owned window while its
    // owner is active (Qt counts the pair as one), so ask the window itself.
    if (QWindow* window = windowHandle())
        window->requestActivate();
}

void Form::BringToFront()
{
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    activate();
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        modal->raise();
        if (QWindow* window = modal->windowHandle())
            window->requestActivate();
    }
}

void Form::Hide()
{
    hide();
    if (modalLoop_)
        modalLoop_->quit();
}

void Form::Unload()
{
    unload(vbFormCode);
}

void Form::unload(int16_t unloadMode)
{
    if (unloading_ || !loaded_)
        return;
    CodeScope scope;
    int16_t cancel = 0;
    Form_QueryUnload(cancel, unloadMode);
    // The handler may have let events run, and the form gone meanwhile.
    if (cancel != 0 || unloading_ || !loaded_)
        return;
    unloading_ = true;
    // Whatever Form_Unload does, the form goes; a failure it lets through is
    // passed on once the form is gone.
    std::exception_ptr failure;
    try {
        Form_Unload(cancel);
    } catch (...) {
        failure = std::current_exception();
        cancel = 0;
    }
    if (cancel != 0) {
        unloading_ = false;
        return;
    }
    // Forms this one owns go with it, through their own unload.
    const QList<Form*> owned = findChildren<Form*>(Qt::FindDirectChildrenOnly);
    for (Form* child : owned)
        child->Unload();

    loaded_ = false;
    becomeInert();
    if (modalLoop_)
        modalLoop_->quit();
    hide();
    FormRegistry::remove(this);
    destroyWhenUnwound(this);
    if (FormRegistry::LoadedCount() == 0)
        FormRegistry::lastFormUnloaded();
    if (failure)
        std::rethrow_exception(failure);
}

void Form::becomeInert()
{
    if (surface_)
        surface_->SetInert();
    // The form's own objects; forms it owns are children too, but look after
    // themselves.
    std::vector<QObject*> pending(children().begin(), children().end());
    while (!pending.empty()) {
        QObject* object = pending.back();
        pending.pop_back();
        if (qobject_cast<Form*>(object))
            continue;
        if (auto* timer = qobject_cast<Timer*>(object))
            timer->SetEnabled(false);
        if (auto* control = qobject_cast<UserControl*>(object))
            control->BecomeInert();
        if (object->metaObject()->indexOfClassInfo(kRaisesEventsInfo) >= 0 && !object->signalsBlocked()) {
            object->blockSignals(true);
            silenced_.emplace_back(object);
        }
        pending.insert(pending.end(), object->children().begin(), object->children().end());
    }
}

bool Form::event(QEvent* event)
{
    // Qt hands a deferred deletion to a nested loop as well, also to the
    // DoEvents of a handler that Qt's own handling of this window called (a
    // change of the active window, which goes on using the window after
    // it): the form waits until that code has returned. The delivery of the
    // deletion is one level of code itself.
    if (event->type() == QEvent::DeferredDelete && CodeDepth() > 1) {
        destroyWhenIdle(this);
        return true;
    }
    return QWidget::event(event);
}

void Form::closeEvent(QCloseEvent* event)
{
    // Closing by the window's own means unloads the form, as the user asks.
    event->ignore();
    unload(vbFormControlMenu);
}

void Form::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (surface_)
        surface_->Resize();
    if (loaded_ && !unloading_)
        Form_Resize();
}

void Form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A borderless window has no frame to wait for.
    if (pendingFramePosition_ && !borderless_) {
        frameChecks_ = 0;
        QTimer::singleShot(0, this, &Form::settleFramePosition);
    }
}

void Form::paintEvent(QPaintEvent* event)
{
    if (!surface_)
        QWidget::paintEvent(event);
    QPainter painter(this);
    if (surface_)
        surface_->Paint(painter);
    if (drawnDialogFrame_)
        paintDialogEdge(painter);
}

void Form::paintDialogEdge(QPainter& painter) const
{
    // Outer ring: button face above and left, dark shadow below and right;
    // inner ring: highlight above and left, button shadow below and right.
    const QPalette& pal = palette();
    const QColor topLeft[kDialogEdgeWidth] = {pal.color(QPalette::Button), pal.color(QPalette::Light)};
    const QColor bottomRight[kDialogEdgeWidth] = {pal.color(QPalette::Shadow), pal.color(QPalette::Dark)};
    QRect r = rect();
    for (int ring = 0; ring < kDialogEdgeWidth; ++ring) {
        painter.setPen(topLeft[ring]);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight[ring]);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
}

void Form::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The window manager may end the full screen by its own means.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & Qt::WindowFullScreen) && !restoringPlacement_)
        placementBeforeFullScreen_.reset();
    if (event->type() == QEvent::WindowStateChange && loaded_ && !unloading_)
        Form_Resize();
}

}  // namespace platform
