#pragma once
// The browser host over Qt WebEngine: one QWebEngineView, its loading state
// turned into the status texts, titles and document events the shell shows.
#include "platform/engine/BrowserHost.h"

#include <QUrl>

class QWebEngineLoadingInfo;
class QWebEngineView;

namespace platform {

class WebEngineBrowser : public BrowserHost {
    Q_OBJECT
public:
    // The browser's own pages, shipped in the resources so they open offline.
    static constexpr const char* HomePageUrl = "qrc:/pages/home.html";
    static constexpr const char* SearchPageUrl = "qrc:/pages/search.html";

    explicit WebEngineBrowser(QWidget* parent);

    void Navigate(const QString& URL) override;
    void GoHome() override;
    void GoSearch() override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;
    void ExitFullScreen() override;
    bool Busy() const override;
    QWidget* Widget() const override;

private:
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void pageLost(const QString& text);
    void loadProgress(int percent);
    void titleChanged(const QString& title);
    void resolveTitle(const QString& title);
    bool isAddressTitle(const QString& title) const;
    bool engineLoads(const QUrl& url) const;
    void showAddressError(const QString& address, const QUrl& url);
    void certificateRefused(const QUrl& url, const QString& host, const QString& problem);
    void showCertificateError();
    void bringForward();

    QWebEngineView* view_;
    // The address being opened, as the status and DocumentComplete name it.
    QString loadingAddress_;
    // The status text to show instead of "Done" when the page that has loaded
    // is the browser's own error page for an address it cannot open.
    QString addressError_;
    // Counts title changes, so that an answer about an older title is dropped.
    quint64 titleGeneration_ = 0;
    // The certificate refused for the load in progress, whose failure shows
    // the certificate's error page.
    struct RefusedCertificate {
        QUrl url;
        QString host;
        QString problem;
    };
    RefusedCertificate refusedCertificate_;
};

}  // namespace platform
