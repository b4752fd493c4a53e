#include "platform/Forms.h"

#include "platform/BenchLog.h"
#include "platform/Runtime.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QWindow>

#include <map>
#include <vector>

namespace platform {

namespace {
struct Registry {
    std::map<std::type_index, Form*> forms;
    FormRegistry::LastFormAction lastFormAction = [] { QCoreApplication::exit(0); };
};
Registry& registry()
{
    static Registry r;
    return r;
}
}  // namespace

// ---- the registry ----

Form* FormRegistry::find(std::type_index type)
{
    const auto it = registry().forms.find(type);
    return it == registry().forms.end() ? nullptr : it->second;
}

void FormRegistry::add(std::type_index type, Form* form)
{
    registry().forms[type] = form;
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

void FormRegistry::load(Form* form)
{
    // The form counts as loaded from here on, so that a reference to it from
    // inside its own Form_Load finds this instance.
    form->loaded_ = true;
    form->Form_Load();
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
    FormRegistry::remove(this);
}

float Form::Left() const { return float(TwipsX(frameGeometry().x())); }
float Form::Top() const { return float(TwipsY(frameGeometry().y())); }
float Form::Width() const { return float(TwipsX(width())) + designFrameWidth_; }
float Form::Height() const { return float(TwipsY(height())) + designFrameHeight_; }
float Form::ScaleWidth() const { return float(TwipsX(width())); }
float Form::ScaleHeight() const { return float(TwipsY(height())); }

void Form::SetLeft(float twips) { move(PixelsX(twips), frameGeometry().y()); }
void Form::SetTop(float twips) { move(frameGeometry().x(), PixelsY(twips)); }
void Form::SetWidth(float twips) { resize(std::max(0, PixelsX(twips - designFrameWidth_)), height()); }
void Form::SetHeight(float twips) { resize(width(), std::max(0, PixelsY(twips - designFrameHeight_))); }

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
    setWindowFlag(Qt::FramelessWindowHint, on);
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
    applyOwner(owner);
    if (modal == vbModal) {
        setWindowModality(Qt::ApplicationModal);
        show();
        activate();
        QEventLoop loop;
        modalLoop_ = &loop;
        QPointer<Form> self(this);
        loop.exec(QEventLoop::DialogExec);
        if (self)
            self->modalLoop_ = nullptr;
        return;
    }
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

void Form::Hide()
{
    hide();
    if (modalLoop_)
        modalLoop_->quit();
}

void Form::Unload()
{
    if (unloading_ || !loaded_)
        return;
    unloading_ = true;
    int16_t cancel = 0;
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
    if (modalLoop_)
        modalLoop_->quit();
    hide();
    FormRegistry::remove(this);
    deleteLater();
    if (FormRegistry::LoadedCount() == 0 && registry().lastFormAction)
        registry().lastFormAction();
    if (failure)
        std::rethrow_exception(failure);
}

void Form::closeEvent(QCloseEvent* event)
{
    // Closing by the window's own means unloads the form.
    event->ignore();
    Unload();
}

void Form::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (loaded_ && !unloading_)
        Form_Resize();
}

void Form::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && loaded_ && !unloading_)
        Form_Resize();
}

}  // namespace platform
