#include "platform/engine/AddressCompleter.h"

#include "platform/engine/AddressHistory.h"
#include "platform/engine/SiteZoom.h"

#include <QApplication>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScreen>
#include <QStringListModel>
#include <QWindow>

#include <algorithm>

namespace platform {

namespace {
const QString kFileScheme = QStringLiteral("file:");
const QString kFileUrlPrefix = QStringLiteral("file://");
const QString kClearZoom = QStringLiteral("Clear site zoom");
const QString kClearHistory = QStringLiteral("Clear address history");
constexpr int kVisibleRows = 8;
// The list is at least this wide, in pixels, so that addresses can be read
// under a narrow box.
constexpr int kMinimumListWidth = 360;

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
    setObjectName(QStringLiteral("AddressCompleter"));
    setFilterMode(Qt::MatchContains);
    setCaseSensitivity(Qt::CaseInsensitive);

    // The history is read, and the list made, when the user first types,
    // not when the box is made.
    connect(edit, &QLineEdit::textEdited, this, &AddressCompleter::textEdited);
    connect(edit, &QLineEdit::textChanged, this, &AddressCompleter::textChanged);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != edit_)
            hideList(true);
    });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (!window || window != edit_->window()->windowHandle())
            hideList(true);
    });

    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QWidget::customContextMenuRequested, this, &AddressCompleter::showContextMenu);
}

AddressCompleter::~AddressCompleter()
{
    qApp->removeEventFilter(this);
    delete list_;
}

