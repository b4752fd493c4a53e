#pragma once
// A bounded list of records kept in the per-user data folder
// ($XDG_DATA_HOME/skerrywind/<file>), most recently used first: what the
// browser remembers across runs (the zoom of sites, the address history).
//
// - Read on first use; a file that is missing, empty, not of this store's
//   kind or unreadable reads as an empty list, without a box. Lines that do
//   not parse are skipped.
// - Changes are written a moment after the last one (not once per change),
//   and when the store is closed; each write replaces the whole file or
//   leaves it as it was. A file that exists but cannot be read is never
//   replaced, so what it holds is not lost.
// - A write that fails is announced once by writeFailed(), until a write
//   succeeds again.
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <vector>

namespace platform {

class RecentStore : public QObject {
    Q_OBJECT
public:
    struct Record {
        QString key;
        QStringList fields;
    };

    // `fileName` in DataFolder(); `kind` the first line that marks the file
    // as this store's; `what` names the content in the failure text
    // ("the address history"); records carry `fieldCount` fields each.
    RecentStore(const QString& fileName, const QString& kind, const QString& what, int fieldCount, int capacity,
                QObject* parent = nullptr);
    ~RecentStore() override;

    // The records, most recently used first.
    const std::vector<Record>& Records();
    // The record of `key`, or nullptr.
    const Record* Find(const QString& key);
    // Puts the record first, in place of one with the same key; the least
    // recently used go when there are more than the capacity. A record that
    // is first already, as it is, changes nothing.
    void Put(const QString& key, const QStringList& fields);
    void Remove(const QString& key);
    void Clear();

    // Writes a pending change now.
    void Flush();
    // Flush, then forget what was read: the next use reads the file again,
    // from the data folder of that moment (a new run, as far as the store
    // can tell).
    void Close();
    // Close() on every store of the process.
    static void CloseAll();

    QString FilePath() const;
    // $XDG_DATA_HOME/skerrywind
    static QString DataFolder();

signals:
    // The records changed (also when they were read).
    void changed();
    // A write did not reach the disk; `text` says so in a sentence.
    void writeFailed(const QString& text);

private:
    void load();
    void changedByUser();
    void write();

    QString fileName_;
    QString kind_;
    QString what_;
    int fieldCount_;
    int capacity_;
    bool loaded_ = false;
    // The file exists but could not be read: it is not replaced.
    bool unreadable_ = false;
    bool dirty_ = false;
    bool failureAnnounced_ = false;
    std::vector<Record> records_;
    QTimer writeTimer_;
};

}  // namespace platform
