#pragma once
// Completion for an address box: the address history (matched anywhere in
// the address, letter case ignored) and, for text that starts with "/" or
// "file:", the paths of the file system.
//
// The list opens only while the user types, under the box, in a window that
// takes neither the focus nor the pointer: a click anywhere (Go, the page,
// another window) closes it and goes where it was aimed. Up and Down walk
// the list and put the address into the box; Enter takes it; Escape closes
// the list, which then stays closed until the user types again. A folder
// listing that arrives after the user has moved on does not reopen it.
//
// The box's context menu also offers "Clear site zoom" and "Clear address
// history".
#include <QCompleter>

class QFileSystemModel;
class QLineEdit;
class QListView;

namespace platform {

inline constexpr int SHACF_DEFAULT = 0;

class AddressCompleter : public QCompleter {
    Q_OBJECT
public:
    explicit AddressCompleter(QLineEdit* edit);
    ~AddressCompleter() override;

    // The completer of a box, if it has one.
    static AddressCompleter* Of(QLineEdit* edit);

    // Whether the list is open, and the addresses it shows.
    bool ListVisible() const;
    QStringList Completions();

    QStringList splitPath(const QString& path) const override;
    QString pathFromIndex(const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Source { History, Files };

    void makeList();
    void setWanted(bool wanted);
    void textEdited(const QString& text);
    void textChanged(const QString& text);
    void useSource(Source source);
    void directoryLoaded();
    // Fills the list for the box's text and shows it when it has rows, or
    // hides it.
    void updateList();
    void showList();
    // Closes the list; `dismissed` keeps it closed until the user types.
    void hideList(bool dismissed);
    void highlight(int row);
    void take(int row);
    bool listKey(int key);
    void showContextMenu(const QPoint& position);

    QLineEdit* edit_;
    // Made when the user first types.
    QListView* list_ = nullptr;
    Source source_ = Source::History;
    // Made on the first path typed; the line edit owns it, so that the
    // completer does not delete it when it changes back to the history.
    QFileSystemModel* files_ = nullptr;
    // The "file:" or "file://" the typed path starts with, given back with
    // each completion.
    QString filePrefix_;
    // The user is typing: the list may open (also when a folder's listing
    // arrives). Cleared when the user moves on.
    bool wanted_ = false;
    // What the user typed last, given back when Up leaves the list.
    QString typed_;
    // The box's text is being set from the list.
    bool settingText_ = false;
};

// Gives the text box (a line edit) address completion; anything else is
// left as it is. The flags are accepted for the shell's signature.
void SHAutoComplete(QWidget* hWnd, int flags);

}  // namespace platform
