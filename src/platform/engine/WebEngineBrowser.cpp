#include "platform/engine/WebEngineBrowser.h"

#include "platform/engine/BrowserPage.h"
#include "platform/engine/CertificateProblem.h"
#include "platform/engine/Downloads.h"
#include "platform/engine/Notifications.h"
#include "platform/engine/OwnPages.h"
#include "platform/engine/SiteZoom.h"
#include "platform/system/Application.h"
#include "platform/system/RecentStore.h"

#include <QDir>
#include <QKeyEvent>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QWebEngineFindTextResult>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlScheme>
#include <QWebEngineView>

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {

namespace {
// Schemes the engine opens itself; others go to the engine only when a
// scheme or a handler was registered for them.
const QStringList kEngineSchemes = {
    QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file"), QStringLiteral("qrc"),
    QStringLiteral("data"), QStringLiteral("about"), QStringLiteral("blob"), QStringLiteral("view-source"),
};

const QString kDone = QStringLiteral("Done");
const QString kStopped = QStringLiteral("Stopped");
const QString kPrinting = QStringLiteral("Printing...");
const QString kPrinted = QStringLiteral("Printing done");
const QString kPrintFailed = QStringLiteral("Printing failed");

// The engine's own zoom step for a Ctrl+wheel notch.
constexpr double kEngineZoomStep = 0.1;
// Zoom factors this close are the same.
constexpr double kZoomTolerance = 0.001;
// How often, and how long after a Ctrl+wheel turn went to the page, the
// engine's own zoom step is looked for.
constexpr int kZoomCheckIntervalMs = 20;
constexpr int kZoomChecks = 250;

QString shortReason(const QString& errorString)
{
    QString reason = errorString;
    reason.remove(QStringLiteral("net::"));
    return reason;
}

QString errorPage(const QString& address, const QString& reason)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Cannot open page</title></head>"
                          "<body style=\"font-family: sans-serif; margin: 2em\">"
                          "<h2>This page cannot be opened</h2><p><code>%1</code></p><p>%2</p></body></html>")
        .arg(address.toHtmlEscaped(), reason.toHtmlEscaped());
}

