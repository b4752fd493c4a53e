#include "EngineTest.h"

namespace skwtest {

namespace {
constexpr char kEngineFlags[] = "--disable-gpu --disable-logging";
}  // namespace

void PrepareEngine(const char* moreFlags)
{
    if (!qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        return;
    QByteArray flags(kEngineFlags);
    if (moreFlags)
        flags += QByteArray(" ") + moreFlags;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

}  // namespace skwtest
