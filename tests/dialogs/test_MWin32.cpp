// The version texts: the program's, the executable's date and the engine's.
#include "TestSupport.h"

#include "dialogs/MWin32.h"
#include "platform/system/AppError.h"
#include "platform/system/VersionInfo.h"

#include <QFile>
#include <QTemporaryDir>

class TestMWin32 : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        platform::SetExecutablePathOverride(QString());
        platform::SetEngineVersionOverride(nullptr);
    }

    void appVersionComesFromTheVersionRecord() { QCOMPARE(MWin32::GetAppVersion(), QStringLiteral("1.1.51a")); }

    void buildDateIsTheExecutablesOwnDate()
    {
        QTemporaryDir dir;
        const QString exe = dir.filePath(QStringLiteral("skerrywind"));  // no ".exe" here
        QFile f(exe);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QDateTime when(QDate(2002, 9, 7), QTime(12, 0));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
        f.close();
        platform::SetExecutablePathOverride(exe);
        QLocale::setDefault(QLocale(QLocale::English));
        QCOMPARE(MWin32::GetExeBuildDate(), QStringLiteral("07-Sep-2002"));
        QLocale::setDefault(QLocale(QLocale::German));
        QCOMPARE(MWin32::GetExeBuildDate(), QStringLiteral("07-Sept.-2002"));
        QLocale::setDefault(QLocale::c());
    }

    void missingExecutableRaisesFileNotFound()
    {
        platform::SetExecutablePathOverride(QStringLiteral("/nonexistent/folder/skerrywind"));
        try {
            MWin32::GetExeBuildDate();
            QFAIL("no error raised");
        } catch (const platform::AppError& e) {
            QCOMPARE(e.Number(), int(platform::errFileNotFound));
        }
    }

    void realExecutableHasADate()
    {
        QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d-.+-\\d{4}$")).match(MWin32::GetExeBuildDate()).hasMatch());
    }

    void engineVersionTexts()
    {
        const platform::EngineVersionNumbers reported{6, 0, 2900};
        platform::SetEngineVersionOverride(&reported);
        QCOMPARE(MWin32::GetShlwapiVersion(), QStringLiteral("6.0.2900"));
        QCOMPARE(MWin32::GetShlwapiMajorVersion(), 6);
        const platform::EngineVersionNumbers zero{};
        platform::SetEngineVersionOverride(&zero);
        QCOMPARE(MWin32::GetShlwapiVersion(), QStringLiteral("0.0.0"));
        QCOMPARE(MWin32::GetShlwapiMajorVersion(), 0);
    }

    void realEngineVersionHasThreeNumbers()
    {
        QVERIFY(
            QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(MWin32::GetShlwapiVersion()).hasMatch());
        QVERIFY(MWin32::GetShlwapiMajorVersion() >= 6);
    }
};

SKERRYWIND_TEST_MAIN(TestMWin32)
#include "test_MWin32.moc"
