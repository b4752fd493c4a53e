// The address box's completion list: it opens only while the user types,
// never takes a click (a click anywhere closes it and arrives where it was
// aimed), walks and takes entries by key, stays closed after Escape and
// after the user moved on (also when a folder listing comes late), and the
// box's context menu clears the history.
#include "TestSupport.h"

#include "platform/engine/AddressCompleter.h"
#include "platform/engine/AddressHistory.h"
#include "platform/system/RecentStore.h"

#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWindow>

using platform::AddressCompleter;
using platform::AddressHistory;

namespace {
// A window with an address box and a button, and another window with a button.
struct Windows {
    QWidget window;
    QLineEdit* edit = new QLineEdit(&window);
    QPushButton* button = new QPushButton(QStringLiteral("Go"), &window);
    QWidget other;
    QPushButton* otherButton = new QPushButton(QStringLiteral("Other"), &other);
    AddressCompleter* completer = nullptr;

    Windows()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(button);
        window.setGeometry(100, 100, 400, 120);
        other.setGeometry(600, 100, 200, 120);
        other.show();
        window.show();
        platform::SHAutoComplete(edit, platform::SHACF_DEFAULT);
        completer = AddressCompleter::Of(edit);
    }
    bool focus()
    {
        window.windowHandle()->requestActivate();
        edit->setFocus();
        return QTest::qWaitFor([this] { return edit->hasFocus(); });
    }
};

// A press and release at the widget's centre, through its window, as the
// window system delivers them.
void clickThroughWindow(QWidget* target)
{
    QWindow* window = target->window()->windowHandle();
    const QPoint at = target->mapTo(target->window(), target->rect().center());
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, at);
}
}  // namespace

