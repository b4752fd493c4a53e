#include "platform/system/RecentStore.h"

#include "platform/system/AppError.h"
#include "platform/system/PrivateFolders.h"
#include "platform/system/WholeFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <numeric>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
// How long after the last change the file is written: a key held down or a
// burst of page loads make one write.
constexpr int kWriteDelayMs = 1000;
// A store file beyond this is not one the program wrote (its records are
// bounded well below): it cannot be read whole.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
// How long a write waits for another program that is writing the same file.
constexpr int kLockWaitMs = 2000;
constexpr int kLockRetryMs = 5;
// A time this far ahead of the clock was not written by a program on this
// machine: it is read as now.
constexpr qint64 kMaxFutureMs = 24LL * 60 * 60 * 1000;
// While writes fail, the changes kept for the next try are bounded: the
// oldest go first.
constexpr int kPendingPerCapacity = 10;
// The version a kind line ends with, of the files written and of the older
// files still read.
const QString kVersion = QStringLiteral(" 2");
const QString kLegacyVersion = QStringLiteral(" 1");

std::vector<RecentStore*>& stores()
{
    static std::vector<RecentStore*> all;
    return all;
}

qint64& latestTime()
{
    static qint64 latest = 0;
    return latest;
}

void notice(const QString& text)
{
    std::fprintf(stderr, "skerrywind: %s\n", qPrintable(text));
}

// An exclusive lock on `path` (created mode 0600) for as long as it lives;
// raises error 75 when the lock cannot be had in time.
class FileLock {
public:
    explicit FileLock(const QString& path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kPrivateFileMode);
        if (fd_ < 0)
            Raise(errPathFileAccess);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockWaitMs);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
                ::close(fd_);
                Raise(errPathFileAccess);
            }
            ::poll(nullptr, 0, kLockRetryMs);
        }
    }
    ~FileLock() { ::close(fd_); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
};

bool hasNul(QStringView text)
{
    return text.contains(QChar(0));
}
}  // namespace

RecentStore::RecentStore(const QString& fileName, const QString& kind, const QString& what, int fieldCount,
                         int capacity, Rank rank, QObject* parent)
    : QObject(parent), fileName_(fileName), kind_(kind), what_(what), fieldCount_(fieldCount), capacity_(capacity),
      rank_(rank ? std::move(rank) : Rank([](const Record& r, qint64) { return double(r.time); }))
{
    // The kind names its version last; the one before is read too.
    if (kind_.endsWith(kVersion))
        legacyKind_ = kind_.chopped(kVersion.size()) + kLegacyVersion;
    writeTimer_.setSingleShot(true);
    writeTimer_.setInterval(kWriteDelayMs);
    connect(&writeTimer_, &QTimer::timeout, this, &RecentStore::write);
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &RecentStore::Flush);
    stores().push_back(this);
}

RecentStore::~RecentStore()
{
    Flush();
    std::erase(stores(), this);
}

QString RecentStore::DataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/skerrywind");
}

QString RecentStore::FilePath() const
{
    return DataFolder() + u'/' + fileName_;
}

qint64 RecentStore::Now()
{
    latestTime() = std::max(QDateTime::currentMSecsSinceEpoch(), latestTime() + 1);
    return latestTime();
}

const std::vector<RecentStore::Record>& RecentStore::Records()
{
    load();
    return records_;
}

const RecentStore::Record* RecentStore::Find(const QString& key)
{
    load();
    const auto it = std::find_if(records_.begin(), records_.end(), [&](const Record& r) { return r.key == key; });
    return it == records_.end() ? nullptr : &*it;
}

void RecentStore::Put(const QString& key, const QStringList& fields)
{
    load();
    if (!records_.empty() && records_.front().key == key && records_.front().fields == fields)
        return;  // already the most recent, as it is
    change({Pending::Set, key, fields, {}, Now()});
}

void RecentStore::Change(const QString& key, const Update& update)
{
    change({Pending::Modify, key, {}, update, Now()});
}

void RecentStore::Touch(const QString& key)
{
    change({Pending::Use, key, {}, {}, Now()});
}

void RecentStore::Remove(const QString& key)
{
    change({Pending::Drop, key, {}, {}, Now()});
}