// The page's title as the name of the printed document: one file name, safe
// to use. The print dialog offers it for "Print to File" and takes what
// follows its last dot for an extension to drop, so it ends in ".pdf".
QString printDocumentName(const QString& title)
{
    QString name = title.simplified();
    name.replace(u'/', u'-').replace(u'\\', u'-');
    if (name.isEmpty())
        name = QStringLiteral("page");
    return Downloads::safeFileName(name + QStringLiteral(".pdf"));
}
}  // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent) : BrowserHost(parent), view_(new QWebEngineView(parent))
{
    // The page lives on the persistent profile, opens new-window requests in
    // this view and stands in an error page for a lost render process.
    auto* page = new BrowserPage(view_);
    view_->setPage(page);
    connect(page, &BrowserPage::renderProcessLost, this, &WebEngineBrowser::pageLost);
    // Downloads report their progress and outcome as status texts.
    auto* downloads = new Downloads(page->profile(), this);
    connect(downloads, &Downloads::statusText, this, &WebEngineBrowser::StatusTextChange);

    // What the page asks of the browser goes to the program.
    connect(page, &BrowserPage::signInRequest, this,
            [this](SignInRequest* request) { Ask(&BrowserHost::SignInRequested, request); });
    connect(page, &BrowserPage::certificateRequest, this,
            [this](CertificateRequest* request) { Ask(&BrowserHost::CertificateProblem, request); });
    connect(page, &BrowserPage::permissionRequest, this,
            [this](PermissionRequest* request) { Ask(&BrowserHost::PermissionRequested, request); });
    connect(page, &BrowserPage::fullScreenRequest, this,
            [this](FullScreenRequest* request) { Ask(&BrowserHost::FullScreenRequested, request); });
    connect(page, &BrowserPage::dialogRequest, this,
            [this](PageDialogRequest* request) { Ask(&BrowserHost::PageDialog, request); });
    connect(page, &BrowserPage::certificateRefused, this, &WebEngineBrowser::certificateRefused);
    connect(page, &BrowserPage::closeQueried, this, &WebEngineBrowser::CloseQueried);
    // The pages' notifications go to the desktop; without a notification
    // service their titles show as status texts.
    auto* notifications = new Notifications(this);
    notifications->install(page->profile());
    connect(notifications, &Notifications::unshown, this, &WebEngineBrowser::StatusTextChange);
    connect(notifications, &Notifications::clicked, this, &WebEngineBrowser::bringForward);

    connect(page, &QWebEnginePage::linkHovered, this,
            [this](const QString& url) { emit StatusTextChange(url.isEmpty() ? url : AddressForPeople(QUrl(url))); });
    connect(page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::loadingChanged);
    // The address changes when a navigation commits: its page replaces the
    // one shown.
    connect(page, &QWebEnginePage::urlChanged, this, &WebEngineBrowser::pageCommitted);
    connect(page, &QWebEnginePage::loadProgress, this, &WebEngineBrowser::loadProgress);
    connect(page, &QWebEnginePage::titleChanged, this, &WebEngineBrowser::titleChanged);
    // A page's own print command (window.print()) opens the print dialog too.
    connect(view_, &QWebEngineView::printRequested, this, &WebEngineBrowser::Print);
    connect(view_, &QWebEngineView::printFinished, this, &WebEngineBrowser::printFinished);
    connect(view_, &QWebEngineView::pdfPrintingFinished, this,
            [this](const QString&, bool success) { printFinished(success); });
    // The zoom of sites that cannot be saved says so in the status text.
    connect(&SiteZoom::Store(), &RecentStore::writeFailed, this, &WebEngineBrowser::StatusTextChange);
    // The page has keys and wheel turns first. The engine hands a key the
    // page did not take to the view's parent; a Ctrl+wheel turn it did not
    // take zooms in the engine's own steps (see checkEngineZoom). The view's
    // children, the widgets that show its pages, come and go with the
    // page's processes.
    parent->installEventFilter(this);
    view_->installEventFilter(this);
    for (QWidget* child : view_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->installEventFilter(this);
    zoomWatch_.setInterval(kZoomCheckIntervalMs);
    connect(&zoomWatch_, &QTimer::timeout, this, &WebEngineBrowser::checkEngineZoom);
    // The engine starts a page's render process when the page is first used.
    // Using it now, with an empty script in its initial empty document, has
    // the process start while the rest of the program's windows are built,
    // and the first navigation finds it ready. Nothing loads and no load
    // events come of it.
    page->runJavaScript(QString());
}

void WebEngineBrowser::Navigate(const QString& URL)
{
    const QUrl url = EngineUrl(QUrl::fromUserInput(URL, QDir::currentPath()));
    if (!url.isValid() || !engineLoads(url)) {
        showAddressError(URL, url);
        return;
    }
    addressError_.clear();
    view_->load(url);
}

void WebEngineBrowser::GoHome()
{
    addressError_.clear();
    view_->load(EngineUrl(QUrl(QString::fromLatin1(HomePageAddress))));
}

void WebEngineBrowser::GoSearch()
{
    addressError_.clear();
    view_->load(EngineUrl(QUrl(QString::fromLatin1(SearchPageAddress))));
}

void WebEngineBrowser::GoBack()
{
    addressError_.clear();
    view_->back();
}

void WebEngineBrowser::GoForward()
{
    addressError_.clear();
    view_->forward();
}

void WebEngineBrowser::Stop()
{
    if (view_->page()->isLoading())
        view_->stop();
}

void WebEngineBrowser::Refresh()
{
    Refresh2(REFRESH_NORMAL);
}

void WebEngineBrowser::Refresh2(int Level)
{
    addressError_.clear();
    view_->triggerPageAction(Level >= REFRESH_COMPLETELY ? QWebEnginePage::ReloadAndBypassCache
                                                         : QWebEnginePage::Reload);
}

void WebEngineBrowser::ExitFullScreen()
{
    view_->page()->triggerAction(QWebEnginePage::ExitFullScreen);
}

bool WebEngineBrowser::Busy() const
{
    return view_->page()->isLoading();
}

QString WebEngineBrowser::LocationURL() const
{
    return shownAddress_;
}

bool WebEngineBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_) {
        if (event->type() == QEvent::ChildAdded) {
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        return false;
    }
    if (watched == view_->parentWidget()) {
        // With the focus in the page, a key reaches the parent only from the
        // engine, which hands on what the page left.
        if (event->type() != QEvent::KeyPress || !HasFocus())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const int16_t keyCode = VbKeyCode(*key);
        if (keyCode == 0)
            return false;
        emit UnhandledKeyDown(keyCode, VbShiftState(key->modifiers()));
        return true;
    }
    if (watched->parent() != view_)
        return false;
    if (event->type() == QEvent::KeyPress) {
        // Workaround: the engine gives a key that comes with a text to the
        // page as typed text too, and never hands back Escape (whose text is
        // "\x1b") or a key with Alt held when it comes so. These type
        // nothing: the page gets them without their text, still named as
        // they are.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool typesNothing = key->key() == Qt::Key_Escape || key->modifiers().testFlag(Qt::AltModifier);
        if (typesNothing && !key->text().isEmpty()) {
            QKeyEvent withoutText(QEvent::KeyPress, key->key(), key->modifiers(), key->nativeScanCode(),
                                  key->nativeVirtualKey(), key->nativeModifiers(), QString(), key->isAutoRepeat(),
                                  key->count());
            static_cast<QObject*>(watched)->event(&withoutText);
            return true;
        }
    } else if (event->type() == QEvent::Wheel) {
        const Qt::KeyboardModifiers modifiers = static_cast<QWheelEvent*>(event)->modifiers();
        if (modifiers & Qt::ControlModifier)
            watchEngineZoom(modifiers);
    }
    return false;
}

