// Stored placements under a real X server (its own Xvfb, with openbox or no
// window manager): the stored Left and Top are the frame's corner, and closing
// and reopening windows brings them back exactly. The test runs itself again
// under that server, on xcb, for the child test function.
#include "TestSupport.h"

#include "chrome/ChromeForm.h"
#include "platform/forms/Forms.h"
#include "platform/system/Runtime.h"
#include "platform/system/Settings.h"
#include "settings/MReg.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWindow>

namespace {
const char* const kChildVariable = "SKERRYWIND_X11_CHILD";
const char* const kFramedVariable = "SKERRYWIND_X11_FRAMED";
const QString kApp = QStringLiteral("Skerwind32");
// Bounds a hang only: a busy machine may take seconds to frame a window.
constexpr int kWaitMs = 30000;

// Where the windows were left, in twips at 15 twips per pixel.
constexpr float kMainLeft = 1500, kMainTop = 1200, kMainWidth = 6000, kMainHeight = 4500;
constexpr float kToolLeft = 3000, kToolTop = 6000;

class frmFramed : public platform::Form {
public:
    frmFramed() : Form(QStringLiteral("frmFramed"))
    {
        SetDesignFrame(120, 405);
        SetClientSize(4575, 3015);
    }

protected:
    void Form_Load() override { MReg::RegLoadFormPos(*this); }
    void Form_Unload(int16_t&) override { MReg::RegSaveFormPos(*this, true); }
};

class frmShaped : public ChromeForm {
public:
    frmShaped() : ChromeForm(QStringLiteral("frmShaped")) { SetClientSize(4365, 1470); }

protected:
    void Form_Load() override
    {
        MReg::RegLoadFormPos(*this);
        FrameMe();
    }
    void Form_Unload(int16_t&) override { MReg::RegSaveFormPos(*this, false); }
};

// A process of ours, stopped when the test ends.
struct OwnProcess {
    QProcess process;
    ~OwnProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(2000))
                process.kill();
            process.waitForFinished(2000);
        }
    }
};
}  // namespace

class TestPlacementX11 : public skwtest::FreshFoldersTest {
    Q_OBJECT

    bool isChild() const { return qEnvironmentVariableIsSet(kChildVariable); }

private slots:
    void reopenedWindowsComeBackExactly_data()
    {
        skwtest::AddRows<bool>("windowManager",
                               {{"with a window manager's frame", true}, {"without a window manager", false}});
    }
    void reopenedWindowsComeBackExactly()
    {
        if (isChild())
            QSKIP("the X server's side of the test");
        QFETCH(bool, windowManager);
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed, so no X server can be started");
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (windowManager && openbox.isEmpty())
            QSKIP("openbox is not installed, so there is no window manager to frame the windows");

        // Xvfb picks a free display and writes its number once it accepts clients.
        OwnProcess server;
        server.process.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        QByteArray number;
        const QDeadlineTimer serverDeadline(kWaitMs);
        while (!number.endsWith('\n') && !serverDeadline.hasExpired()
               && server.process.state() != QProcess::NotRunning) {
            server.process.waitForReadyRead(100);
            number += server.process.readAllStandardOutput();
        }
        if (!number.endsWith('\n'))
            QSKIP(qPrintable("no X server could be started: " + server.process.readAllStandardError().left(300)));
        const QString display = u':' + QString::fromLatin1(number.trimmed());

        QTemporaryDir scratch;
        OwnProcess manager;
        if (windowManager) {
            // openbox runs its start-up command once it manages the screen.
            const QString ready = scratch.filePath(QStringLiteral("ready"));
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DISPLAY"), display);
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch.path());
            manager.process.setProcessEnvironment(env);
            manager.process.start(openbox, {"--sm-disable", "--startup", "touch " + ready});
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(ready), kWaitMs);
        }

        OwnProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QString::fromLatin1(kChildVariable), QStringLiteral("1"));
        env.insert(QString::fromLatin1(kFramedVariable), windowManager ? QStringLiteral("1") : QStringLiteral("0"));
        child.process.setProcessEnvironment(env);
        child.process.setProcessChannelMode(QProcess::MergedChannels);
        child.process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("childReopensFiveTimes")});
        QVERIFY(child.process.waitForFinished(4 * kWaitMs));
        const QString output = QString::fromLocal8Bit(child.process.readAll());
        QVERIFY2(child.process.exitStatus() == QProcess::NormalExit && child.process.exitCode() == 0,
                 qPrintable(output));
        QVERIFY2(!output.contains(QStringLiteral("SKIP")), qPrintable(output));
    }

    // Runs under the X server that the test above started.
    void childReopensFiveTimes()
    {
        if (!isChild())
            QSKIP("runs only under the X server that reopenedWindowsComeBackExactly starts");
        const bool framed = qgetenv(kFramedVariable) == "1";
        platform::FormRegistry::SetLastFormAction([] {});
        platform::SetTwipsPerPixelOverride(15);
        const auto store = [](const QString& form, const QString& key, float value) {
            platform::SaveSetting(kApp, form, key, MReg::PlacementText(value));
        };
        store("frmFramed", "Left", kMainLeft);
        store("frmFramed", "Top", kMainTop);
        store("frmFramed", "Width", kMainWidth);
        store("frmFramed", "Height", kMainHeight);
        store("frmShaped", "Left", kToolLeft);
        store("frmShaped", "Top", kToolTop);

        for (int round = 1; round <= 5; ++round) {
            frmFramed& main = platform::Forms<frmFramed>();
            if (round == 1) {
                // As a window system does that places a window not yet shown
                // by its client area: the frame's corner must still land right.
                main.setGeometry(QRect(QPoint(100, 80), main.size()));
            }
            main.Show();
            frmShaped& tool = platform::Forms<frmShaped>();
            tool.Show(platform::vbModeless, &main);
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            QVERIFY(QTest::qWaitForWindowExposed(&tool));
            if (framed)
                QTRY_VERIFY_WITH_TIMEOUT(main.windowHandle()->frameMargins().top() > 0, kWaitMs);

            // The frame's corner is where it was stored, in pixels and twips.
            QTRY_COMPARE_WITH_TIMEOUT(main.frameGeometry().topLeft(), QPoint(100, 80), kWaitMs);
            QTRY_COMPARE_WITH_TIMEOUT(tool.frameGeometry().topLeft(), QPoint(200, 400), kWaitMs);
            if (framed)
                QVERIFY(main.geometry().topLeft() != main.frameGeometry().topLeft());
            QCOMPARE(QRectF(main.Left(), main.Top(), main.Width(), main.Height()),
                     QRectF(kMainLeft, kMainTop, kMainWidth, kMainHeight));
            QCOMPARE(QPointF(tool.Left(), tool.Top()), QPointF(kToolLeft, kToolTop));

            // Placed while hidden, a window comes back at the new place.
            main.Hide();
            main.SetLeft(kMainLeft + 150);
            main.Show();
            QTRY_COMPARE_WITH_TIMEOUT(main.frameGeometry().topLeft(), QPoint(110, 80), kWaitMs);
            main.SetLeft(kMainLeft);

            main.Unload();  // stores both placements
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QVERIFY(skwtest::Boxes().empty());
    }
};

SKERRYWIND_TEST_MAIN(TestPlacementX11)
#include "test_PlacementX11.moc"
