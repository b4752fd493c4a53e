#include "platform/engine/AddressHistory.h"

#include "platform/system/RecentStore.h"

#include <QCoreApplication>
#include <QStringListModel>

#include <algorithm>
#include <limits>

namespace platform {

namespace {
const QString kFileName = QStringLiteral("history.txt");
const QString kKind = QStringLiteral("skerrywind address history 1");
const QString kWhat = QStringLiteral("the address history");
// The visit count; the records' order is that of the last visits.
constexpr int kFieldCount = 1;

int visitsOf(const RecentStore::Record& record)
{
    bool ok = false;
    const int visits = record.fields.value(0).toInt(&ok);
    return ok && visits > 0 ? visits : 1;
}
}  // namespace

RecentStore& AddressHistory::Store()
{
    // Owned by the application, so it is written out before the application goes.
    static RecentStore* store = new RecentStore(kFileName, kKind, kWhat, kFieldCount, kCapacity,
                                                QCoreApplication::instance());
    return *store;
}

QStringList AddressHistory::Addresses()
{
    // The records come most recent first; a stable sort by visits keeps
    // that order among equals.
    std::vector<const RecentStore::Record*> ranked;
    for (const RecentStore::Record& record : Store().Records())
        ranked.push_back(&record);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto* a, const auto* b) { return visitsOf(*a) > visitsOf(*b); });
    QStringList addresses;
    addresses.reserve(qsizetype(ranked.size()));
    for (const RecentStore::Record* record : ranked)
        addresses << record->key;
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

void AddressHistory::Add(const QString& address)
{
    if (address.isEmpty())
        return;
    const std::vector<RecentStore::Record>& records = Store().Records();
    if (!records.empty() && records.front().key == address)
        return;
    const RecentStore::Record* known = Store().Find(address);
    const int visits = known ? std::min(visitsOf(*known), std::numeric_limits<int>::max() - 1) + 1 : 1;
    Store().Put(address, {QString::number(visits)});
}

void AddressHistory::Clear()
{
    Store().Clear();
    Store().Flush();
}

}  // namespace platform
