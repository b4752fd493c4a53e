#pragma once
// The page the browser host shows, on the program's persistent profile.
// - Links and scripts that ask for a new window (target="_blank",
//   window.open) load in this page: the shell has one browser.
// - When the page's render process crashes or is killed, an error page is
//   shown under the lost page's address and renderProcessLost() says what
//   happened; Reload then loads the page that was lost, not the error page.
//
// Integration: the browser host creates its view's page as
// `new platform::BrowserPage(view)` and calls `view->setPage(page)`; it may
// route renderProcessLost() to its status text.
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>

namespace platform {

class BrowserPage : public QWebEnginePage {
    Q_OBJECT
public:
    // A page on EngineProfile::instance(), or on `profile`.
    explicit BrowserPage(QObject* parent = nullptr);
    BrowserPage(QWebEngineProfile* profile, QObject* parent);

    void triggerAction(WebAction action, bool checked = false) override;

    // The page whose render process was lost, while the error page stands in
    // for it; empty otherwise.
    QUrl lostUrl() const { return lostUrl_; }

    static QString crashedText();
    static QString killedText();

signals:
    // The render process ended abnormally; `text` says so in a sentence.
    void renderProcessLost(const QString& text);

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    void onRenderProcessTerminated(RenderProcessTerminationStatus status, int exitCode);
    void onLoadStarted();

    QUrl lostUrl_;
    bool loadingErrorPage_ = false;
    QPointer<QWebEnginePage> pendingWindow_;
};

}  // namespace platform