class TestAddressCompleter : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        skwtest::FreshUserFolders();
        for (const char* address : {"file:///srv/visited-two.html", "file:///srv/visited-one.html",
                                    "file:///srv/visited-two.html", "https://example.org/"})
            AddressHistory::Add(QString::fromLatin1(address));
    }

    void opensOnlyWhileTyping()
    {
        Windows w;
        QVERIFY(w.completer);
        QVERIFY(w.focus());
        w.edit->setText(QStringLiteral("visited"));  // set by the program
        QVERIFY(!w.completer->ListVisible());

        w.edit->clear();
        QTest::keyClicks(w.edit, QStringLiteral("VISITED"));
        QVERIFY(w.completer->ListVisible());
        // Most visited first, matched anywhere, in any letter case.
        QCOMPARE(w.completer->Completions(), (QStringList{"file:///srv/visited-two.html", "file:///srv/visited-one.html"}));
        QVERIFY(w.completer->List()->geometry().top() >= w.edit->mapToGlobal(QPoint(0, w.edit->height())).y());

        QTest::keyClick(w.edit, Qt::Key_Escape);
        QVERIFY(!w.completer->ListVisible());
        QCoreApplication::processEvents();
        QVERIFY(!w.completer->ListVisible());
        QTest::keyClick(w.edit, Qt::Key_Backspace);
        QVERIFY(w.completer->ListVisible());

        w.edit->setText(QStringLiteral("file:///srv/visited-one.html"));  // a page completed meanwhile
        QVERIFY(!w.completer->ListVisible());
        w.edit->clear();
        QTest::keyClicks(w.edit, QStringLiteral("nothing like it"));
        QVERIFY(!w.completer->ListVisible());
        QVERIFY(skwtest::Boxes().empty());
    }

    void clickWhileOpen_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("buttonClicks");
        QTest::addColumn<int>("otherClicks");
        QTest::addColumn<QString>("text");
        QTest::newRow("a button of the same window") << "button" << 1 << 0 << "visited";
        QTest::newRow("a button of another window") << "other" << 0 << 1 << "visited";
        QTest::newRow("an entry of the list") << "list" << 0 << 0 << "file:///srv/visited-one.html";
    }
    // Nothing grabs the pointer: the first click goes where it was aimed and
    // closes the list on its way.
    void clickWhileOpen()
    {
        QFETCH(QString, target);
        QFETCH(int, buttonClicks);
        QFETCH(int, otherClicks);
        QFETCH(QString, text);
        Windows w;
        QSignalSpy button(w.button, &QPushButton::clicked);
        QSignalSpy other(w.otherButton, &QPushButton::clicked);
        QVERIFY(w.focus());
        QTest::keyClicks(w.edit, QStringLiteral("visited"));
        QVERIFY(w.completer->ListVisible());

        if (target == "list") {
            QListView* list = w.completer->List();
            QVERIFY(QTest::qWaitForWindowExposed(list));
            const QRect row = list->visualRect(list->model()->index(1, 0));
            QTest::mouseClick(list->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              list->viewport()->mapTo(list, row.center()));
        } else {
            clickThroughWindow(target == "button" ? static_cast<QWidget*>(w.button) : w.otherButton);
        }

        QCOMPARE(button.size(), buttonClicks);
        QCOMPARE(other.size(), otherClicks);
        QVERIFY(!w.completer->ListVisible());
        QCOMPARE(w.edit->text(), text);
        QCoreApplication::processEvents();
        QVERIFY(!w.completer->ListVisible());
    }

    // Down and Up walk the list and show the entry in the box; Up past the
    // first gives back what was typed; Enter takes the entry.
    void keysWhileOpen()
    {
        Windows w;
        QVERIFY(w.focus());
        QTest::keyClicks(w.edit, QStringLiteral("srv"));
        QCOMPARE(w.completer->Completions().size(), 2);

        QTest::keyClick(w.edit, Qt::Key_Down);
        QCOMPARE(w.edit->text(), QStringLiteral("file:///srv/visited-two.html"));
        QTest::keyClick(w.edit, Qt::Key_Down);
        QTest::keyClick(w.edit, Qt::Key_Down);
        QCOMPARE(w.edit->text(), QStringLiteral("file:///srv/visited-one.html"));
        QVERIFY(w.completer->ListVisible());
        QTest::keyClick(w.edit, Qt::Key_Up);
        QTest::keyClick(w.edit, Qt::Key_Up);
        QCOMPARE(w.edit->text(), QStringLiteral("srv"));
        QTest::keyClick(w.edit, Qt::Key_PageDown);
        QTest::keyClick(w.edit, Qt::Key_Return);
        QCOMPARE(w.edit->text(), QStringLiteral("file:///srv/visited-one.html"));
        QVERIFY(!w.completer->ListVisible());
    }

    // A folder is listed in the background. The list opens with its entries
    // when they come while the user is still typing, and not once the user
    // has moved on.
    void lateFolderListing_data()
    {
        QTest::addColumn<QString>("movedOn");
        QTest::newRow("still typing") << "";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("clicked a button") << "click";
        QTest::newRow("focus elsewhere") << "focus";
    }
    void lateFolderListing()
    {
        QFETCH(QString, movedOn);
        QTemporaryDir dir;
        for (const char* name : {"alpha.html", "alpine.html"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Windows w;
        QVERIFY(w.focus());
        QTest::keyClicks(w.edit, QStringLiteral("file://") + dir.path() + QStringLiteral("/al"));
        auto* files = w.edit->findChild<QFileSystemModel*>();
        QVERIFY(files);
        QSignalSpy listed(files, &QFileSystemModel::directoryLoaded);
        QVERIFY(!w.completer->ListVisible());  // nothing listed yet

        if (movedOn == "escape")
            QTest::keyClick(w.edit, Qt::Key_Escape);
        else if (movedOn == "click")
            clickThroughWindow(w.button);
        else if (movedOn == "focus")
            w.button->setFocus();

        QVERIFY(listed.wait());
        QCoreApplication::processEvents();
        QCOMPARE(w.completer->ListVisible(), movedOn.isEmpty());
        if (movedOn.isEmpty()) {
            const QString prefix = QStringLiteral("file://") + dir.path();
            QCOMPARE(w.completer->Completions(), (QStringList{prefix + "/alpha.html", prefix + "/alpine.html"}));
        }
    }

    // The box's own menu offers to clear the history, without waiting for
    // the choice; the list and the file follow.
    void contextMenuClearsHistory()
    {
        Windows w;
        QVERIFY(w.focus());
        emit w.edit->customContextMenuRequested(QPoint(5, 5));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction* clear = nullptr;
        for (QAction* action : menu->actions())
            if (action->text() == QStringLiteral("Clear address history"))
                clear = action;
        QVERIFY(clear);
        QVERIFY(menu->actions().size() > 2);  // the box's usual commands too
        clear->trigger();
        menu->close();

        QVERIFY(AddressHistory::Addresses().isEmpty());
        QFile file(AddressHistory::Store().FilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("skerrywind address history 1\n"));
        QTest::keyClicks(w.edit, QStringLiteral("visited"));
        QVERIFY(!w.completer->ListVisible());
    }
};

SKERRYWIND_TEST_MAIN(TestAddressCompleter)
#include "test_AddressCompleter.moc"
