#include "platform/engine/AddressCompleter.h"

#include "platform/engine/VisitedAddresses.h"

#include <QFileSystemModel>
#include <QLineEdit>
#include <QStringListModel>

namespace platform {

namespace {
const QString kFileScheme = QStringLiteral("file:");
const QString kFileUrlPrefix = QStringLiteral("file://");

bool isPath(const QString& text)
{
    return text.startsWith(u'/') || text.startsWith(kFileScheme, Qt::CaseInsensitive);
}

// The part of a "file:" address that names a path: after "file://" or "file:".
QString prefixOf(const QString& text)
{
    if (text.startsWith(kFileUrlPrefix, Qt::CaseInsensitive))
        return text.left(kFileUrlPrefix.size());
    if (text.startsWith(kFileScheme, Qt::CaseInsensitive))
        return text.left(kFileScheme.size());
    return QString();
}
}  // namespace

AddressCompleter::AddressCompleter(QLineEdit* edit) : QCompleter(edit), edit_(edit)
{
    setModel(VisitedAddresses::Model());
    setFilterMode(Qt::MatchContains);
    setCaseSensitivity(Qt::CaseInsensitive);
    edit->setCompleter(this);
    connect(edit, &QLineEdit::textEdited, this, &AddressCompleter::textEdited);
}

void AddressCompleter::textEdited(const QString& text)
{
    const Source previous = source_;
    const Source wanted = isPath(text) ? Source::Files : Source::Visited;
    filePrefix_ = wanted == Source::Files ? prefixOf(text) : QString();
    if (wanted != source_)
        useSource(wanted);
    if (wanted == Source::Files) {
        // The model reads a folder only when asked for it: the folder being
        // typed, that is everything up to the last "/".
        const QString path = text.mid(filePrefix_.size());
        const qsizetype slash = path.lastIndexOf(u'/');
        if (slash >= 0)
            files_->index(slash == 0 ? QStringLiteral("/") : path.left(slash));
    }
    if (wanted == previous)
        return;
    // The line edit may already have asked for completions of this text
    // from the other source.
    setCompletionPrefix(text);
    complete();
}

void AddressCompleter::useSource(Source source)
{
    source_ = source;
    if (source == Source::Files) {
        if (!files_) {
            files_ = new QFileSystemModel(edit_);
            files_->setRootPath(QString());
            // A folder is read in the background: offer its entries once
            // they are there, also for a path typed as a "file:" address.
            connect(files_, &QFileSystemModel::directoryLoaded, this, [this] {
                if (source_ == Source::Files && edit_->hasFocus()) {
                    setCompletionPrefix(edit_->text());
                    complete();
                }
            });
        }
        setModel(files_);
        setFilterMode(Qt::MatchStartsWith);
        setCaseSensitivity(Qt::CaseSensitive);
    } else {
        setModel(VisitedAddresses::Model());
        setFilterMode(Qt::MatchContains);
        setCaseSensitivity(Qt::CaseInsensitive);
    }
}

QStringList AddressCompleter::splitPath(const QString& path) const
{
    if (source_ == Source::Files)
        return QCompleter::splitPath(path.mid(prefixOf(path).size()));
    return QCompleter::splitPath(path);
}

QString AddressCompleter::pathFromIndex(const QModelIndex& index) const
{
    if (source_ == Source::Files)
        return filePrefix_ + QCompleter::pathFromIndex(index);
    return QCompleter::pathFromIndex(index);
}

void SHAutoComplete(QWidget* hWnd, int flags)
{
    (void)flags;
    auto* edit = qobject_cast<QLineEdit*>(hWnd);
    if (!edit || qobject_cast<AddressCompleter*>(edit->completer()))
        return;
    new AddressCompleter(edit);
}

}  // namespace platform
