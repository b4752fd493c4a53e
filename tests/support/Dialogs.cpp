#include "Dialogs.h"

#include "FakePointer.h"

#include "dialogs/frmOptions.h"
#include "platform/forms/WindowProc.h"
#include "shell/frmMain.h"

#include <QTimer>

namespace skwtest {

namespace {
constexpr int kCheckIntervalMs = 5;
// The window menu's command for the options dialog.
constexpr platform::WPARAM kOptionsCommand = 2;
}  // namespace

frmOptions& OpenOptions()
{
    if (platform::SendMessage(&platform::Forms<frmMain>(), platform::WM_SYSCOMMAND, kOptionsCommand, 0) != 0)
        qFatal("the options command returned non-zero");
    return platform::Forms<frmOptions>();
}

void Click(SoftButton* button)
{
    QWidget* cover = button->findChild<QWidget*>(QStringLiteral("Cover"));
    const QPoint at = cover->rect().center();
    SendMouse(cover, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at);
    SendMouse(cover, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at);
}

void WhenShown(std::function<bool()> shown, std::function<void()> step)
{
    auto* timer = new QTimer;
    timer->setInterval(kCheckIntervalMs);
    QObject::connect(timer, &QTimer::timeout, [timer, shown, step] {
        if (!shown())
            return;
        timer->stop();
        timer->deleteLater();
        step();
    });
    timer->start();
}

}  // namespace skwtest