void RecentStore::Clear()
{
    change({Pending::DropAll, {}, {}, {}, Now()});
}

void RecentStore::Flush()
{
    if (!pending_.empty())
        write();
}

void RecentStore::Close()
{
    Flush();
    writeTimer_.stop();
    records_.clear();
    pending_.clear();
    loaded_ = false;
    failureAnnounced_ = false;
    stuckSaid_ = false;
}

void RecentStore::CloseAll()
{
    for (RecentStore* store : stores())
        store->Close();
}

void RecentStore::load()
{
    if (loaded_)
        return;
    loaded_ = true;
    records_ = readFile().value_or(std::vector<Record>());
    emit changed();
}

void RecentStore::change(Pending pending)
{
    if (pending.kind != Pending::DropAll && (pending.key.isEmpty() || pending.key.size() > kMaxKeyChars))
        return;
    load();
    apply(records_, pending);
    trim(records_);
    pending_.push_back(std::move(pending));
    if (pending_.size() > size_t(kPendingPerCapacity) * size_t(capacity_))
        pending_.erase(pending_.begin());
    writeTimer_.start();
    emit changed();
}

void RecentStore::apply(std::vector<Record>& records, const Pending& pending) const
{
    const auto it = std::find_if(records.begin(), records.end(), [&](const Record& r) { return r.key == pending.key; });
    const bool found = it != records.end();
    switch (pending.kind) {
    case Pending::Set:
        // Another program's later change of the same key stays.
        if (found && it->time > pending.time)
            return;
        if (found)
            *it = {pending.key, pending.fields, pending.time};
        else
            records.push_back({pending.key, pending.fields, pending.time});
        break;
    case Pending::Modify: {
        QStringList fields = pending.update(found ? &*it : nullptr);
        if (found)
            *it = {pending.key, std::move(fields), std::max(it->time, pending.time)};
        else
            records.push_back({pending.key, std::move(fields), pending.time});
        break;
    }
    case Pending::Use:
        if (found)
            it->time = std::max(it->time, pending.time);
        break;
    case Pending::Drop:
        if (found && it->time <= pending.time)
            records.erase(it);
        break;
    case Pending::DropAll: std::erase_if(records, [&](const Record& r) { return r.time <= pending.time; }); break;
    }
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.time > b.time; });
}

void RecentStore::trim(std::vector<Record>& records) const
{
    if (records.size() <= size_t(capacity_))
        return;
    // The record used last stays; of the others those that rank highest,
    // the more recent first among equals.
    const qint64 now = Now();
    std::vector<double> ranks(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        ranks[i] = rank_(records[i], now);
    std::vector<size_t> order(records.size() - 1);
    std::iota(order.begin(), order.end(), size_t(1));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ranks[a] > ranks[b]; });
    order.resize(size_t(std::max(capacity_ - 1, 0)));
    order.push_back(0);
    std::sort(order.begin(), order.end());
    std::vector<Record> kept;
    kept.reserve(order.size());
    for (size_t i : order)
        kept.push_back(std::move(records[i]));
    records = std::move(kept);
}

