#pragma once
// The zoom of each site, remembered across runs: a site is a scheme and a
// host ("https://example.org"); addresses without a host share one entry per
// scheme (all local files are "file:"). Only zoom other than 100% is kept,
// for the most recently opened sites; two programs sharing the data folder
// keep both one's and the other's.
#include <QString>

class QUrl;

namespace platform {

class RecentStore;

class SiteZoom {
public:
    static constexpr int kCapacity = 500;
    // The engine's range.
    static constexpr double kMinimum = 0.25;
    static constexpr double kMaximum = 5.0;

    // The site of an address; empty for an address that has none (an empty
    // or relative one).
    static QString SiteOf(const QUrl& url);
    // The remembered zoom of the address's site; 1.0 when there is none.
    static double Factor(const QUrl& url);
    // The site was opened: it becomes the most recently used.
    static void Opened(const QUrl& url);
    // Remembers the zoom (kept within the engine's range) of the address's
    // site; 1.0 forgets it.
    static void SetFactor(const QUrl& url, double factor);
    // Forgets the zoom of every site, on disk too.
    static void Clear();

    // The store behind it (process-wide, created on first use).
    static RecentStore& Store();
};

}  // namespace platform
