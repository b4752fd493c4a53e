#include "platform/engine/AddressHistory.h"

#include "platform/system/RecentStore.h"

#include <QCoreApplication>
#include <QStringListModel>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {
const QString kFileName = QStringLiteral("history.txt");
const QString kKind = QStringLiteral("skerrywind address history 2");
const QString kWhat = QStringLiteral("the address history");
// The visit count.
constexpr int kFieldCount = 1;
// A visit counts half as much after this long.
constexpr double kHalfLifeMs = 30.0 * 24 * 60 * 60 * 1000;
const QStringList kUnrecordedSchemes = {QStringLiteral("data:"), QStringLiteral("javascript:"),
                                        QStringLiteral("blob:")};

int visitsOf(const RecentStore::Record* record)
{
    if (!record)
        return 0;
    bool ok = false;
    const int visits = record->fields.value(0).toInt(&ok);
    return ok && visits > 0 ? visits : 1;
}

double frecency(const RecentStore::Record& record, qint64 now)
{
    const double age = double(std::max<qint64>(now - record.time, 0));
    return visitsOf(&record) * std::exp2(-age / kHalfLifeMs);
}
}  // namespace

RecentStore& AddressHistory::Store()
{
    // Owned by the application, so it is written out before the application goes.
    static RecentStore* store =
        new RecentStore(kFileName, kKind, kWhat, kFieldCount, kCapacity, frecency, QCoreApplication::instance());
    return *store;
}

QStringList AddressHistory::Addresses()
{
    // The records come most recent first; a stable sort keeps that order
    // among equals.
    const qint64 now = RecentStore::Now();
    std::vector<std::pair<double, const RecentStore::Record*>> ranked;
    for (const RecentStore::Record& record : Store().Records())
        ranked.emplace_back(frecency(record, now), &record);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList addresses;
    addresses.reserve(qsizetype(ranked.size()));
    for (const auto& entry : ranked)
        addresses << entry.second->key;
    return addresses;
}

QStringListModel* AddressHistory::Model()
{
    static QStringListModel* model = [] {
        // Owned by the application, so it goes before the application does.
        auto* m = new QStringListModel(QCoreApplication::instance());
        QObject::connect(&Store(), &RecentStore::changed, m, [m] { m->setStringList(Addresses()); });
        m->setStringList(Addresses());
        return m;
    }();
    return model;
}

bool AddressHistory::Recordable(const QString& address)
{
    if (address.trimmed().isEmpty() || address.size() > kMaxAddressChars)
        return false;
    const QString start = address.trimmed();
    return std::none_of(kUnrecordedSchemes.begin(), kUnrecordedSchemes.end(),
                        [&](const QString& scheme) { return start.startsWith(scheme, Qt::CaseInsensitive); });
}

void AddressHistory::Add(const QString& address)
{
    if (!Recordable(address))
        return;
    const std::vector<RecentStore::Record>& records = Store().Records();
    if (!records.empty() && records.front().key == address)
        return;
    // Counted on what the file holds when it is written, so that the visits
    // another program recorded meanwhile count too.
    Store().Change(address, [](const RecentStore::Record* current) {
        return QStringList{QString::number(std::min(visitsOf(current), std::numeric_limits<int>::max() - 1) + 1)};
    });
}

void AddressHistory::Clear()
{
    Store().Clear();
    Store().Flush();
}

}  // namespace platform
