// The forms runtime: single instances loaded on first reference, modal and
// modeless display, unloading and the end of the program; and its timers.
#include "FormsTest.h"
#include "TestSupport.h"

#include "platform/forms/Forms.h"
#include "platform/forms/Timer.h"
#include "platform/system/Runtime.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace {
QStringList events;

class frmFirst : public platform::Form {
public:
    frmFirst() : Form(QStringLiteral("frmFirst"))
    {
        SetClientSize(3000, 1500);
        SetKeyPreview(true);
    }
    QLineEdit* edit = new QLineEdit(this);
    bool cancelNextUnload = false;

protected:
    void Form_Load() override { events << QStringLiteral("first load"); }
    void Form_Unload(int16_t& Cancel) override
    {
        events << QStringLiteral("first unload");
        if (cancelNextUnload) {
            cancelNextUnload = false;
            Cancel = -1;
        }
    }
    void Form_KeyDown(int16_t& KeyCode, int16_t& Shift) override
    {
        events << QStringLiteral("key %1 %2").arg(KeyCode).arg(Shift);
    }
    void Form_Activate() override { events << QStringLiteral("first activate"); }
    void Form_Deactivate() override { events << QStringLiteral("first deactivate"); }
};

class frmSecond : public platform::Form {
public:
    frmSecond() : Form(QStringLiteral("frmSecond")) { SetClientSize(1500, 1500); }

protected:
    void Form_Load() override
    {
        events << QStringLiteral("second load");
        // Referring to a form from inside a load handler finds the loaded one.
        platform::Forms<frmSecond>();
    }
    void Form_Unload(int16_t&) override { events << QStringLiteral("second unload"); }
    void Form_Activate() override { events << QStringLiteral("second activate"); }
    void Form_Deactivate() override { events << QStringLiteral("second deactivate"); }
};
}  // namespace

class TestForms : public QObject {
    Q_OBJECT

    int lastFormActions = 0;

private slots:
    void initTestCase()
    {
        platform::FormRegistry::SetLastFormAction([this] { ++lastFormActions; });
    }
    void init()
    {
        events.clear();
        lastFormActions = 0;
    }
    void cleanup() { skwtest::UnloadForms<frmSecond, frmFirst>(); }

    void loadedOnFirstReferenceOnly()
    {
        QVERIFY(!platform::FormRegistry::IsLoaded<frmFirst>());
        frmFirst& a = platform::Forms<frmFirst>();
        frmFirst& b = platform::Forms<frmFirst>();
        QCOMPARE(&a, &b);
        QCOMPARE(events, QStringList{QStringLiteral("first load")});
        QVERIFY(!a.Visible());
        QCOMPARE(a.Name(), QStringLiteral("frmFirst"));
    }

    void programEndsWhenTheLastFormIsUnloaded()
    {
        platform::Forms<frmFirst>().Show();
        platform::Forms<frmSecond>().Show(platform::vbModeless, &platform::Forms<frmFirst>());
        platform::Forms<frmSecond>().Unload();
        QCOMPARE(lastFormActions, 0);
        QCOMPARE(platform::FormRegistry::LoadedCount(), 1);
        platform::Forms<frmFirst>().Unload();
        QCOMPARE(lastFormActions, 1);
        QCOMPARE(platform::FormRegistry::LoadedCount(), 0);
    }

    void referenceAfterUnloadLoadsAfresh()
    {
        platform::Forms<frmFirst>().Unload();
        platform::Forms<frmFirst>();
        QCOMPARE(events, (QStringList{"first load", "first unload", "first load"}));
    }

    void cancelledUnloadKeepsTheForm()
    {
        frmFirst& f = platform::Forms<frmFirst>();
        f.cancelNextUnload = true;
        f.Unload();
        QVERIFY(platform::FormRegistry::IsLoaded<frmFirst>());
        QCOMPARE(lastFormActions, 0);
    }

    // Closing a window by its own means unloads it; the forms it owns go
    // through their own unload with it.
    void closingTheOwnerUnloadsOwnedForms()
    {
        frmFirst& owner = platform::Forms<frmFirst>();
        owner.Show();
        platform::Forms<frmSecond>().Show(platform::vbModeless, &owner);
        owner.close();
        QCOMPARE(platform::FormRegistry::LoadedCount(), 0);
        QVERIFY(events.contains(QStringLiteral("second unload")));
        QCOMPARE(lastFormActions, 1);
    }