void WebEngineBrowser::QueryClose()
{
    if (auto* page = qobject_cast<BrowserPage*>(view_->page()))
        page->queryClose();
    else
        emit CloseQueried(true);
}

QWidget* WebEngineBrowser::Widget() const
{
    return view_;
}

void WebEngineBrowser::FindText(const QString& Text, bool Backward)
{
    const quint64 generation = ++findGeneration_;
    if (Text.isEmpty()) {
        view_->page()->findText(QString());
        return;
    }
    QPointer<WebEngineBrowser> self(this);
    const QWebEnginePage::FindFlags flags = Backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags();
    view_->page()->findText(Text, flags, [self, generation](const QWebEngineFindTextResult& result) {
        if (!self || self->findGeneration_ != generation)
            return;
        emit self->FindTextResult(result.activeMatch(), result.numberOfMatches());
    });
}

double WebEngineBrowser::ZoomFactor() const
{
    return view_->zoomFactor();
}

void WebEngineBrowser::SetZoomFactor(double Factor)
{
    const double factor = std::clamp(Factor, SiteZoom::kMinimum, SiteZoom::kMaximum);
    setZoom(factor);
    // The site of the page shown: a navigation still on its way has not
    // replaced it.
    SiteZoom::SetFactor(view_->url(), factor);
}

void WebEngineBrowser::applySiteZoom(const QUrl& url)
{
    const double factor = SiteZoom::Factor(url);
    if (std::abs(view_->zoomFactor() - factor) >= kZoomTolerance)
        setZoom(factor);
}

void WebEngineBrowser::setZoom(double factor)
{
    view_->setZoomFactor(factor);
    zoom_ = view_->zoomFactor();
}

void WebEngineBrowser::watchEngineZoom(Qt::KeyboardModifiers modifiers)
{
    zoomWheelModifiers_ = modifiers;
    zoomChecksLeft_ = kZoomChecks;
    zoomWatch_.start();
}

