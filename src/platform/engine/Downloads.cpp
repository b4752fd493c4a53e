#include "platform/engine/Downloads.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <memory>

namespace platform {

namespace {
// Room under the usual 255-byte file name limit for a " (nnn)" counter.
constexpr qsizetype maxNameBytes = 240;
constexpr int percent = 100;

// "report.pdf" -> {"report", ".pdf"}; ".profile" and "README" have no
// extension; "data.tar.gz" keeps ".tar.gz" together.
std::pair<QString, QString> splitExtension(const QString& name)
{
    qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {name, QString()};
    const qsizetype tar = name.lastIndexOf(QLatin1String(".tar."), -1, Qt::CaseInsensitive);
    if (tar > 0 && tar + 4 == dot)
        dot = tar;
    return {name.left(dot), name.mid(dot)};
}

QString truncatedToBytes(QString text, qsizetype maxBytes)
{
    while (!text.isEmpty() && text.toUtf8().size() > maxBytes)
        text.chop(text.size() >= 2 && text.at(text.size() - 1).isLowSurrogate() ? 2 : 1);
    return text;
}
}  // namespace

Downloads::Downloads(QWebEngineProfile* profile, QObject* parent) : QObject(parent)
{
    // The engine numbers the names it suggests against this folder: ours.
    profile->setDownloadPath(downloadFolder());
    connect(profile, &QWebEngineProfile::downloadRequested, this, &Downloads::start);
}

QString Downloads::downloadFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("XDG_DOWNLOAD_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(fromEnvironment);
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!desktop.isEmpty())
        return desktop;
    return QDir::home().filePath(QStringLiteral("Downloads"));
}

QString Downloads::safeFileName(const QString& suggested)
{
    QString name = suggested;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.section(QLatin1Char('/'), -1);
    QString clean;
    for (const QChar c : std::as_const(name))
        if (c.category() != QChar::Other_Control && c != QChar::Null)
            clean += c;
    clean = clean.trimmed();
    if (clean.isEmpty() || clean == QLatin1String(".") || clean == QLatin1String(".."))
        return QLatin1String(fallbackName);
    if (clean.toUtf8().size() > maxNameBytes) {
        auto [base, extension] = splitExtension(clean);
        if (extension.toUtf8().size() > maxNameBytes / 2)
            extension.clear();
        clean = truncatedToBytes(base, maxNameBytes - extension.toUtf8().size()) + extension;
    }
    return clean;
}

QString Downloads::uniqueFileName(const QString& folder, const QString& name, const QSet<QString>& taken)
{
    const QDir dir(folder);
    auto isFree = [&](const QString& candidate) {
        const QString path = dir.filePath(candidate);
        return !QFileInfo::exists(path) && !QFileInfo(path).isSymLink() && !taken.contains(path);
    };
    if (isFree(name))
        return name;
    const auto [base, extension] = splitExtension(name);
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(extension);
        if (isFree(candidate))
            return candidate;
    }
}

void Downloads::start(QWebEngineDownloadRequest* download)
{
    const QString folder = downloadFolder();
    if (!QDir().mkpath(folder)) {
        emit statusText(tr("Download failed: cannot create the folder %1").arg(folder));
        download->cancel();
        return;
    }
    const QString name = uniqueFileName(folder, safeFileName(download->downloadFileName()), inProgress_);
    download->setDownloadDirectory(folder);
    download->setDownloadFileName(name);
    inProgress_.insert(QDir(folder).filePath(name));

    // The text is sent when it changes, not for every block received.
    auto shown = std::make_shared<QString>();
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            [this, download, shown] { progress(download, *shown); });
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download] { finished(download); });
    download->accept();
    progress(download, *shown);
}

void Downloads::progress(QWebEngineDownloadRequest* download, QString& shown)
{
    if (download->isFinished())
        return;
    const qint64 total = download->totalBytes();
    const qint64 received = download->receivedBytes();
    const QString amount =
        total > 0 ? QStringLiteral("%1%").arg(received * percent / total) : QLocale().formattedDataSize(received);
    const QString text = tr("Downloading %1: %2").arg(download->downloadFileName(), amount);
    if (text != shown) {
        shown = text;
        emit statusText(text);
    }
}

void Downloads::finished(QWebEngineDownloadRequest* download)
{
    const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
    inProgress_.remove(path);
    switch (download->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted: emit statusText(tr("Saved to %1").arg(path)); break;
    case QWebEngineDownloadRequest::DownloadCancelled:
        emit statusText(tr("Download cancelled: %1").arg(download->downloadFileName()));
        break;
    default: emit statusText(tr("Download failed: %1").arg(download->interruptReasonString())); break;
    }
}

}  // namespace platform
