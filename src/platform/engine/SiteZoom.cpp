#include "platform/engine/SiteZoom.h"

#include "platform/system/RecentStore.h"

#include <QCoreApplication>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
const QString kFileName = QStringLiteral("zoom.txt");
const QString kKind = QStringLiteral("skerrywind site zoom 2");
const QString kWhat = QStringLiteral("the zoom of sites");
constexpr int kFieldCount = 1;  // the factor
}  // namespace

RecentStore& SiteZoom::Store()
{
    // Owned by the application, so it is written out before the application goes.
    static RecentStore* store =
        new RecentStore(kFileName, kKind, kWhat, kFieldCount, kCapacity, {}, QCoreApplication::instance());
    return *store;
}

QString SiteZoom::SiteOf(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (scheme.isEmpty())
        return QString();
    const QString host = url.host().toLower();
    if (host.isEmpty())
        return scheme + u':';
    return scheme + QStringLiteral("://") + host;
}

double SiteZoom::Factor(const QUrl& url)
{
    const QString site = SiteOf(url);
    if (site.isEmpty())
        return 1.0;
    const RecentStore::Record* record = Store().Find(site);
    if (!record)
        return 1.0;
    bool ok = false;
    const double factor = record->fields.value(0).toDouble(&ok);
    // A value the program did not write (edited, garbled) counts as none.
    if (!ok || !(factor >= kMinimum && factor <= kMaximum))
        return 1.0;
    return factor;
}

void SiteZoom::Opened(const QUrl& url)
{
    const QString site = SiteOf(url);
    if (site.isEmpty())
        return;
    const std::vector<RecentStore::Record>& records = Store().Records();
    if (!records.empty() && records.front().key == site)
        return;  // the most recent already
    if (Store().Find(site))
        Store().Touch(site);
}

void SiteZoom::SetFactor(const QUrl& url, double factor)
{
    const QString site = SiteOf(url);
    if (site.isEmpty() || !std::isfinite(factor))
        return;
    factor = std::clamp(factor, kMinimum, kMaximum);
    if (std::abs(factor - 1.0) < 1e-9) {
        Store().Remove(site);
        return;
    }
    Store().Put(site, {QString::number(factor)});
}

void SiteZoom::Clear()
{
    Store().Clear();
    Store().Flush();
}

}  // namespace platform