// The engine zooms the page by its own step on each Ctrl+wheel notch the page
// did not take, and says nothing of it. The browser looks for that change
// for a while after such a turn, takes it back, and passes the turn on as
// the page left it, for the program's own zoom steps and its memory of
// sites.
void WebEngineBrowser::checkEngineZoom()
{
    const double engineZoom = view_->zoomFactor();
    if (std::abs(engineZoom - zoom_) >= kZoomTolerance) {
        const long notches = std::lround((engineZoom - zoom_) / kEngineZoomStep);
        view_->setZoomFactor(zoom_);
        if (notches != 0)
            emit UnhandledMouseWheel(VbShiftState(zoomWheelModifiers_), int32_t(notches * kWheelNotch));
    }
    if (--zoomChecksLeft_ <= 0)
        zoomWatch_.stop();
}

void WebEngineBrowser::Print()
{
    if (printDialog_)
        return;
    // The dialog stays, hidden, until the page is printed; the printer, named
    // after the page, goes with it.
    auto* printer = new QPrinter();
    printer->setDocName(printDocumentName(view_->title()));
    auto* dialog = new QPrintDialog(printer, view_->window());
    connect(dialog, &QObject::destroyed, [printer] { delete printer; });
    printDialog_ = dialog;
    if (const PrintDialogHook hook = CurrentPrintDialogHook()) {
        if (hook(*dialog->printer()))
            startPrinting();
        else
            dialog->deleteLater();
        return;
    }
    connect(dialog, &QDialog::finished, this, [this, dialog](int result) {
        if (result == QDialog::Accepted && dialog == printDialog_)
            startPrinting();
        else
            dialog->deleteLater();
    });
    dialog->open();
}

void WebEngineBrowser::startPrinting()
{
    emit StatusTextChange(kPrinting);
    QPrinter* printer = printDialog_->printer();
    // Printed to a PDF file, the engine writes the file itself, with the
    // page's text as text; a printer gets the pages as pictures.
    if (printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty())
        view_->printToPdf(printer->outputFileName(), printer->pageLayout(), printer->pageRanges());
    else
        view_->print(printer);
}

void WebEngineBrowser::printFinished(bool success)
{
    if (printDialog_)
        printDialog_->deleteLater();
    emit StatusTextChange(success ? kPrinted : kPrintFailed);
}

void WebEngineBrowser::loadingChanged(const QWebEngineLoadingInfo& info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        // The browser's own error page loads from a data address; the texts
        // name the address the user asked for.
        if (addressError_.isEmpty())
            loadingAddress_ = AddressForPeople(info.url());
        // A zoom step of the engine's from now on would be a page's being
        // replaced, not a wheel turn.
        zoomWatch_.stop();
        emit BeforeNavigate(loadingAddress_);
        emit StatusTextChange(QStringLiteral("Opening page %1...").arg(loadingAddress_));
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus: {
        const QString address = addressError_.isEmpty() ? AddressForPeople(view_->url()) : loadingAddress_;
        // The page asked for, not one of the error pages that stand in for it.
        const bool visited = addressError_.isEmpty() && !info.isErrorPage();
        SiteZoom::Opened(view_->url());
        emit StatusTextChange(addressError_.isEmpty() ? kDone : addressError_);
        addressError_.clear();
        loadingAddress_.clear();
        // A page may carry its address as its title until its own title has
        // been read; ask again now that it has loaded.
        if (isAddressTitle(view_->page()->title()))
            resolveTitle(view_->page()->title());
        if (visited)
            RecordVisit(address);
        emit DocumentComplete(this, QVariant(address));
        break;
    }
    case QWebEngineLoadingInfo::LoadFailedStatus: {
        // A refused certificate: the page says so instead of the engine's.
        if (!refusedCertificate_.url.isEmpty()) {
            showCertificateError();
            break;
        }
        // The engine shows its own error page for the address.
        const QString address = AddressForPeople(info.url());
        emit StatusTextChange(QStringLiteral("Cannot open %1 (%2)").arg(address, shortReason(info.errorString())));
        // A load cut off by a lost page process is followed by the error page,
        // which still names the lost address.
        if (addressError_.isEmpty())
            loadingAddress_.clear();
        emit DocumentComplete(this, QVariant(address));
        break;
    }
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        emit StatusTextChange(kStopped);
        loadingAddress_.clear();
        break;
    }
}

