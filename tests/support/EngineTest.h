#pragma once
// The set-up of the tests that start the real web engine. A test program
// whose file names SKERRYWIND_ENGINE_TEST is built as an engine test: it is
// labelled so and runs alone, beside the others.
#include "TestSupport.h"

namespace skwtest {

// Without graphics hardware the engine starts faster and quieter in
// software: its flags say so, followed by `moreFlags`, unless the caller's
// environment sets flags of its own. Before the application object.
inline void PrepareEngine(const QByteArray& moreFlags = QByteArray())
{
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", ("--disable-gpu --disable-logging " + moreFlags).trimmed());
}

}  // namespace skwtest

#define SKERRYWIND_ENGINE_TEST_MAIN(TestClass)                                                                         \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        skwtest::PrepareEngine();                                                                                      \
        return skwtest::TestMain<TestClass>(argc, argv);                                                               \
    }
