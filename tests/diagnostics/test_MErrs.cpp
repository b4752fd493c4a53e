// The error report's box, and untrapped failures at the event-loop boundary.
#include "TestSupport.h"

#include "diagnostics/MErrs.h"
#include "platform/forms/Timer.h"
#include "platform/system/AppError.h"

#include <QTimer>

class TestMErrs : public QObject {
    Q_OBJECT
private slots:
    void init() { skwtest::ClearBoxes(); }

    void reportNamesTheErrorAndThePlace()
    {
        try {
            platform::Raise(platform::errTypeMismatch);
        } catch (...) {
            MErrs::ReportError("frmMain", "Form_Load", platform::Err().Number);
        }
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        const auto& box = skwtest::Boxes()[0];
        QCOMPARE(box.Title, QStringLiteral("Error! (13)"));
        QCOMPARE(box.Prompt, QStringLiteral("Type mismatch\r\n\r\nOccured in: frmMain::Form_Load"));
        QCOMPARE(box.Buttons, 48);
    }

    void negativeNumberAndEmptyDescription()
    {
        try {
            throw platform::AppError(-2147467259, QString());
        } catch (...) {
            MErrs::ReportError("MReg", "RegSaveFormPos", platform::Err().Number);
        }
        const auto& box = skwtest::Boxes().at(0);
        QCOMPARE(box.Title, QStringLiteral("Error! (-2147467259)"));
        QCOMPARE(box.Prompt, QStringLiteral("\r\n\r\nOccured in: MReg::RegSaveFormPos"));
    }

    void foreignExceptionsAreReportedToo()
    {
        try {
            throw std::runtime_error("disk on fire");
        } catch (...) {
            MErrs::ReportError("frmToolbar", "cmdStop_Click", platform::Err().Number);
        }
        const auto& box = skwtest::Boxes().at(0);
        QCOMPARE(box.Title, QStringLiteral("Error! (-2147467259)"));
        QVERIFY(box.Prompt.startsWith(QStringLiteral("disk on fire\r\n\r\n")));
    }

    // A failure no handler traps is shown in a box and the program goes on.
    void untrappedFailureInAnEventIsShownAndTheLoopGoesOn()
    {
        int ticks = 0;
        QTimer::singleShot(0, qApp, [] { platform::Raise(platform::errOverflow); });
        QTimer::singleShot(0, qApp, [&] { ++ticks; });
        QTRY_COMPARE(ticks, 1);
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Title, QStringLiteral("Skerwind32"));
        QVERIFY(skwtest::Boxes()[0].Prompt.contains(QStringLiteral("Overflow")));
    }

    // A runtime timer whose tick fails keeps ticking.
    void failingTimerTickIsShownAndTheTimerRuns()
    {
        int ticks = 0;
        platform::Timer timer(nullptr, [&] {
            ++ticks;
            platform::Raise(platform::errInvalidProcedureCall);
        });
        timer.SetInterval(1);
        timer.SetEnabled(true);
        QTRY_VERIFY(ticks >= 3);
        QCOMPARE(skwtest::Boxes().size(), size_t(ticks));
    }
};

SKERRYWIND_TEST_MAIN(TestMErrs)
#include "test_MErrs.moc"
