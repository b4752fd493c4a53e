#include "platform/engine/WebEngineBrowser.h"

#include "platform/engine/BrowserPage.h"
#include "platform/engine/CertificateProblem.h"
#include "platform/engine/Downloads.h"
#include "platform/engine/Notifications.h"
#include "platform/engine/OwnPages.h"
#include "platform/engine/SiteZoom.h"
#include "platform/system/RecentStore.h"

#include <QDir>
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
#include <utility>

namespace platform {

namespace {
// Schemes the engine opens itself; others go to the engine only when a
// scheme or a handler was registered for them.
const QStringList kEngineSchemes = {
    QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file"),  QStringLiteral("qrc"),
    QStringLiteral("data"), QStringLiteral("about"), QStringLiteral("blob"), QStringLiteral("view-source"),
};

const QString kDone = QStringLiteral("Done");
const QString kStopped = QStringLiteral("Stopped");
const QString kPrinting = QStringLiteral("Printing...");
const QString kPrinted = QStringLiteral("Printing done");
const QString kPrintFailed = QStringLiteral("Printing failed");

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
    connect(page, &QWebEnginePage::loadProgress, this, &WebEngineBrowser::loadProgress);
    connect(page, &QWebEnginePage::titleChanged, this, &WebEngineBrowser::titleChanged);
    // A page's own print command (window.print()) opens the print dialog too.
    connect(view_, &QWebEngineView::printRequested, this, &WebEngineBrowser::Print);
    connect(view_, &QWebEngineView::printFinished, this, &WebEngineBrowser::printFinished);
    connect(view_, &QWebEngineView::pdfPrintingFinished, this,
            [this](const QString&, bool success) { printFinished(success); });
    // The zoom of sites that cannot be saved says so in the status text.
    connect(&SiteZoom::Store(), &RecentStore::writeFailed, this, &WebEngineBrowser::StatusTextChange);
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
    view_->setZoomFactor(factor);
    SiteZoom::SetFactor(view_->url(), factor);
}

void WebEngineBrowser::applySiteZoom(const QUrl& url)
{
    const double factor = SiteZoom::Factor(url);
    if (view_->zoomFactor() != factor)
        view_->setZoomFactor(factor);
}

void WebEngineBrowser::Print()
{
    if (printDialog_)
        return;
    // The dialog owns the printer; it stays, hidden, until the page is printed.
    auto* dialog = new QPrintDialog(view_->window());
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
        applySiteZoom(info.url());
        emit BeforeNavigate(loadingAddress_);
        emit StatusTextChange(QStringLiteral("Opening page %1...").arg(loadingAddress_));
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus: {
        const QString address = addressError_.isEmpty() ? AddressForPeople(view_->url()) : loadingAddress_;
        // A redirect may have ended on another site.
        applySiteZoom(view_->url());
        SiteZoom::Opened(view_->url());
        emit StatusTextChange(addressError_.isEmpty() ? kDone : addressError_);
        addressError_.clear();
        loadingAddress_.clear();
        // A page may carry its address as its title until its own title has
        // been read; ask again now that it has loaded.
        if (isAddressTitle(view_->page()->title()))
            resolveTitle(view_->page()->title());
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
    const QString explanation = unknownScheme
                                    ? QStringLiteral("Addresses of the type \"%1:\" cannot be opened.").arg(url.scheme())
                                    : QStringLiteral("The address is not valid.");
    addressError_ = QStringLiteral("Cannot open %1 (%2)").arg(address, reason);
    loadingAddress_ = address;
    view_->setHtml(errorPage(address, explanation), unknownScheme ? url : QUrl());
}

}  // namespace platform
