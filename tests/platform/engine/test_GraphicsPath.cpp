// The choice of the engine's rendering path at start.
#include "TestSupport.h"

#include "platform/engine/GraphicsPath.h"

#include <QFile>
#include <QTemporaryDir>

class TestGraphicsPath : public QObject {
    Q_OBJECT

    QByteArray savedBackend, savedRhi;

private slots:
    void init()
    {
        savedBackend = qgetenv("QT_QUICK_BACKEND");
        savedRhi = qgetenv("QSG_RHI_BACKEND");
        qunsetenv("QT_QUICK_BACKEND");
        qunsetenv("QSG_RHI_BACKEND");
    }
    void cleanup()
    {
        qputenv("QT_QUICK_BACKEND", savedBackend);
        qputenv("QSG_RHI_BACKEND", savedRhi);
    }

    void renderNodeKeepsTheDefault()
    {
        QTemporaryDir dri;
        QFile(dri.filePath("card0")).open(QIODevice::WriteOnly);
        QFile(dri.filePath("renderD128")).open(QIODevice::WriteOnly);
        QCOMPARE(platform::ChooseGraphicsPath(dri.path().toStdString()), platform::GraphicsPath::Hardware);
        QVERIFY(qgetenv("QT_QUICK_BACKEND").isEmpty());
    }

    void noRenderNodeSelectsSoftware_data()
    {
        skwtest::AddColumns<bool, QString>("folderExists", "entry");
        QTest::newRow("no folder") << false << QString();
        QTest::newRow("empty folder") << true << QString();
        QTest::newRow("display card only") << true << QStringLiteral("card0");
    }
    void noRenderNodeSelectsSoftware()
    {
        QFETCH(bool, folderExists);
        QFETCH(QString, entry);
        QTemporaryDir dri;
        if (!entry.isEmpty())
            QFile(dri.filePath(entry)).open(QIODevice::WriteOnly);
        const std::string folder = folderExists ? dri.path().toStdString() : "/nonexistent/dri";
        QCOMPARE(platform::ChooseGraphicsPath(folder), platform::GraphicsPath::Software);
        QCOMPARE(qgetenv("QT_QUICK_BACKEND"), QByteArray("software"));
    }

    void usersOwnChoiceWins_data()
    {
        skwtest::AddRows<QByteArray>("variable", {{"QT_QUICK_BACKEND", QByteArray("QT_QUICK_BACKEND")},
                                                  {"QSG_RHI_BACKEND", QByteArray("QSG_RHI_BACKEND")}});
    }
    void usersOwnChoiceWins()
    {
        QFETCH(QByteArray, variable);
        qputenv(variable.constData(), "opengl");
        QCOMPARE(platform::ChooseGraphicsPath("/nonexistent/dri"), platform::GraphicsPath::UserChoice);
        QCOMPARE(qgetenv(variable.constData()), QByteArray("opengl"));
        if (variable != "QT_QUICK_BACKEND")
            QVERIFY(qgetenv("QT_QUICK_BACKEND").isEmpty());
    }
};

SKERRYWIND_TEST_MAIN(TestGraphicsPath)
#include "test_GraphicsPath.moc"
