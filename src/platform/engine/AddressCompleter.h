#pragma once
// Completion for an address box: the addresses visited in this run (matched
// anywhere in the address, letter case ignored) and, for text that starts
// with "/" or "file:", the paths of the file system. It works only as the
// user types; nothing runs in between.
#include <QCompleter>

class QFileSystemModel;
class QLineEdit;

namespace platform {

inline constexpr int SHACF_DEFAULT = 0;

class AddressCompleter : public QCompleter {
    Q_OBJECT
public:
    explicit AddressCompleter(QLineEdit* edit);

    QStringList splitPath(const QString& path) const override;
    QString pathFromIndex(const QModelIndex& index) const override;

private:
    enum class Source { Visited, Files };

    void textEdited(const QString& text);
    void useSource(Source source);

    QLineEdit* edit_;
    Source source_ = Source::Visited;
    // Made on the first path typed; the line edit owns it, so that the
    // completer does not delete it when it changes to the visited list.
    QFileSystemModel* files_ = nullptr;
    // The "file:" or "file://" the typed path starts with, given back with
    // each completion.
    QString filePrefix_;
};

// Gives the text box (a line edit) address completion; anything else is
// left as it is. The flags are accepted for the shell's signature.
void SHAutoComplete(QWidget* hWnd, int flags);

}  // namespace platform
