#include "platform/intrinsics/StatusBar.h"

#include "platform/forms/WindowMenu.h"
#include "platform/system/AppError.h"
#include "platform/system/Runtime.h"

#include <QEvent>

namespace platform {

namespace {
constexpr double kFontPointSize = 8.25;
// Panel 2 holds a short word such as "BUSY".
constexpr int kSecondPanelWidth = 60;
}  // namespace

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(kFontPointSize);
    setFont(font);
    setFocusPolicy(Qt::NoFocus);

    for (int index = 1; index <= PanelCount; ++index) {
        auto* label = new QLabel(this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(false);
        // A long text is clipped; it never widens or heightens the bar.
        if (index == 1) {
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
            addWidget(label, 1);
        } else {
            label->setFixedWidth(kSecondPanelWidth);
            label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
            addPermanentWidget(label);
        }
        panels_.emplace_back(label);
    }

    // The bar keeps the height of one line of its font, whatever it shows.
    setFixedHeight(sizeHint().height());
    parent->installEventFilter(this);
    dock();
    // The window's menu opens from the bar by right-click (and by Alt+Space).
    WindowMenu::Attach(parent->window(), this);
}

StatusBar::Panel& StatusBar::Panels(int index)
{
    if (index < 1 || index > PanelCount)
        Raise(errSubscriptOutOfRange);
    return panels_[size_t(index - 1)];
}

float StatusBar::Height() const
{
    return float(TwipsY(height()));
}

bool StatusBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        dock();
    return QStatusBar::eventFilter(watched, event);
}

void StatusBar::dock()
{
    const QWidget* window = parentWidget();
    setGeometry(0, window->height() - height(), window->width(), height());
}

}  // namespace platform