AddressCompleter* AddressCompleter::Of(QLineEdit* edit)
{
    return edit ? edit->findChild<AddressCompleter*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool AddressCompleter::ListVisible() const
{
    return list_ && list_->isVisible();
}

QStringList AddressCompleter::Completions()
{
    QStringList texts;
    for (int row = 0; setCurrentRow(row); ++row)
        texts << currentCompletion();
    return texts;
}

void AddressCompleter::setWanted(bool wanted)
{
    if (wanted == wanted_)
        return;
    wanted_ = wanted;
    // While the user types, the filter sees keys and clicks first: the
    // list's keys, and the moment the user moves on.
    if (wanted)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

void AddressCompleter::textEdited(const QString& text)
{
    typed_ = text;
    setWanted(!text.isEmpty());
    const Source wanted = isPath(text) ? Source::Files : Source::History;
    filePrefix_ = wanted == Source::Files ? prefixOf(text) : QString();
    if (wanted != source_ || !model())
        useSource(wanted);
    if (wanted == Source::Files) {
        // The model reads a folder only when asked for it: the folder being
        // typed, that is everything up to the last "/".
        const QString path = text.mid(filePrefix_.size());
        const qsizetype slash = path.lastIndexOf(u'/');
        if (slash >= 0)
            files_->index(slash == 0 ? QStringLiteral("/") : path.left(slash));
    }
    updateList();
}

void AddressCompleter::textChanged(const QString& text)
{
    // Set by the program (the address of a completed page) rather than typed.
    if (!settingText_ && text != typed_)
        hideList(true);
}

void AddressCompleter::makeList()
{
    list_ = new QListView;
    // A window of its own that never takes the focus or grabs the pointer.
    list_->setObjectName(QStringLiteral("AddressList"));
    list_->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    list_->setAttribute(Qt::WA_ShowWithoutActivating);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setUniformItemSizes(true);
    list_->setTextElideMode(Qt::ElideMiddle);
    connect(list_, &QListView::clicked, this, [this](const QModelIndex& index) { take(index.row()); });
    list_->setModel(completionModel());
}

void AddressCompleter::useSource(Source source)
{
    source_ = source;
    if (source == Source::Files) {
        if (!files_) {
            files_ = new QFileSystemModel(edit_);
            files_->setRootPath(QString());
            connect(files_, &QFileSystemModel::directoryLoaded, this, &AddressCompleter::directoryLoaded);
        }
        setModel(files_);
        setFilterMode(Qt::MatchStartsWith);
        setCaseSensitivity(Qt::CaseSensitive);
    } else {
        setModel(AddressHistory::Model());
        setFilterMode(Qt::MatchContains);
        setCaseSensitivity(Qt::CaseInsensitive);
    }
    if (!list_)
        makeList();
}

void AddressCompleter::directoryLoaded()
{
    // A folder is read in the background: offer its entries once they are
    // there, if the user is still typing in the box.
    if (source_ == Source::Files && wanted_ && edit_->hasFocus())
        updateList();
}

void AddressCompleter::updateList()
{
    if (!wanted_ || !edit_->hasFocus()) {
        hideList(false);
        return;
    }
    setCompletionPrefix(edit_->text());
    if (completionCount() == 0) {
        hideList(false);
        return;
    }
    showList();
}

void AddressCompleter::showList()
{
    list_->clearSelection();
    list_->setCurrentIndex(QModelIndex());
    const int rows = std::min(completionCount(), kVisibleRows);
    const int rowHeight = std::max(1, list_->sizeHintForRow(0));
    const int frame = 2 * list_->frameWidth();
    QRect area(edit_->mapToGlobal(QPoint(0, edit_->height())),
               QSize(std::max(edit_->width(), kMinimumListWidth), rows * rowHeight + frame));
    // Above the box when there is no room below it.
    if (const QScreen* screen = edit_->screen()) {
        const QRect available = screen->availableGeometry();
        if (area.bottom() > available.bottom())
            area.moveBottom(edit_->mapToGlobal(QPoint(0, 0)).y() - 1);
        if (area.right() > available.right())
            area.moveRight(available.right());
    }
    list_->setGeometry(area);
    list_->show();
}

void AddressCompleter::hideList(bool dismissed)
{
    if (dismissed)
        setWanted(false);
    if (list_)
        list_->hide();
}

void AddressCompleter::highlight(int row)
{
    if (row < 0) {
        list_->setCurrentIndex(QModelIndex());
        list_->clearSelection();
        settingText_ = true;
        edit_->setText(typed_);
        settingText_ = false;
        return;
    }
    const QModelIndex index = completionModel()->index(row, 0);
    list_->setCurrentIndex(index);
    list_->scrollTo(index);
    setCurrentRow(row);
    settingText_ = true;
    edit_->setText(currentCompletion());
    settingText_ = false;
}

void AddressCompleter::take(int row)
{
    if (row >= 0 && setCurrentRow(row)) {
        settingText_ = true;
        edit_->setText(currentCompletion());
        settingText_ = false;
        typed_ = edit_->text();
    }
    hideList(true);
}

bool AddressCompleter::listKey(int key)
{
    const int count = completionCount();
    const int current = list_->currentIndex().isValid() ? list_->currentIndex().row() : -1;
    switch (key) {
    case Qt::Key_Down: highlight(std::min(current + 1, count - 1)); return true;
    case Qt::Key_Up: highlight(current - 1); return true;
    case Qt::Key_PageDown: highlight(std::min(current + kVisibleRows, count - 1)); return true;
    case Qt::Key_PageUp: highlight(current < 0 ? -1 : std::max(current - kVisibleRows, 0)); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current < 0) {
            hideList(true);
            return false;
        }
        take(current);
        return true;
    case Qt::Key_Escape: hideList(true); return true;
    default: return false;
    }
}

bool AddressCompleter::eventFilter(QObject* watched, QEvent* event)
{
    // Installed on the application only while the user types.
    if (!list_)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (watched != edit_)
            break;
        if (list_->isVisible())
            return listKey(static_cast<QKeyEvent*>(event)->key());
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            hideList(true);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click outside the list closes it and goes on to where it was aimed.
        if (watched->isWidgetType() && !list_->isAncestorOf(static_cast<QWidget*>(watched)) && watched != list_)
            hideList(true);
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Hide:
        if (watched == edit_->window() || watched == edit_)
            hideList(true);
        break;
    default: break;
    }
    return false;
}

void AddressCompleter::showContextMenu(const QPoint& position)
{
    QMenu* menu = edit_->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    // Each list the program keeps about the sites visited has its own entry.
    menu->addAction(kClearZoom, this, [] { SiteZoom::Clear(); });
    menu->addAction(kClearHistory, this, [] { AddressHistory::Clear(); });
    // Opened without waiting for it: the action runs when chosen.
    menu->popup(edit_->mapToGlobal(position));
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
    if (!edit || AddressCompleter::Of(edit))
        return;
    new AddressCompleter(edit);
}

}  // namespace platform
