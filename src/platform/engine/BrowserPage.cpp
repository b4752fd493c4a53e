#include "platform/engine/BrowserPage.h"

#include "platform/engine/EngineProfile.h"

#include <QTimer>

namespace platform {

namespace {
QString errorPage(const QString& text, const QUrl& lost)
{
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
               "<body style=\"font-family:sans-serif;margin:2em\"><h2>%1</h2><p>%2</p>"
               "<p>Refresh loads it again.</p></body></html>")
        .arg(text.toHtmlEscaped(), lost.toDisplayString().toHtmlEscaped());
}

// A page that lives only until its first navigation, which it hands to the
// page that opened it instead of loading it: the new window's content goes to
// the one browser the shell has.
class NewWindowPage : public QWebEnginePage {
public:
    NewWindowPage(QWebEngineProfile* profile, QWebEnginePage* target)
        : QWebEnginePage(profile, target), target_(target)
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override
    {
        if (!isMainFrame)
            return false;
        if (target_ && !url.isEmpty() && url != QUrl(QStringLiteral("about:blank")))
            target_->setUrl(url);
        deleteLater();
        return false;
    }

private:
    QPointer<QWebEnginePage> target_;
};
}  // namespace

BrowserPage::BrowserPage(QObject* parent) : BrowserPage(EngineProfile::instance(), parent) {}

BrowserPage::BrowserPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent)
{
    connect(this, &QWebEnginePage::renderProcessTerminated, this, &BrowserPage::onRenderProcessTerminated);
    connect(this, &QWebEnginePage::loadStarted, this, &BrowserPage::onLoadStarted);
}

QString BrowserPage::crashedText() { return tr("The page stopped working (its process crashed)."); }
QString BrowserPage::killedText() { return tr("The page stopped working (its process was ended)."); }

QWebEnginePage* BrowserPage::createWindow(WebWindowType)
{
    // A script that opens windows one after another without ever navigating
    // them keeps only its latest one alive.
    if (pendingWindow_)
        pendingWindow_->deleteLater();
    pendingWindow_ = new NewWindowPage(profile(), this);
    return pendingWindow_;
}

void BrowserPage::triggerAction(WebAction action, bool checked)
{
    if ((action == Reload || action == ReloadAndBypassCache) && !lostUrl_.isEmpty()) {
        // Reloading the stand-in would show the error again: load what was lost.
        const QUrl lost = lostUrl_;
        lostUrl_.clear();
        setUrl(lost);
        return;
    }
    QWebEnginePage::triggerAction(action, checked);
}

void BrowserPage::onRenderProcessTerminated(RenderProcessTerminationStatus status, int)
{
    if (status == NormalTerminationStatus)
        return;
    const QString text = status == KilledTerminationStatus ? killedText() : crashedText();
    emit renderProcessLost(text);
    // Lost again while the error page stands in: showing it again could only
    // repeat the loss, over and over where no render process can start.
    if (!lostUrl_.isEmpty())
        return;
    lostUrl_ = url().isEmpty() ? requestedUrl() : url();
    // The engine is still inside its notification: show the error page after
    // it, under the lost page's address, which the address box keeps showing.
    QTimer::singleShot(0, this, [this, text] {
        if (lostUrl_.isEmpty())
            return;  // reloaded already
        loadingErrorPage_ = true;
        setHtml(errorPage(text, lostUrl_), lostUrl_);
    });
}

void BrowserPage::onLoadStarted()
{
    // Any load but the error page's own ends the stand-in.
    if (loadingErrorPage_)
        loadingErrorPage_ = false;
    else
        lostUrl_.clear();
}

}  // namespace platform
