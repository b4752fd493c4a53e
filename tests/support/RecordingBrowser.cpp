#include "RecordingBrowser.h"

#include "platform/system/Application.h"

#include <QKeyEvent>
#include <QPointer>
#include <QWheelEvent>

#include <algorithm>

namespace skwtest {

namespace {
QPointer<RecordingBrowser>& last()
{
    static QPointer<RecordingBrowser> browser;
    return browser;
}
}  // namespace

RecordingBrowser::RecordingBrowser(QWidget* parent) : BrowserHost(parent), widget_(new QWidget(parent))
{
    // Like a page, it takes the focus.
    widget_->setFocusPolicy(Qt::StrongFocus);
    widget_->installEventFilter(this);
}

bool RecordingBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != widget_ || (event->type() != QEvent::KeyPress && event->type() != QEvent::Wheel))
        return false;
    if (PageTakes && PageTakes(static_cast<const QInputEvent&>(*event)))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (const int16_t keyCode = platform::VbKeyCode(key))
            emit UnhandledKeyDown(keyCode, platform::VbShiftState(key.modifiers()));
    } else {
        const auto& wheel = static_cast<const QWheelEvent&>(*event);
        if (wheel.modifiers() & Qt::ControlModifier)
            emit UnhandledMouseWheel(platform::VbShiftState(wheel.modifiers()), wheel.angleDelta().y());
    }
    return true;
}

void RecordingBrowser::FailOn(const QString& name, int32_t number)
{
    failName_ = name;
    failNumber_ = number;
}

void RecordingBrowser::SetZoomFactor(double Factor)
{
    record(QStringLiteral("SetZoomFactor"), QString::number(Factor));
    zoom_ = std::clamp(Factor, 0.25, 5.0);
}

void RecordingBrowser::QueryClose()
{
    record(QStringLiteral("QueryClose"));
    platform::CodeScope scope;
    if (LeaveQuestionFrom.isEmpty()) {
        emit CloseQueried(true);
        return;
    }
    if (leaveQuestion_ && leaveQuestion_->IsOpen())
        return;
    auto* request = RaiseRequest(&BrowserHost::PageDialog, LeaveQuestionFrom, platform::PageDialogRequest::Leave,
                                 QStringLiteral("Leave this page?"), QString(), 1);
    leaveQuestion_ = request;
    const auto answered = [this, request] {
        emit CloseQueried(!request->IsAnswered() || request->Accepted() || request->Stopped());
    };
    if (!request->IsOpen()) {
        answered();
        return;
    }
    connect(request, &platform::PageRequest::Answered, this, answered);
    connect(request, &platform::PageRequest::Withdrawn, this, answered);
}

void RecordingBrowser::SetWidth(float twips)
{
    record(QStringLiteral("Width"), QString::number(twips));
    BrowserHost::SetWidth(twips);
}

void RecordingBrowser::SetHeight(float twips)
{
    record(QStringLiteral("Height"), QString::number(twips));
    BrowserHost::SetHeight(twips);
}

void RecordingBrowser::record(const QString& name, const QString& argument)
{
    const QString call = argument.isNull() ? name : name + u' ' + argument;
    Calls << call;
    if (OnCall)
        OnCall(call);
    if (name == failName_)
        platform::Raise(failNumber_);
}

void RecordingBrowser::Install(std::function<void(RecordingBrowser*)> setUp)
{
    platform::SetBrowserFactory([setUp](QWidget* parent) -> platform::BrowserHost* {
        auto* browser = new RecordingBrowser(parent);
        last() = browser;
        if (setUp)
            setUp(browser);
        return browser;
    });
}

void RecordingBrowser::Uninstall()
{
    platform::SetBrowserFactory({});
    last() = nullptr;
}

RecordingBrowser* RecordingBrowser::Last()
{
    return last();
}

}  // namespace skwtest
