#pragma once
// A browser host that records what the program asks of it, in order, and lets
// a test raise its events (a page's requests included), set Busy and make a
// chosen call fail. Its widget stands for the page: it has keys and wheel
// turns first and hands on what it does not take, as the engine does.
#include "platform/engine/BrowserHost.h"
#include "platform/system/AppError.h"
#include "platform/system/CodeDepth.h"

#include <QInputEvent>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <utility>

namespace skwtest {

class RecordingBrowser : public platform::BrowserHost {
    Q_OBJECT
public:
    explicit RecordingBrowser(QWidget* parent);

    // Calls as "Navigate <url>", "GoHome", "GoSearch", "GoBack", "GoForward",
    // "Stop", "Refresh", "Refresh2 <level>", "ExitFullScreen", "FindText <text>"
    // (or "FindText <text> backward"), "SetZoomFactor <factor>", "Print",
    // "Width <twips>", "Height <twips>". Busy and ZoomFactor are not recorded.
    QStringList Calls;
    // Runs at every recorded call, after it is recorded.
    std::function<void(const QString& call)> OnCall;
    // The key presses and wheel turns the page takes; the others come back
    // as UnhandledKeyDown and (with Ctrl) UnhandledMouseWheel. Unset, the
    // page takes none.
    std::function<bool(const QInputEvent& event)> PageTakes;

    void SetBusy(bool busy) { busy_ = busy; }
    // The next calls whose name ("Navigate", "Width", ...) is `name` raise
    // error `number` after they are recorded.
    void FailOn(const QString& name, int32_t number = platform::errInvalidProcedureCall);

    // The events, raised as the engine raises them: from an event it
    // delivers, so that the program's code counts as running meanwhile.
    void RaiseStatusTextChange(const QString& text)
    {
        platform::CodeScope scope;
        emit StatusTextChange(text);
    }
    void RaiseTitleChange(const QString& text)
    {
        platform::CodeScope scope;
        emit TitleChange(text);
    }
    // A document completes as a navigation that committed: a visit.
    void RaiseDocumentComplete(const QString& url)
    {
        platform::CodeScope scope;
        RecordVisit(url);
        location_ = url;
        emit DocumentComplete(this, QVariant(url));
    }
    // A page's request, owned by this browser; refused when nothing handles
    // the event, as the engine's are.
    template <class Request, class... Args>
    Request* RaiseRequest(void (BrowserHost::*event)(Request*), Args&&... args)
    {
        platform::CodeScope scope;
        auto* request = new Request(std::forward<Args>(args)..., this);
        Ask(event, request);
        return request;
    }
    // The same, as a page that cannot go on without the answer: waits for it
    // in a nested loop, as the engine's page does. Null when it was gone by
    // then.
    template <class Request, class... Args>
    QPointer<Request> RaiseRequestAndWait(void (BrowserHost::*event)(Request*), Args&&... args)
    {
        platform::CodeScope scope;
        QPointer<Request> request = RaiseRequest(event, std::forward<Args>(args)...);
        if (request)
            platform::WaitForAnswer(request);
        return request;
    }
    void RaiseBeforeNavigate(const QString& url)
    {
        platform::CodeScope scope;
        emit BeforeNavigate(url);
    }
    void RaiseFindTextResult(int active, int count)
    {
        platform::CodeScope scope;
        emit FindTextResult(active, count);
    }

    void Navigate(const QString& URL) override { record(QStringLiteral("Navigate"), URL); }
    void GoHome() override { record(QStringLiteral("GoHome")); }
    void GoSearch() override { record(QStringLiteral("GoSearch")); }
    void GoBack() override { record(QStringLiteral("GoBack")); }
    void GoForward() override { record(QStringLiteral("GoForward")); }
    void Stop() override { record(QStringLiteral("Stop")); }
    void Refresh() override { record(QStringLiteral("Refresh")); }
    void ExitFullScreen() override { record(QStringLiteral("ExitFullScreen")); }
    void Refresh2(int Level) override { record(QStringLiteral("Refresh2"), QString::number(Level)); }
    bool Busy() const override { return busy_; }
    // The address of the last RaiseDocumentComplete.
    QString LocationURL() const override { return location_; }
    void FindText(const QString& Text, bool Backward) override
    {
        record(QStringLiteral("FindText"), Backward ? Text + QStringLiteral(" backward") : Text);
    }
    double ZoomFactor() const override { return zoom_; }
    void SetZoomFactor(double Factor) override;
    void Print() override { record(QStringLiteral("Print")); }
    // Recorded as "QueryClose". Without LeaveQuestionFrom the page lets the
    // window close at once; with it, the page asks its leave question from
    // that origin and CloseQueried follows the answer.
    void QueryClose() override;
    QString LeaveQuestionFrom;
    QWidget* Widget() const override { return widget_; }
    void SetWidth(float twips) override;
    void SetHeight(float twips) override;

    // Makes every browser the program creates a RecordingBrowser, passed to
    // `setUp` as it is made; Last() is the most recent one. Uninstall()
    // restores the engine.
    static void Install(std::function<void(RecordingBrowser*)> setUp = {});
    static void Uninstall();
    static RecordingBrowser* Last();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void record(const QString& name, const QString& argument = QString());

    QWidget* widget_;
    QPointer<platform::PageDialogRequest> leaveQuestion_;
    bool busy_ = false;
    double zoom_ = 1.0;
    QString location_;
    QString failName_;
    int32_t failNumber_ = 0;
};

}  // namespace skwtest
