#pragma once
// What every test program shares: a fresh per-user folder set for each test,
// the recording message box, and the test main that sets them up.
#include "platform/system/Application.h"
#include "platform/system/MessageBox.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace skwtest {

// A column's name, one for each of AddColumns' types.
template <class>
using ColumnName = const char*;

// Declares a data table's columns: their types, then their names, in order.
template <class... Types>
void AddColumns(ColumnName<Types>... names)
{
    (QTest::addColumn<Types>(names), ...);
}

// A data table of one column: its type, its name, and its rows by name.
template <class T>
void AddRows(const char* column, std::initializer_list<std::pair<const char*, T>> rows)
{
    QTest::addColumn<T>(column);
    for (const auto& [name, value] : rows)
        QTest::newRow(name) << value;
}

// Points the per-user config, data, cache and runtime folders at a new empty
// temporary folder (inside `parent` when given), and has the program's
// stores read from there as in a new run. Call it in init() to give
// each test function its own. It changes the environment: no other thread
// may be reading it then.
void FreshUserFolders(const QString& parent = QString());
QString UserFolder();

// The base of a test class whose test functions each begin with new user
// folders and need nothing else set up.
class FreshFoldersTest : public QObject {
    Q_OBJECT
protected slots:
    void init() { FreshUserFolders(); }
};

// Every message box shown since the last ClearBoxes(); no box ever blocks.
const std::vector<platform::MessageBoxCall>& Boxes();
void ClearBoxes();

// Connects to the local stream socket at `path`, sends `bytes` (then ends
// the sending side when `finish`) and returns what comes back until the other
// side closes. A broken pipe ends the sending quietly.
QByteArray SendToSocket(const QString& path, const QByteArray& bytes, bool finish = false);

// The file URL of the test page `name` (in tests/data).
QString DataPage(const QString& name);

// Sets up the environment before the application object exists.
void PrepareEnvironment();

// The test main: the environment and the first user folders are set before
// any thread starts, and the application's start-up thread has ended before
// a test changes the environment again. `beforeApplication` runs after the
// environment is set, before the application object exists.
template <class TestClass>
int TestMain(int argc, char** argv, const std::function<void()>& beforeApplication = {})
{
    PrepareEnvironment();
    if (beforeApplication)
        beforeApplication();
    FreshUserFolders();
    platform::Application app(argc, argv);
    app.WaitForWarmUp();
    TestClass tc;
    return QTest::qExec(&tc, argc, argv);
}

}  // namespace skwtest

#define SKERRYWIND_TEST_MAIN(TestClass)                                                                                \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        return skwtest::TestMain<TestClass>(argc, argv);                                                               \
    }
