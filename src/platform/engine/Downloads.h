#pragma once
// Downloads: every file the engine hands over (a link to something it cannot
// show, a "save link" action) is saved in the user's download folder under a
// name that never replaces an existing file. Progress, the place it was saved
// and failures are reported as status texts:
//   "Downloading report.pdf: 45%"   "Saved to /home/u/Downloads/report.pdf"
//   "Download failed: <reason>"
//
// Integration: the main window keeps one `platform::Downloads` (created on
// EngineProfile::instance()) and routes statusText() into status panel 1.
#include <QObject>
#include <QSet>
#include <QString>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace platform {

class Downloads : public QObject {
    Q_OBJECT
public:
    explicit Downloads(QWebEngineProfile* profile, QObject* parent = nullptr);

    // $XDG_DOWNLOAD_DIR when set, else the desktop's download folder (from
    // user-dirs.dirs), else ~/Downloads.
    static QString downloadFolder();
    // The suggested name made safe to use as one file name in that folder: no
    // folders, no "." or ".." names, no control characters, never empty.
    static QString safeFileName(const QString& suggested);
    // `name` in `folder`, or "name (1).ext", "name (2).ext", ...: the first
    // that neither exists nor is in `taken`.
    static QString uniqueFileName(const QString& folder, const QString& name, const QSet<QString>& taken = {});

    static constexpr const char* fallbackName = "download";

signals:
    void statusText(const QString& text);

private:
    void start(QWebEngineDownloadRequest* download);
    void progress(QWebEngineDownloadRequest* download, QString& shown);
    void finished(QWebEngineDownloadRequest* download);

    // Full paths of downloads still being written: a second download of the
    // same name does not pick a file the first one is about to create.
    QSet<QString> inProgress_;
};

}  // namespace platform
