#pragma once
// The addresses of the documents the browser completed, in this run and in
// earlier ones: what the address box offers as completions, most visited
// first and, among equally visited ones, most recent first. Kept in the
// per-user data folder for the most recently visited addresses. Every
// browser host feeds it from its DocumentComplete event.
#include <QString>
#include <QStringList>

class QStringListModel;

namespace platform {

class RecentStore;

class AddressHistory {
public:
    static constexpr int kCapacity = 1000;

    // The history in that order, as a model for completers; it follows
    // every change.
    static QStringListModel* Model();
    static QStringList Addresses();
    // A visit of the address now. An empty address is not kept; the same
    // address again right after itself (a reload, a page's frames) is not
    // another visit.
    static void Add(const QString& address);
    // Forgets every address, on disk too.
    static void Clear();

    // The store behind it (process-wide, created on first use).
    static RecentStore& Store();
};

}  // namespace platform
