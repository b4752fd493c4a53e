// Window placements: what is stored when a form unloads, and how stored texts
// are applied when it loads, including texts that are not plain numbers.
#include "TestSupport.h"

#include "platform/AppError.h"
#include "platform/Forms.h"
#include "platform/Runtime.h"
#include "platform/Settings.h"
#include "settings/MReg.h"

#include <QFile>

namespace {
const QString kApp = QStringLiteral("Skerwind32");

class frmPlaced : public platform::Form {
public:
    frmPlaced() : Form(QStringLiteral("frmPlaced"))
    {
        SetDesignFrame(120, 405);
        SetClientSize(4575, 3015);
        move(20, 30);
    }
};

void store(const QString& key, const QString& value)
{
    platform::SaveSetting(kApp, QStringLiteral("frmPlaced"), key, value);
}
QString stored(const QString& key)
{
    return platform::GetSetting(kApp, QStringLiteral("frmPlaced"), key, QStringLiteral("<none>"));
}
}  // namespace

class TestMReg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { platform::FormRegistry::SetLastFormAction([] {}); }
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        // One twip per pixel, so that every whole value shows as it is applied.
        platform::SetTwipsPerPixelOverride(1);
    }
    void cleanup()
    {
        platform::FormRegistry::UnloadIfLoaded<frmPlaced>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform::SetTwipsPerPixelOverride(0);
    }

    void valueOfAStoredText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("error");
        QTest::newRow("whole") << "1500" << 1500 << 0;
        QTest::newRow("negative") << "-300" << -300 << 0;
        QTest::newRow("plus sign") << "+42" << 42 << 0;
        QTest::newRow("trailing letters") << "250px" << 250 << 0;
        QTest::newRow("letters only") << "abc" << 0 << 0;
        QTest::newRow("sign alone") << "-" << 0 << 0;
        QTest::newRow("point alone") << "." << 0 << 0;
        QTest::newRow("NaN") << "NaN" << 0 << 0;
        QTest::newRow("Infinity") << "Infinity" << 0 << 0;
        QTest::newRow("hex is not read") << "0x10" << 0 << 0;
        QTest::newRow("comma ends the number") << "1,5" << 1 << 0;
        QTest::newRow("blank ends the number") << "1 000" << 1 << 0;
        QTest::newRow("leading blanks") << "  77" << 77 << 0;
        QTest::newRow("half to even, down") << "12.5" << 12 << 0;
        QTest::newRow("half to even, up") << "13.5" << 14 << 0;
        QTest::newRow("negative half") << "-12.5" << -12 << 0;
        QTest::newRow("just above half") << "12.500001" << 13 << 0;
        QTest::newRow("fraction only") << ".51" << 1 << 0;
        QTest::newRow("exponent") << "2.5e2" << 250 << 0;
        QTest::newRow("exponent with sign and letters") << "15E+2twips" << 1500 << 0;
        QTest::newRow("letter without exponent digits") << "7e" << 7 << 0;
        QTest::newRow("exponent sign without digits") << "7e-" << 7 << 0;
        QTest::newRow("negative exponent") << "1234e-2" << 12 << 0;
        QTest::newRow("tiny") << "1e-300" << 0 << 0;
        QTest::newRow("below a double") << "1e-999999999999" << 0 << 0;
        QTest::newRow("largest") << "2147483647" << 2147483647 << 0;
        QTest::newRow("smallest") << "-2147483648" << int(-2147483647 - 1) << 0;
        QTest::newRow("smallest, half to even") << "-2147483648.5" << int(-2147483647 - 1) << 0;
        QTest::newRow("just too large") << "2147483648" << 0 << 6;
        QTest::newRow("rounds out of range") << "2147483647.5" << 0 << 6;
        QTest::newRow("1e20") << "1e20" << 0 << 6;
        QTest::newRow("-1e20") << "-1e20" << 0 << 6;
        QTest::newRow("huge exponent") << "1e99999999999999999999" << 0 << 6;
        QTest::newRow("1 MB of digits") << QString(1 << 20, u'9') << 0 << 6;
        QTest::newRow("1 MB of zeros, then 7") << QString(1 << 20, u'0') + u'7' << 7 << 0;
        QTest::newRow("1 MB of decimals") << QStringLiteral("3.") + QString(1 << 20, u'4') << 3 << 0;
        QTest::newRow("leading zeros and exponent") << "0.000015e6" << 15 << 0;
    }
    void valueOfAStoredText()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(int, error);
        try {
            QCOMPARE(MReg::PlacementValue(text), value);
            QCOMPARE(error, 0);
        } catch (const platform::AppError& e) {
            QCOMPARE(e.Number(), error);
        }
    }

    void textOfACoordinate_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 1500.0f << "1500";
        QTest::newRow("negative") << -300.0f << "-300";
        QTest::newRow("zero") << 0.0f << "0";
        QTest::newRow("negative zero") << -0.0f << "0";
        QTest::newRow("fraction") << 1234.5f << "1234.5";
        QTest::newRow("large whole, no exponent") << 123456792.0f << "123456792";
    }
    void textOfACoordinate()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(MReg::PlacementText(value), text);
        QCOMPARE(float(MReg::PlacementValue(text)), std::nearbyint(value));
    }

    void nothingStoredLeavesTheForm()
    {
        frmPlaced& f = platform::Forms<frmPlaced>();
        MReg::RegLoadFormPos(f);
        QCOMPARE(f.Left(), 20.0f);
        QCOMPARE(f.Top(), 30.0f);
        QCOMPARE(f.Width(), 4695.0f);
        QVERIFY(skwtest::Boxes().empty());
    }

    void partialRecordAppliesOnlyWhatIsStored()
    {
        store(QStringLiteral("Left"), QStringLiteral("700"));
        store(QStringLiteral("Height"), QStringLiteral("1000"));
        frmPlaced& f = platform::Forms<frmPlaced>();
        MReg::RegLoadFormPos(f);
        QCOMPARE(f.Left(), 700.0f);
        QCOMPARE(f.Top(), 30.0f);
        QCOMPARE(f.Width(), 4695.0f);
        QCOMPARE(f.Height(), 1000.0f);
        QVERIFY(skwtest::Boxes().empty());
    }

    void textsThatAreNotPlainNumbers()
    {
        store(QStringLiteral("Left"), QStringLiteral("abc"));
        store(QStringLiteral("Top"), QStringLiteral("250px"));
        store(QStringLiteral("Width"), QStringLiteral("-"));
        frmPlaced& f = platform::Forms<frmPlaced>();
        MReg::RegLoadFormPos(f);
        QCOMPARE(f.Left(), 0.0f);
        QCOMPARE(f.Top(), 250.0f);
        QCOMPARE(f.width(), 0);  // no client area left inside the design frame
        QVERIFY(skwtest::Boxes().empty());
    }

    // A failure stops at the coordinate that fails: those before it stay
    // applied, those after it are not, and the routine returns normally.
    void failureIsReportedAfterTheCoordinatesBeforeIt_data()
    {
        QTest::addColumn<QString>("width");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("description");
        QTest::newRow("1e20") << "1e20" << 6 << "Overflow";
        QTest::newRow("-1e20") << "-1e20" << 6 << "Overflow";
        QTest::newRow("refused by the form") << "-50" << 380 << "Invalid property value";
    }
    void failureIsReportedAfterTheCoordinatesBeforeIt()
    {
        QFETCH(QString, width);
        QFETCH(int, error);
        QFETCH(QString, description);
        store(QStringLiteral("Left"), QStringLiteral("640"));
        store(QStringLiteral("Top"), QStringLiteral("480"));
        store(QStringLiteral("Width"), width);
        store(QStringLiteral("Height"), QStringLiteral("900"));
        frmPlaced& f = platform::Forms<frmPlaced>();
        MReg::RegLoadFormPos(f);
        QCOMPARE(f.Left(), 640.0f);
        QCOMPARE(f.Top(), 480.0f);
        QCOMPARE(f.Width(), 4695.0f);
        QCOMPARE(f.Height(), 3420.0f);
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        const platform::MessageBoxCall& box = skwtest::Boxes().front();
        QCOMPARE(box.Title, QStringLiteral("Error! (%1)").arg(error));
        QVERIFY2(box.Prompt.startsWith(description), qPrintable(box.Prompt));
        QVERIFY2(box.Prompt.endsWith(QStringLiteral("Occured in: MReg::RegLoadFormPos")), qPrintable(box.Prompt));
    }

    void saveStoresPositionAndSizeOnlyOnRequest()
    {
        frmPlaced& f = platform::Forms<frmPlaced>();
        f.SetLeft(1500);
        f.SetTop(-300);
        MReg::RegSaveFormPos(f, false);
        QCOMPARE(stored(QStringLiteral("Left")), QStringLiteral("1500"));
        QCOMPARE(stored(QStringLiteral("Top")), QStringLiteral("-300"));
        QCOMPARE(stored(QStringLiteral("Width")), QStringLiteral("<none>"));
        MReg::RegSaveFormPos(f, true);
        QCOMPARE(stored(QStringLiteral("Width")), QStringLiteral("4695"));
        QCOMPARE(stored(QStringLiteral("Height")), QStringLiteral("3420"));
        QVERIFY(skwtest::Boxes().empty());
    }

    void failedSaveIsReportedAndReturns()
    {
        // A file where the settings folder belongs: nothing can be written.
        QFile blocker(platform::SettingsFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        MReg::RegSaveFormPos(platform::Forms<frmPlaced>(), true);
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes().front().Title, QStringLiteral("Error! (75)"));
        QVERIFY(skwtest::Boxes().front().Prompt.endsWith(QStringLiteral("MReg::RegSaveFormPos")));
    }

    // Unload stores, the next load applies: five rounds end where they began.
    void reopeningRestoresExactly()
    {
        platform::SetTwipsPerPixelOverride(15);
        {
            frmPlaced& f = platform::Forms<frmPlaced>();
            f.SetLeft(1500);
            f.SetTop(1200);
            f.SetWidth(6000);
            f.SetHeight(4500);
            MReg::RegSaveFormPos(f, true);
            f.Unload();
        }
        for (int round = 0; round < 5; ++round) {
            frmPlaced& f = platform::Forms<frmPlaced>();
            MReg::RegLoadFormPos(f);
            f.Show();
            QVERIFY(QTest::qWaitForWindowExposed(&f));
            QCOMPARE(f.Left(), 1500.0f);
            QCOMPARE(f.Top(), 1200.0f);
            QCOMPARE(f.Width(), 6000.0f);
            QCOMPARE(f.Height(), 4500.0f);
            MReg::RegSaveFormPos(f, true);
            f.Unload();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY(skwtest::Boxes().empty());
    }
};

SKERRYWIND_TEST_MAIN(TestMReg)
#include "test_MReg.moc"
