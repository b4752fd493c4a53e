#pragma once
// The addresses of the documents the browser completed in this run, most
// recent first and each once: what the address box offers as completions.
// Every browser host feeds it from its DocumentComplete event.
#include <QString>

class QStringListModel;

namespace platform {

class VisitedAddresses {
public:
    // The most addresses kept; the oldest go first.
    static constexpr int kCapacity = 500;

    // The program-wide list as a model for completers.
    static QStringListModel* Model();
    // Puts the address first; an empty one is not kept.
    static void Add(const QString& address);
};

}  // namespace platform