std::optional<std::vector<RecentStore::Record>> RecentStore::readFile()
{
    const QString path = FilePath();
    const QByteArray name = QFile::encodeName(path);
    // What is not a regular file of the user's own, or cannot be read to
    // its end, is not this store's to replace.
    QString problem;
    QByteArray bytes;
    struct stat info {};
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT && ::lstat(name.constData(), &info) != 0)
            return std::vector<Record>();  // nothing there
        problem = QString::fromLocal8Bit(std::strerror(errno));
    } else if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        problem = QStringLiteral("not a file");
    } else if (info.st_uid != ::geteuid()) {
        problem = QStringLiteral("it belongs to another user");
    } else if (info.st_size > kMaxFileBytes) {
        problem = QStringLiteral("%1 bytes, more than it ever writes").arg(info.st_size);
    } else {
        bytes.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        for (;;) {
            if (done == bytes.size())
                bytes.resize(std::min<qsizetype>(done + 4096, kMaxFileBytes + 1));
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
                if (done > kMaxFileBytes) {
                    problem = QStringLiteral("more than %1 bytes").arg(kMaxFileBytes);
                    break;
                }
            } else if (n == 0) {
                break;
            } else if (errno != EINTR) {
                problem = QString::fromLocal8Bit(std::strerror(errno));
                break;
            }
        }
        bytes.truncate(done);
    }
    if (fd >= 0)
        ::close(fd);

    if (!problem.isEmpty()) {
        // Moved aside under a name of its own, never over another file.
        const QString base = path + QStringLiteral(".moved-") + QString::number(::getpid());
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString aside = attempt == 0 ? base : base + u'-' + QString::number(attempt);
            if (::renameat2(AT_FDCWD, name.constData(), AT_FDCWD, QFile::encodeName(aside).constData(),
                            RENAME_NOREPLACE)
                == 0) {
                notice(QStringLiteral("%1 cannot be read whole (%2); moved to %3, and %4 starts empty")
                           .arg(path, problem, aside, what_));
                stuckSaid_ = false;
                return std::vector<Record>();
            }
            if (errno != EEXIST)
                break;
        }
        if (!stuckSaid_)
            notice(QStringLiteral("%1 cannot be read whole (%2) nor moved aside (%3); it is left as it is")
                       .arg(path, problem, QString::fromLocal8Bit(std::strerror(errno))));
        stuckSaid_ = true;
        return std::nullopt;
    }

    std::vector<Record> records;
    const QString text = QString::fromUtf8(bytes);
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    const QStringView kind = lines.isEmpty() ? QStringView() : lines.first().trimmed();
    const bool legacy = !legacyKind_.isEmpty() && kind == legacyKind_;
    if (kind != kind_ && !legacy)
        return records;
    // Older files keep no times: their records, most recent first, count
    // as used one after another up to the file's last change.
    const qint64 clock = QDateTime::currentMSecsSinceEpoch();
    const qint64 written = std::min<qint64>(qint64(info.st_mtim.tv_sec) * 1000, clock);
    QHash<QString, size_t> index;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QList<QStringView> parts = line.split(u'\t');
        if (parts.size() != fieldCount_ + (legacy ? 1 : 2) || parts[0].isEmpty() || hasNul(line))
            continue;
        Record record{UnescapeLine(parts[0], true), {}, written - i};
        if (record.key.size() > kMaxKeyChars)
            continue;
        for (qsizetype f = 1; f <= fieldCount_; ++f)
            record.fields << UnescapeLine(parts[f], true);
        if (!legacy) {
            bool ok = false;
            record.time = parts.last().toLongLong(&ok);
            if (!ok || record.time < 0)
                continue;
            if (record.time > clock + kMaxFutureMs)
                record.time = clock;
        }
        latestTime() = std::max(latestTime(), record.time);
        // Of a repeated key the more recent record counts.
        if (const auto known = index.constFind(record.key); known != index.cend()) {
            if (records[*known].time < record.time)
                records[*known] = std::move(record);
            continue;
        }
        index.insert(record.key, records.size());
        records.push_back(std::move(record));
    }
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.time > b.time; });
    trim(records);
    return records;
}

void RecentStore::write()
{
    writeTimer_.stop();
    try {
        if (!MakePrivateFolder(DataFolder()))
            Raise(errPathFileAccess);
        // Under the lock, what another program wrote meanwhile is read and
        // this program's changes are applied to it.
        const FileLock lock(FilePath() + QStringLiteral(".lock"));
        std::optional<std::vector<Record>> records = readFile();
        if (!records)
            Raise(errPathFileAccess);
        for (const Pending& pending : pending_)
            apply(*records, pending);
        trim(*records);
        QString text = kind_ + u'\n';
        for (const Record& record : *records) {
            text += EscapeLine(record.key, true);
            for (const QString& field : record.fields)
                text += u'\t' + EscapeLine(field, true);
            text += u'\t' + QString::number(record.time) + u'\n';
        }
        WriteWholeFile(FilePath(), text.toUtf8());
        records_ = std::move(*records);
        loaded_ = true;
        pending_.clear();
        failureAnnounced_ = false;
        emit changed();
    } catch (const AppError& e) {
        // The changes stay pending: the next one, or the close, tries again.
        if (!failureAnnounced_) {
            failureAnnounced_ = true;
            emit writeFailed(QStringLiteral("Cannot save %1 (%2)").arg(what_, e.Description()));
        }
    }
}

}  // namespace platform
