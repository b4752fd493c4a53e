#pragma once
// The addresses of the pages the browser opened, in this run and in earlier
// ones: what the address box offers as completions, ranked by how often and
// how recently each was visited (frecency): most visited first, a visit
// counting half as much for every month gone by, the more recent first among
// equals. Kept in the per-user data folder for the addresses that rank
// highest, so that a burst of addresses visited once cannot push out the
// often visited ones. Browser hosts record a visit when a navigation
// committed (BrowserHost::RecordVisit).
#include <QString>
#include <QStringList>

class QStringListModel;

namespace platform {

class RecentStore;

class AddressHistory {
public:
    static constexpr int kCapacity = 1000;
    // The longest address kept.
    static constexpr int kMaxAddressChars = 2048;

    // The history in that order, as a model for completers; it follows
    // every change.
    static QStringListModel* Model();
    static QStringList Addresses();
    // A visit of the address now. Addresses not worth offering again are
    // not kept (see Recordable); the same address again right after itself
    // (a reload) is not another visit.
    static void Add(const QString& address);
    // Whether an address is kept: not empty, at most kMaxAddressChars long,
    // and not one that carries its content or script in itself (data:,
    // javascript:, blob:).
    static bool Recordable(const QString& address);
    // Forgets every address, on disk too.
    static void Clear();

    // The store behind it (process-wide, created on first use).
    static RecentStore& Store();
};

}  // namespace platform
