#pragma once
// The embedded browser as the program's units see it: the members the main
// window and the toolbar use, and the events they handle: the page's status,
// title and completed documents, and what a page asks of the browser (a
// sign-in, a certificate problem, a permission, full screen, a dialog),
// each carrying a request that is answered through itself. The engine
// behind it is WebEngineBrowser; tests put a recording double in its place
// through SetBrowserFactory.
#include "platform/engine/PageRequests.h"

#include <QMetaMethod>
#include <QObject>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>

class QPrinter;
class QWidget;

namespace platform {

// Levels of Refresh2: as Refresh, or fetching everything again, past the cache.
inline constexpr int REFRESH_NORMAL = 0;
inline constexpr int REFRESH_COMPLETELY = 3;

class BrowserHost : public QObject {
    Q_OBJECT
    // Its events reach the program's code: an unloaded form silences them.
    Q_CLASSINFO("RaisesFormEvents", "true")
public:
    // One notch of the mouse wheel, in eighths of a degree.
    static constexpr int32_t kWheelNotch = 120;

    explicit BrowserHost(QObject* parent = nullptr);
    ~BrowserHost() override;

    // Opens the address as the user typed it.
    virtual void Navigate(const QString& URL) = 0;
    // The browser's own home page and search page.
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    // Move through the history; nothing happens at its ends.
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    // Stops loading; nothing happens when nothing loads.
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    virtual void Refresh2(int Level) = 0;
    // Tells a page that fills the screen to leave full screen.
    virtual void ExitFullScreen() = 0;
    // Whether the browser is loading a page.
    virtual bool Busy() const = 0;
    // The address of the page shown, as DocumentComplete names it: the page
    // that has replaced the one before on screen, loaded or still loading.
    virtual QString LocationURL() const = 0;

    // Asks the page whether it may be closed: a page holding something not
    // saved asks its leave question, raised as a PageDialog request of kind
    // Leave. CloseQueried follows once the page has answered. Asked again
    // before that, nothing more is asked.
    virtual void QueryClose() = 0;

    // Finds the text in the page, letter case ignored, and highlights every
    // match: the first match, then with the same text the next one (or the
    // previous one, backward), round the page. FindTextResult reports each
    // search. An empty text ends the search and clears the highlights.
    virtual void FindText(const QString& Text, bool Backward) = 0;

    // The page's zoom (1.0 is 100%), within the engine's range of 0.25 to 5.
    // The zoom set is remembered for the page's site, and each page opens
    // with its site's zoom, in this run and the next.
    virtual double ZoomFactor() const = 0;
    virtual void SetZoomFactor(double Factor) = 0;

    // Opens the system's print dialog for the page, owned by the browser's
    // window and without blocking it; printing reports its start and its end
    // or failure as status texts. Nothing happens while a print dialog is
    // open or a page is being printed.
    virtual void Print() = 0;

    // The widget that shows the pages, a child of the window that hosts it.
    virtual QWidget* Widget() const = 0;
    // Puts the keyboard focus on the page.
    void SetFocus();
    // Whether the keyboard focus is in the page. The page then has each key
    // before the browser: what it does not take comes back as
    // UnhandledKeyDown.
    bool HasFocus() const;

    // Size in twips. A negative size shows the browser with no area at all;
    // a size too large for the screen's coordinates raises error 6.
    float Width() const;
    float Height() const;
    virtual void SetWidth(float twips);
    virtual void SetHeight(float twips);

signals:
    // The status text changed; an empty text means the browser has none.
    void StatusTextChange(const QString& Text);
    // The page's title changed; an empty text means the page has no title.
    void TitleChange(const QString& Text);
    // A new document is about to load (a navigation started).
    void BeforeNavigate(const QString& URL);
    // A search of FindText ended: the match now selected (counted from 1; 0
    // when there is none) and how many the page holds.
    void FindTextResult(int ActiveMatch, int NumberOfMatches);
    // A document finished loading: pDisp is the browser object of the
    // document, URL its address.
    void DocumentComplete(QObject* pDisp, const QVariant& URL);
    // The page's answer to QueryClose: Leave is true when the page asked
    // nothing or the user chose to leave it, false when the user chose to
    // stay. Once the user has chosen to leave, the page's later doings
    // change nothing.
    void CloseQueried(bool Leave);

    // A key pressed with the focus in the page that the page did not take
    // (its keydown was not cancelled), after the page had it: key code and
    // shift state as in Form_KeyDown.
    void UnhandledKeyDown(int16_t KeyCode, int16_t Shift);
    // A turn of the mouse wheel with Ctrl held over the page that the page did
    // not take: shift state as in Form_KeyDown, Delta in eighths of a degree
    // (kWheelNotch a notch, positive away from the user).
    void UnhandledMouseWheel(int16_t Shift, int32_t Delta);

    // A page asks something of the browser; the request is answered through
    // itself, now or later, and is refused when nobody handles the event.
    void SignInRequested(platform::SignInRequest* Request);
    void CertificateProblem(platform::CertificateRequest* Request);
    void PermissionRequested(platform::PermissionRequest* Request);
    void FullScreenRequested(platform::FullScreenRequest* Request);
    void PageDialog(platform::PageDialogRequest* Request);

protected:
    // A navigation to the address committed: the address box offers it
    // again, in this run and the next. Failed loads, error pages and text
    // that is no address are never recorded.
    void RecordVisit(const QString& address);

    // Raises the event with the request, or refuses the request when nothing
    // handles the event (none is connected, or the form that handles it was
    // unloaded and silenced it): a page never waits for an answer nobody gives.
    template <class Request>
    void Ask(void (BrowserHost::*event)(Request*), Request* request)
    {
        if (isSignalConnected(QMetaMethod::fromSignal(event)) && !signalsBlocked())
            emit(this->*event)(request);
        else
            request->Refuse();
    }
};

// Creates the browser of a window: the engine, unless a test replaced it.
// The browser's widget is a child of `parent`, the browser object too.
BrowserHost* CreateBrowser(QWidget* parent);

using BrowserFactory = std::function<BrowserHost*(QWidget* parent)>;
// Replaces what CreateBrowser makes; an empty function restores the engine.
// Returns the previous factory.
BrowserFactory SetBrowserFactory(BrowserFactory factory);

// Takes the place of the print dialog: called with the printer the dialog
// would set up, it returns whether to print. Tests set it so that no dialog
// waits for a person; an empty function restores the dialog. Returns the
// previous hook.
using PrintDialogHook = std::function<bool(QPrinter& printer)>;
PrintDialogHook SetPrintDialogHook(PrintDialogHook hook);
PrintDialogHook CurrentPrintDialogHook();

}  // namespace platform
