#pragma once
// The browser host over Qt WebEngine: one QWebEngineView, its loading state
// turned into the status texts, titles and document events the shell shows.
#include "platform/engine/BrowserHost.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>

class QPrintDialog;
class QWebEngineLoadingInfo;
class QWebEngineView;

namespace platform {

class WebEngineBrowser : public BrowserHost {
    Q_OBJECT
public:
    explicit WebEngineBrowser(QWidget* parent);

    void Navigate(const QString& URL) override;
    void GoHome() override;
    void GoSearch() override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;
    void Refresh2(int Level) override;
    void ExitFullScreen() override;
    bool Busy() const override;
    QString LocationURL() const override;
    void QueryClose() override;
    void FindText(const QString& Text, bool Backward) override;
    double ZoomFactor() const override;
    void SetZoomFactor(double Factor) override;
    void Print() override;
    QWidget* Widget() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadingChanged(const QWebEngineLoadingInfo& info);
    void pageCommitted(const QUrl& url);
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
    void applySiteZoom(const QUrl& url);
    void setZoom(double factor);
    void watchEngineZoom(Qt::KeyboardModifiers modifiers);
    void checkEngineZoom();
    void startPrinting();
    void printFinished(bool success);

    QWebEngineView* view_;
    // The address being opened, as the status and DocumentComplete name it.
    QString loadingAddress_;
    // The address of the page shown, named the same way.
    QString shownAddress_;
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
    // Counts searches, so that the answer to an older one is dropped.
    quint64 findGeneration_ = 0;
    // The print dialog, from its opening until the page has been printed;
    // the printer goes with it.
    QPointer<QPrintDialog> printDialog_;
    // The zoom this browser gave the page, which the engine's own steps
    // depart from.
    double zoom_ = 1.0;
    // Looks for the engine's own zoom step for a while after a Ctrl+wheel
    // turn went to the page.
    QTimer zoomWatch_;
    int zoomChecksLeft_ = 0;
    Qt::KeyboardModifiers zoomWheelModifiers_;
};

}  // namespace platform
