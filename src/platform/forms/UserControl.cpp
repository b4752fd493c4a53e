#include "platform/forms/UserControl.h"

#include "platform/pointer/PointerTracker.h"
#include "platform/system/Runtime.h"

#include <QAccessible>
#include <QPainter>
#include <QPointer>
#include <QWindow>

namespace platform {

namespace {
// HIMETRIC (0.01 mm) to twips.
constexpr double kTwipsPerHimetric = 1440.0 / 2540.0;
}  // namespace

UserControl::UserControl(QWidget* parent, const QString& name, float designWidth, float designHeight)
    : QWidget(parent), surface_(this)
{
    extender_.Name = name;
    setObjectName(name);
    // Start following the pointer before any window of the host is shown.
    PointerTracker::Instance();
    resize(PixelsX(designWidth), PixelsY(designHeight));
}

void UserControl::SetFocus()
{
    QWidget* target = this;
    if (!(focusPolicy() & Qt::TabFocus)) {
        for (QWidget* child : findChildren<QWidget*>()) {
            if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled()) {
                target = child;
                break;
            }
        }
    }
    window()->raise();
    if (QWindow* handle = window()->windowHandle())
        handle->requestActivate();
    target->setFocus(Qt::OtherFocusReason);
}

float UserControl::Width() const
{
    return float(TwipsX(width()));
}
float UserControl::Height() const
{
    return float(TwipsY(height()));
}

void UserControl::SetWidth(float twips)
{
    resize(std::max(0, PixelsX(twips)), height());
    sizeChanged();
}

void UserControl::SetHeight(float twips)
{
    resize(width(), std::max(0, PixelsY(twips)));
    sizeChanged();
}

void UserControl::Move(float left, float top, float width, float height)
{
    SetTwipsGeometry(this, left, top, width, height);
    sizeChanged();
}

void UserControl::InitNew()
{
    ambient_.UserMode = false;
    UserControl_InitProperties();
}

void UserControl::Load(const PropertyBag& bag)
{
    ambient_.UserMode = true;
    if (bag.Contains(QStringLiteral("_extentx")) && bag.Contains(QStringLiteral("_extenty"))) {
        const double w = bag.ReadProperty(QStringLiteral("_extentx"), 0).ToLong() * kTwipsPerHimetric;
        const double h = bag.ReadProperty(QStringLiteral("_extenty"), 0).ToLong() * kTwipsPerHimetric;
        resize(PixelsX(w), PixelsY(h));
    }
    UserControl_ReadProperties(bag);
    // A loaded control is sized after its properties are read.
    sizeChanged();
}

void UserControl::SetBackColor(OLE_COLOR color)
{
    surface_.SetBackColor(color);
    surface_.Cls();
}

void UserControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    surface_.Paint(painter);
}

void UserControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    sizeChanged();
}

void UserControl::BecomeInert()
{
    inert_ = true;
    surface_.SetInert();
}

void UserControl::DoAccessibleAction()
{
    QMetaObject::invokeMethod(
        this,
        [control = QPointer<UserControl>(this)] {
            if (control && !control->inert_)
                control->UserControl_AccessibleAction();
        },
        Qt::QueuedConnection);
}

void UserControl::AnnounceNameChange()
{
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void UserControl::AnnounceEnabledChange()
{
    QAccessible::State changed;
    changed.disabled = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void UserControl::sizeChanged()
{
    if (inert_ || size() == handledSize_)
        return;
    handledSize_ = size();
    UserControl_Resize();
}

}  // namespace platform
