// Window placements: what is stored when a form unloads, and how stored texts
// are applied when it loads, including texts that are not plain numbers.
#include "FormsTest.h"
#include "TestSupport.h"

#include "platform/forms/Forms.h"
#include "platform/system/AppError.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "settings/MReg.h"

#include <QFile>

namespace {
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
    platform::SaveSetting("Skerwind32", "frmPlaced", key, value);
}
QString stored(const QString& key)
{
    return platform::GetSetting("Skerwind32", "frmPlaced", key, "<none>");
}
}  // namespace

class TestMReg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        platform::FormRegistry::SetLastFormAction([] {});
    }
    void init()
    {
        skwtest::FreshUserFolders();
        skwtest::ClearBoxes();
        platform::SetTwipsPerPixelOverride(1);  // every whole value shows as applied
    }
    void cleanup() { skwtest::UnloadForms<frmPlaced>(); }

    void valueOfAStoredText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");  // or the error number when `error`
        QTest::addColumn<bool>("error");
        QTest::newRow("trailing letters") << "250px" << 250 << false;
        QTest::newRow("letters only") << "abc" << 0 << false;
        QTest::newRow("sign alone") << "-" << 0 << false;
        QTest::newRow("NaN") << "NaN" << 0 << false;
        QTest::newRow("half to even, down") << "12.5" << 12 << false;
        QTest::newRow("half to even, up") << "-13.5" << -14 << false;
        QTest::newRow("fraction only") << "+.51" << 1 << false;
        QTest::newRow("exponent and letters") << "15E+2e-" << 1500 << false;
        QTest::newRow("1e-300") << "1e-300" << 0 << false;
        QTest::newRow("smallest, half to even") << "-2147483648.5" << int(INT32_MIN) << false;
        QTest::newRow("rounds out of range") << "2147483647.5" << 6 << true;
        QTest::newRow("-1e20") << "-1e20" << 6 << true;
        QTest::newRow("1 MB of digits") << QString(1 << 20, u'9') << 6 << true;
        QTest::newRow("1 MB of zeros, then 7") << QString(1 << 20, u'0') + u'7' << 7 << false;
    }
    void valueOfAStoredText()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(bool, error);
        try {
            QCOMPARE(MReg::PlacementValue(text), value);
            QVERIFY(!error);
        } catch (const platform::AppError& e) {
            QVERIFY(error);
            QCOMPARE(e.Number(), value);
        }
    }

    void textOfACoordinate_data()
    {
        skwtest::AddColumns<float, QString>("value", "text");
        QTest::newRow("negative") << -300.0f << "-300";
        QTest::newRow("fraction") << 1234.5f << "1234.5";
        QTest::newRow("large whole, no exponent") << 123456792.0f << "123456792";
    }
    void textOfACoordinate()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(MReg::PlacementText(value), text);
    }

    void partialRecordAndOddTextsApplyEachCoordinateAlone()
    {
        store("Left", "abc");
        store("Height", "1000px");
        frmPlaced& f = platform::Forms<frmPlaced>();
        MReg::RegLoadFormPos(f);
        QCOMPARE(f.Left(), 0.0f);
        QCOMPARE(f.Top(), 30.0f);
        QCOMPARE(f.Width(), 4695.0f);
        QCOMPARE(f.Height(), 1000.0f);
        QVERIFY(skwtest::Boxes().empty());
    }

    // The coordinates before the failing one stay applied, those after it are not.
    void failureIsReportedAfterTheCoordinatesBeforeIt_data()
    {
        skwtest::AddColumns<QString, QString, QString>("width", "title", "description");
        // clang-format off
        QTest::newRow("1e20") << "1e20" << "Error! (6)" << "Overflow";
        QTest::newRow("refused by the form") << "-50" << "Error! (380)" << "Invalid property value";
        // clang-format on
    }
    void failureIsReportedAfterTheCoordinatesBeforeIt()
    {
        QFETCH(QString, width);
        QFETCH(QString, title);
        QFETCH(QString, description);
        store("Left", "640");
        store("Top", "-480");
        store("Width", width);
        store("Height", "900");
        frmPlaced& f = platform::Forms<frmPlaced>();
        MReg::RegLoadFormPos(f);
        QCOMPARE(QPointF(f.Left(), f.Top()), QPointF(640, -480));
        QCOMPARE(QSizeF(f.Width(), f.Height()), QSizeF(4695, 3420));
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Title, title);
        QCOMPARE(skwtest::Boxes()[0].Prompt, description + "\r\n\r\nOccured in: MReg::RegLoadFormPos");
    }

    // Each read of the placement allows one write: a form closed before its
    // stored placement was applied leaves it as it is.
    void saveStoresPositionAndSizeOnlyOnRequest()
    {
        frmPlaced& f = platform::Forms<frmPlaced>();
        MReg::RegLoadFormPos(f);
        f.SetLeft(1500);
        f.SetTop(-300);
        MReg::RegSaveFormPos(f, false);
        QCOMPARE(QStringList({stored("Left"), stored("Top"), stored("Width")}),
                 QStringList({"1500", "-300", "<none>"}));
        f.SetLeft(0);
        MReg::RegSaveFormPos(f, true);
        QCOMPARE(QStringList({stored("Left"), stored("Width")}), QStringList({"1500", "<none>"}));
        MReg::RegLoadFormPos(f);
        MReg::RegSaveFormPos(f, true);
        QCOMPARE(QStringList({stored("Width"), stored("Height")}), QStringList({"4695", "3420"}));
        MReg::RegLoadFormPos(f);

        // A file where the settings folder belongs: the failure is reported.
        QDir(platform::SettingsFolder()).removeRecursively();
        QFile blocker(platform::SettingsFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        MReg::RegSaveFormPos(f, true);
        QCOMPARE(skwtest::Boxes().size(), size_t(1));
        QCOMPARE(skwtest::Boxes()[0].Title, QStringLiteral("Error! (75)"));
        QVERIFY(skwtest::Boxes()[0].Prompt.endsWith("MReg::RegSaveFormPos"));
    }
};

SKERRYWIND_TEST_MAIN(TestMReg)
#include "test_MReg.moc"
