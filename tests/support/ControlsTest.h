#pragma once
// The fixture of the tests of the flat controls: before each test function
// fresh user folders, no message boxes, a host window 300 x 150 pixels at
// (100, 100) and a pointer the test moves by hand; after it, the pointer and
// the host (with the controls on it) gone. A test class derives from it,
// and calls its init() and cleanup() from its own where it has them.
#include "FakePointer.h"
#include "TestSupport.h"

#include "platform/drawing/OleColor.h"
#include "platform/forms/PropertyBag.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <memory>

namespace skwtest {

// The colours the controls draw their frames in (0x00BBGGRR); a test names
// them after `using namespace skwtest::frame;`.
namespace frame {
constexpr platform::OLE_COLOR kLightGrey = 0xE0E0E0;
constexpr platform::OLE_COLOR kGrey = 0x808080;
constexpr platform::OLE_COLOR kBlack = 0x000000;
constexpr platform::OLE_COLOR kWhite = 0xFFFFFF;
}  // namespace frame

class ControlsTest : public QObject {
    Q_OBJECT
protected:
    // A control loaded from `bag` and moved to `left`, `top`, `width`,
    // `height` (twips) on the host, which is shown.
    template <class Control>
    Control* PlaceOnHost(const QString& name, const platform::PropertyBag& bag, float left, float top, float width,
                         float height)
    {
        auto* control = new Control(host.get(), name, bag);
        control->Move(left, top, width, height);
        ShowHost();
        return control;
    }
    // Shows the host and waits until it is exposed; a host that never shows
    // ends the test program.
    void ShowHost()
    {
        host->show();
        if (!QTest::qWaitForWindowExposed(host.get()))
            qFatal("host not shown");
    }

    std::unique_ptr<QWidget> host;
    std::unique_ptr<FakePointer> pointer;

protected slots:
    void init()
    {
        FreshUserFolders();
        ClearBoxes();
        host = std::make_unique<QWidget>();
        host->setGeometry(100, 100, 300, 150);
        pointer = std::make_unique<FakePointer>();
    }
    // The pointer first: it stands in for the program's own tracking.
    void cleanup()
    {
        pointer.reset();
        host.reset();
    }
};

}  // namespace skwtest