void WebEngineBrowser::pageCommitted(const QUrl& url)
{
    // The page shown now is that of the address: it has its site's zoom
    // (after a redirect, the site it ended on). A navigation that is
    // stopped, fails before it commits or turns into a download leaves the
    // page shown and its zoom as they were.
    shownAddress_ = addressError_.isEmpty() ? AddressForPeople(url) : loadingAddress_;
    applySiteZoom(url);
}

void WebEngineBrowser::pageLost(const QString& text)
{
    // The error page that stands in for the lost page ends its load with this
    // text rather than "Done", and under the lost page's address.
    addressError_ = text;
    const QUrl lost = view_->url().isEmpty() ? view_->page()->requestedUrl() : view_->url();
    loadingAddress_ = AddressForPeople(lost);
    emit StatusTextChange(text);
}

void WebEngineBrowser::loadProgress(int percent)
{
    if (percent <= 0 || percent >= 100 || loadingAddress_.isEmpty())
        return;
    emit StatusTextChange(QStringLiteral("Opening page %1 (%2%)...").arg(loadingAddress_).arg(percent));
}

void WebEngineBrowser::titleChanged(const QString& title)
{
    ++titleGeneration_;
    if (isAddressTitle(title))
        resolveTitle(title);
    else
        emit TitleChange(title);
}

// The engine reports the address or the file name as the title of a page
// that has none; the document itself tells whether the title is its own.
void WebEngineBrowser::resolveTitle(const QString& title)
{
    const quint64 generation = titleGeneration_;
    QPointer<WebEngineBrowser> self(this);
    view_->page()->runJavaScript(QStringLiteral("document.title"), [self, generation, title](const QVariant& result) {
        if (!self || self->titleGeneration_ != generation)
            return;
        const QString own = result.toString();
        emit self->TitleChange(own == title ? title : QString());
    });
}

bool WebEngineBrowser::isAddressTitle(const QString& title) const
{
    if (title.isEmpty())
        return false;
    const QUrl url = view_->url();
    return title == url.toString() || title == url.toDisplayString() || title == url.fileName()
           || title == url.toString(QUrl::RemoveScheme).mid(2)
           || title == url.toDisplayString(QUrl::RemoveScheme | QUrl::StripTrailingSlash).mid(2);
}

bool WebEngineBrowser::engineLoads(const QUrl& url) const
{
    const QString scheme = url.scheme().toLower();
    if (kEngineSchemes.contains(scheme))
        return true;
    const QByteArray name = scheme.toLatin1();
    return QWebEngineUrlScheme::schemeByName(name).name() == name
           || view_->page()->profile()->urlSchemeHandler(name) != nullptr;
}

void WebEngineBrowser::certificateRefused(const QUrl& url, const QString& host, const QString& problem)
{
    refusedCertificate_ = {url, host, problem};
}

void WebEngineBrowser::showCertificateError()
{
    const RefusedCertificate refused = std::exchange(refusedCertificate_, {});
    const QString address = refused.url.toString();
    addressError_ = NotSecureText(refused.host, refused.problem);
    loadingAddress_ = address;
    emit StatusTextChange(addressError_);
    view_->setHtml(CertificateErrorPage(refused.host, refused.problem, address), refused.url);
}

void WebEngineBrowser::bringForward()
{
    QWidget* window = view_->window();
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

void WebEngineBrowser::showAddressError(const QString& address, const QUrl& url)
{
    const bool unknownScheme = url.isValid() && !url.scheme().isEmpty();
    const QString reason = unknownScheme ? QStringLiteral("unknown address type") : QStringLiteral("invalid address");
    const QString explanation =
        unknownScheme ? QStringLiteral("Addresses of the type \"%1:\" cannot be opened.").arg(url.scheme())
                      : QStringLiteral("The address is not valid.");
    addressError_ = QStringLiteral("Cannot open %1 (%2)").arg(address, reason);
    loadingAddress_ = address;
    view_->setHtml(errorPage(address, explanation), unknownScheme ? url : QUrl());
}

}  // namespace platform
