#pragma once
// What every test program shares: a fresh per-user folder set for each test,
// the recording message box, and the test main that sets them up.
#include "platform/system/Application.h"
#include "platform/system/MessageBox.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace skwtest {

// Points the per-user config, data and cache folders at a new empty
// temporary folder, and has the program's stores read from there as in a
// new run. Call it in init() to give each test function its own.
void FreshUserFolders();
QString UserFolder();

// Every message box shown since the last ClearBoxes(); no box ever blocks.
const std::vector<platform::MessageBoxCall>& Boxes();
void ClearBoxes();

// Sets up the environment before the application object exists.
void PrepareEnvironment();

}  // namespace skwtest

#define SKERRYWIND_TEST_MAIN(TestClass)                    \
    int main(int argc, char** argv)                        \
    {                                                      \
        skwtest::PrepareEnvironment();                     \
        platform::Application app(argc, argv);             \
        app.WaitForWarmUp(); /* it reads the environment */ \
        skwtest::FreshUserFolders();                       \
        TestClass tc;                                      \
        return QTest::qExec(&tc, argc, argv);              \
    }
