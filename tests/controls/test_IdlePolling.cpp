// The hover poll at rest: with the program's own pointer tracking, a tick that
// finds no transition draws nothing and allocates nothing; the remembered
// window under the pointer is dropped as soon as windows change.
#include "FakePointer.h"
#include "TestSupport.h"

#include "controls/HyperLblCtl.h"
#include "controls/SoftButton.h"
#include "controls/SoftText.h"
#include "platform/pointer/Pointer.h"

#include <QEnterEvent>

#include <cstdlib>
#include <new>

namespace {
// Only the thread under test counts: the library's own threads (fonts, the
// session bus) allocate whenever they like.
long allocations = 0;
thread_local bool counting = false;
}  // namespace

// Counts every allocation through operator new on this thread while
// `counting` is set.
void* operator new(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

class TestIdlePolling : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> host;
    QList<QObject*> controls;

    void FireAll()
    {
        for (QObject* control : controls)
            skwtest::FireTimer(control, qobject_cast<HyperLblCtl*>(control) ? "Timer1" : "tmrMouseMonitor");
    }
    long AllocationsOver(int rounds)
    {
        allocations = 0;
        counting = true;
        for (int i = 0; i < rounds; ++i)
            FireAll();
        counting = false;
        return allocations;
    }
    static void PointerMovesOnto(QWidget* widget)
    {
        skwtest::SendMouse(widget, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, widget->rect().center());
    }

private slots:
    void init()
    {
        host = std::make_unique<QWidget>();
        host->setGeometry(100, 100, 400, 300);
        controls.clear();
        // The program's ten instances: four buttons, three text boxes, three links.
        for (int i = 0; i < 4; ++i) {
            auto* cmd = new SoftButton(host.get(), QStringLiteral("cmd%1").arg(i), {{"border", 2}});
            cmd->Move(150, 150 + i * 500, 1200, 450);
            controls << cmd;
        }
        for (int i = 0; i < 3; ++i) {
            auto* txt = new SoftText(host.get(), QStringLiteral("txt%1").arg(i), {{"ttext", ""}});
            txt->Move(1800, 150 + i * 500, 2400, 285);
            controls << txt;
        }
        for (int i = 0; i < 3; ++i) {
            auto* link = new HyperLblCtl(host.get(), QStringLiteral("link%1").arg(i), {{"label", "link"}});
            link->Move(4500, 150 + i * 500, 0, 0);
            controls << link;
        }
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    }
    void cleanup() { host.reset(); }

    void idleTicksAllocateNothing_data()
    {
        QTest::addColumn<int>("restingOn");  // index into the controls, -1 for the form
        QTest::newRow("over a button") << 0;
        QTest::newRow("over a text box") << 4;
        QTest::newRow("over a link") << 8;
        QTest::newRow("over the form") << -1;
    }
    void idleTicksAllocateNothing()
    {
        QFETCH(int, restingOn);
        QWidget* target = restingOn < 0 ? host.get() : static_cast<QWidget*>(controls[restingOn]);
        if (auto* txt = qobject_cast<SoftText*>(target))
            target = txt->TextBox_hWnd();
        PointerMovesOnto(target);
        // The transitions draw and repaint; let them settle.
        FireAll();
        QCoreApplication::processEvents();
        FireAll();
        QCoreApplication::processEvents();

        QCOMPARE(AllocationsOver(200), 0L);

        // The count is live: a tick with a transition draws, and drawing allocates.
        PointerMovesOnto(static_cast<SoftButton*>(controls[1])->findChild<QWidget*>(QStringLiteral("Cover")));
        QVERIFY(AllocationsOver(1) > 0);
    }

    void windowUnderThePointerFollowsWindowChanges()
    {
        auto* cmd = static_cast<SoftButton*>(controls[0]);
        QWidget* cover = cmd->findChild<QWidget*>(QStringLiteral("Cover"));
        PointerMovesOnto(cover);
        platform::POINTAPI pt;
        platform::GetCursorPos(pt);
        QCOMPARE(QPoint(pt.x, pt.y), cover->mapToGlobal(cover->rect().center()));
        QCOMPARE(platform::WindowFromPoint(pt.x, pt.y), cmd);  // labels are windowless

        QWidget lid(host.get());
        lid.setGeometry(cmd->geometry());
        lid.show();
        QCOMPARE(platform::WindowFromPoint(pt.x, pt.y), &lid);
        lid.hide();
        QCOMPARE(platform::WindowFromPoint(pt.x, pt.y), cmd);
        cmd->move(cmd->pos() + QPoint(200, 0));
        QCOMPARE(platform::WindowFromPoint(pt.x, pt.y), host.get());

        // Leaving the program's window: nothing of ours is under the pointer.
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(host.get(), &leave);
        QCOMPARE(platform::WindowFromPoint(pt.x, pt.y), nullptr);
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), host->mapToGlobal(QPointF(10, 10)));
        QCoreApplication::sendEvent(host.get(), &enter);
        platform::GetCursorPos(pt);
        QCOMPARE(platform::WindowFromPoint(pt.x, pt.y), host.get());
    }
};

SKERRYWIND_TEST_MAIN(TestIdlePolling)
#include "test_IdlePolling.moc"
