#include "platform/system/RecentStore.h"

#include "platform/system/AppError.h"
#include "platform/system/WholeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>

namespace platform {

namespace {
// How long after the last change the file is written: a key held down or a
// burst of page loads make one write.
constexpr int kWriteDelayMs = 1000;
// A store file beyond this is not one the program wrote: it reads as empty.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

std::vector<RecentStore*>& stores()
{
    static std::vector<RecentStore*> all;
    return all;
}

}  // namespace

RecentStore::RecentStore(const QString& fileName, const QString& kind, const QString& what, int fieldCount,
                         int capacity, QObject* parent)
    : QObject(parent), fileName_(fileName), kind_(kind), what_(what), fieldCount_(fieldCount), capacity_(capacity)
{
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
        return;  // already first, as it is
    std::erase_if(records_, [&](const Record& r) { return r.key == key; });
    records_.insert(records_.begin(), Record{key, fields});
    if (records_.size() > size_t(capacity_))
        records_.resize(size_t(capacity_));
    changedByUser();
}

void RecentStore::Remove(const QString& key)
{
    load();
    if (std::erase_if(records_, [&](const Record& r) { return r.key == key; }) > 0)
        changedByUser();
}

void RecentStore::Clear()
{
    load();
    records_.clear();
    changedByUser();
}

void RecentStore::Flush()
{
    if (dirty_)
        write();
}

void RecentStore::Close()
{
    Flush();
    writeTimer_.stop();
    records_.clear();
    loaded_ = false;
    unreadable_ = false;
    dirty_ = false;
    failureAnnounced_ = false;
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
    records_.clear();
    QFile file(FilePath());
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        unreadable_ = true;
        return;
    }
    if (file.size() > kMaxFileBytes)
        return;
    const QString text = QString::fromUtf8(file.readAll());
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    if (lines.isEmpty() || lines.first().trimmed() != kind_)
        return;
    for (qsizetype i = 1; i < lines.size() && records_.size() < size_t(capacity_); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QList<QStringView> parts = line.split(u'\t');
        if (parts.size() != fieldCount_ + 1 || parts[0].isEmpty())
            continue;
        Record record{UnescapeLine(parts[0], true), {}};
        for (qsizetype f = 1; f < parts.size(); ++f)
            record.fields << UnescapeLine(parts[f], true);
        // The first of a repeated key is the most recent.
        if (std::none_of(records_.begin(), records_.end(), [&](const Record& r) { return r.key == record.key; }))
            records_.push_back(std::move(record));
    }
    emit changed();
}

void RecentStore::changedByUser()
{
    dirty_ = true;
    writeTimer_.start();
    emit changed();
}

void RecentStore::write()
{
    writeTimer_.stop();
    try {
        if (unreadable_)
            Raise(errPathFileAccess);
        QString text = kind_ + u'\n';
        for (const Record& record : records_) {
            text += EscapeLine(record.key, true);
            for (const QString& field : record.fields)
                text += u'\t' + EscapeLine(field, true);
            text += u'\n';
        }
        WriteWholeFile(FilePath(), text.toUtf8());
        dirty_ = false;
        failureAnnounced_ = false;
    } catch (const AppError& e) {
        // The change stays pending: the next one, or the close, tries again.
        if (!failureAnnounced_) {
            failureAnnounced_ = true;
            emit writeFailed(QStringLiteral("Cannot save %1 (%2)").arg(what_, e.Description()));
        }
    }
}

}  // namespace platform
