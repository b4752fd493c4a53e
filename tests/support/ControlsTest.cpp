#include "ControlsTest.h"

#include "TestSupport.h"

namespace skwtest {

namespace {
constexpr QRect kHostGeometry(100, 100, 300, 150);
}  // namespace

void ControlsTest::init()
{
    FreshUserFolders();
    ClearBoxes();
    host = std::make_unique<QWidget>();
    host->setGeometry(kHostGeometry);
    pointer = std::make_unique<FakePointer>();
}

void ControlsTest::cleanup()
{
    pointer.reset();
    host.reset();
}

void ControlsTest::ShowHost()
{
    host->show();
    if (!QTest::qWaitForWindowExposed(host.get()))
        qFatal("host not shown");
}

}  // namespace skwtest
