#pragma once
// A bounded list of records kept in the per-user data folder
// ($XDG_DATA_HOME/skerrywind/<file>), each with the time it was last used:
// what the browser remembers across runs (the zoom of sites, the address
// history).
//
// - Read on first use; a file that is missing, empty, not of this store's
//   kind or garbled reads as an empty list (or as its good lines), without a
//   box, and is replaced at the next write. A file that cannot be read whole
//   (too big, unreadable, not a file of the user's own, a folder in its
//   place) is never replaced: it is moved aside, with a line on stderr, and
//   the store starts empty.
// - Changes are written a moment after the last one (not once per change),
//   and when the store is closed. Each write holds a lock on the file, reads
//   what it holds at that moment and applies this process's changes to it,
//   so that two programs sharing the data folder keep both one's and the
//   other's records; for the same key the newer change wins. The file is
//   replaced whole or left as it was, and is mode 0600.
// - When there are more records than the capacity, those that rank lowest
//   go (by default the least recently used); the one used last always stays.
// - A write that fails is announced once by writeFailed(), until a write
//   succeeds again; the changes stay pending and are tried again.
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace platform {

class RecentStore : public QObject {
    Q_OBJECT
public:
    struct Record {
        QString key;
        QStringList fields;
        // When it was last used, in milliseconds since 1970.
        qint64 time = 0;
    };
    // How a record ranks when the store is over its capacity, at `now`:
    // higher stays.
    using Rank = std::function<double(const Record& record, qint64 now)>;
    // The fields of a record after a change, from the record as it is (or
    // nullptr when there is none).
    using Update = std::function<QStringList(const Record* current)>;

    // The longest key kept; longer ones are neither stored nor read.
    static constexpr int kMaxKeyChars = 2048;

    // `fileName` in DataFolder(); `kind` the first line that marks the file
    // as this store's ("skerrywind address history 2"; the same kind with
    // version 1 is read too, its records in the order of their use);
    // `what` names the content in the failure text ("the address history");
    // records carry `fieldCount` fields each.
    RecentStore(const QString& fileName, const QString& kind, const QString& what, int fieldCount, int capacity,
                Rank rank = {}, QObject* parent = nullptr);
    ~RecentStore() override;

    // The records, most recently used first.
    const std::vector<Record>& Records();
    // The record of `key`, or nullptr.
    const Record* Find(const QString& key);
    // Sets the record's fields, used now; a record of the same key that
    // another program changed later stays as that program left it. The
    // most recent record, as it is, changes nothing.
    void Put(const QString& key, const QStringList& fields);
    // Changes the record's fields from what they are (in the file, when it
    // is written), used now: a counter counts both programs' changes.
    void Change(const QString& key, const Update& update);
    // The record, if there is one, was used now; its fields stay.
    void Touch(const QString& key);
    // Removes the record, unless another program changed it later.
    void Remove(const QString& key);
    // Removes every record not changed since.
    void Clear();

    // Writes pending changes now.
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
    // The time a change made now carries: the clock, but always later than
    // any change this process made or read before, so that a change made
    // after another program's counts as the newer even when the clocks of
    // the two disagree.
    static qint64 Now();

signals:
    // The records changed (also when they were read, or merged with what
    // another program wrote).
    void changed();
    // A write did not reach the disk; `text` says so in a sentence.
    void writeFailed(const QString& text);

private:
    struct Pending {
        enum Kind { Set, Modify, Use, Drop, DropAll };
        Kind kind;
        QString key;
        QStringList fields;
        Update update;
        qint64 time;
    };

    void load();
    void change(Pending pending);
    void apply(std::vector<Record>& records, const Pending& pending) const;
    void trim(std::vector<Record>& records) const;
    // The records in the file; nothing when it cannot be read whole and
    // could not be moved aside either.
    std::optional<std::vector<Record>> readFile();
    void write();

    QString fileName_;
    QString kind_;
    QString legacyKind_;
    QString what_;
    int fieldCount_;
    int capacity_;
    Rank rank_;
    bool loaded_ = false;
    bool failureAnnounced_ = false;
    // A file that can be neither read nor moved aside was named on stderr.
    bool stuckSaid_ = false;
    std::vector<Record> records_;
    // The changes made since the last write, in order.
    std::vector<Pending> pending_;
    QTimer writeTimer_;
};

}  // namespace platform