    void modalShowReturnsWhenHidden()
    {
        frmFirst& owner = platform::Forms<frmFirst>();
        owner.Show();
        bool hiddenFromInside = false;
        QTimer::singleShot(0, qApp, [&] {
            QVERIFY(platform::Forms<frmSecond>().isModal());
            platform::Forms<frmSecond>().Hide();
            hiddenFromInside = true;
        });
        platform::Forms<frmSecond>().Show(platform::vbModal, &owner);
        QVERIFY(hiddenFromInside);
        QVERIFY(!platform::Forms<frmSecond>().Visible());
        QVERIFY(platform::FormRegistry::IsLoaded<frmSecond>());
    }

    void outerSizeIncludesTheDesignFrameAndPositionIsInTwips()
    {
        platform::SetTwipsPerPixelOverride(15);
        frmFirst& f = platform::Forms<frmFirst>();
        QCOMPARE(f.Width(), 3000.0f);
        f.SetLeft(1500);
        f.SetTop(-300);
        f.SetWidth(4500);
        QCOMPARE(f.Left(), 1500.0f);
        QCOMPARE(f.Top(), -300.0f);
        QCOMPARE(f.width(), 300);
        platform::SetTwipsPerPixelOverride(0);
    }

    void keyPreviewSeesKeysBeforeTheFocusedControl()
    {
        frmFirst& f = platform::Forms<frmFirst>();
        f.Show();
        f.edit->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        events.clear();
        QTest::keyClick(f.edit, Qt::Key_F4, Qt::ShiftModifier);
        QTest::keyClick(f.edit, Qt::Key_A);
        QCOMPARE(events, (QStringList{"key 16 1", "key 115 1", "key 65 0"}));
        QCOMPARE(f.edit->text(), QStringLiteral("a"));  // the key is not consumed
    }

    // Activation moves between the program's own forms only.
    void activationBetweenOwnForms()
    {
        frmFirst& first = platform::Forms<frmFirst>();
        first.Show();
        QVERIFY(QTest::qWaitForWindowActive(&first));
        frmSecond& second = platform::Forms<frmSecond>();
        second.Show(platform::vbModeless, &first);
        QTRY_COMPARE(QGuiApplication::focusWindow(), second.windowHandle());
        first.windowHandle()->requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), first.windowHandle());
        const QStringList expected{"first deactivate", "second activate", "second deactivate", "first activate"};
        QVERIFY2(events.join(',').contains(expected.join(',')), qPrintable(events.join(',')));
    }

    // A tick still running (it let events run) is not started inside itself;
    // a disabled timer misses the wake-ups its interval still has.
    void timerTicksAreNotReentered()
    {
        int depth = 0, maxDepth = 0, ticks = 0;
        platform::Timer timer(nullptr, [&] {
            ++ticks;
            maxDepth = std::max(maxDepth, ++depth);
            timer.Fire();
            --depth;
        });
        timer.SetInterval(2);
        timer.SetEnabled(true);
        QTRY_VERIFY(ticks >= 3);
        QCOMPARE(maxDepth, 1);
        timer.SetEnabled(false);
        const int stopped = ticks;
        int others = 0;
        platform::Timer other(nullptr, [&] { ++others; });
        other.SetInterval(2);
        other.SetEnabled(true);
        QTRY_VERIFY(others >= 3);
        QCOMPARE(ticks, stopped);
    }

    // A pointer poll whose inputs did not change is not ticked; a change of
    // the pointer state or of its own control's state ticks it again.
    void pointerPollsSleepWhileNothingChanges()
    {
        int polls = 0;
        platform::Timer poll(nullptr, [&] { ++polls; });
        poll.SetInterval(3);
        poll.SetPollsPointer(true);
        poll.SetEnabled(true);
        QTRY_COMPARE(polls, 1);
        // An ordinary timer of the same interval keeps the shared wake-up
        // going; the poll is left out of every one of them.
        int plain = 0;
        platform::Timer other(nullptr, [&] { ++plain; });
        other.SetInterval(3);
        other.SetEnabled(true);
        QTRY_VERIFY(plain >= 5);
        QCOMPARE(polls, 1);
        platform::Timer::PointerStateChanged();
        QTRY_COMPARE(polls, 2);
        poll.Recheck();
        QTRY_COMPARE(polls, 3);

        // Enabled again, it looks afresh.
        poll.SetEnabled(false);
        poll.SetEnabled(true);
        QTRY_COMPARE(polls, 4);
    }
};

SKERRYWIND_TEST_MAIN(TestForms)
#include "test_Forms.moc"
