#include "platform/forms/WindowMenu.h"

#include "platform/forms/WindowProc.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QShortcut>
#include <QTimer>
#include <QWidget>

namespace platform {

namespace {
// The item's command id travels with its action.
constexpr const char* kIdProperty = "windowMenuId";

struct DefaultItem {
    const char* text;
    WPARAM id;
};
constexpr DefaultItem kDefaultItems[] = {
    {"Restore", SC_RESTORE},
    {"Minimize", SC_MINIMIZE},
    {"Maximize", SC_MAXIMIZE},
    {"Close", SC_CLOSE},
};
}  // namespace

WindowMenu* WindowMenu::Of(QWidget* window)
{
    if (auto* existing = window->findChild<WindowMenu*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new WindowMenu(window);
}

WindowMenu::WindowMenu(QWidget* window) : QObject(window), window_(window), menu_(new QMenu(window))
{
    addDefaultItems();
    connect(menu_, &QMenu::aboutToShow, this, &WindowMenu::updateDefaultItems);
}

void WindowMenu::Attach(QWidget* window, QWidget* trigger)
{
    WindowMenu* windowMenu = Of(window);
    trigger->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(trigger, &QWidget::customContextMenuRequested, windowMenu,
            [windowMenu, trigger](const QPoint& pos) { windowMenu->Popup(trigger->mapToGlobal(pos)); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), window);
    connect(shortcut, &QShortcut::activated, windowMenu,
            [windowMenu, window] { windowMenu->Popup(window->mapToGlobal(QPoint(0, 0))); });
}

int WindowMenu::ItemCount() const
{
    return int(menu_->actions().size());
}

void WindowMenu::InsertItem(int position, const MENUITEMINFO& item)
{
    auto* action = new QAction(menu_);
    if (item.fMask & MIIM_TYPE) {
        if (item.fType & MFT_SEPARATOR)
            action->setSeparator(true);
        else
            action->setText(item.dwTypeData);
    }
    const uint32_t id = (item.fMask & MIIM_ID) ? item.wID : 0;
    action->setProperty(kIdProperty, id);
    if (item.fMask & MIIM_STATE)
        action->setEnabled((item.fState & MFS_GRAYED) == 0);

    // The command reaches the window after the menu has closed, as a window
    // command does, so that what it opens does not run inside the menu.
    QPointer<QWidget> window = window_;
    connect(action, &QAction::triggered, this, [window, id] {
        QTimer::singleShot(0, window, [window, id] { SendMessage(window, WM_SYSCOMMAND, id, 0); });
    });

    const QList<QAction*> actions = menu_->actions();
    QAction* before = (position >= 0 && position < actions.size()) ? actions[position] : nullptr;
    menu_->insertAction(before, action);
}

int WindowMenu::PositionOf(uint32_t id) const
{
    const QList<QAction*> actions = menu_->actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (!actions[i]->isSeparator() && actions[i]->property(kIdProperty).toUInt() == id)
            return i;
    }
    return -1;
}

uint32_t WindowMenu::ItemId(int position) const
{
    const QList<QAction*> actions = menu_->actions();
    if (position < 0 || position >= actions.size())
        return 0;
    return actions[position]->property(kIdProperty).toUInt();
}

void WindowMenu::Revert()
{
    const QList<QAction*> actions = menu_->actions();
    for (QAction* action : actions) {
        menu_->removeAction(action);
        delete action;
    }
    addDefaultItems();
}

void WindowMenu::Popup(const QPoint& globalPos)
{
    menu_->popup(globalPos);
}

void WindowMenu::addDefaultItems()
{
    int position = 0;
    for (const DefaultItem& item : kDefaultItems) {
        MENUITEMINFO info;
        info.fMask = MIIM_ID | MIIM_TYPE;
        info.fType = MFT_STRING;
        info.wID = uint32_t(item.id);
        info.dwTypeData = QString::fromLatin1(item.text);
        InsertItem(position++, info);
    }
}

void WindowMenu::updateDefaultItems()
{
    // As on a title bar: Restore only from minimised or maximised, and no
    // command to the state the window is already in.
    const Qt::WindowStates state = window_->windowState();
    const auto enable = [this](WPARAM id, bool on) {
        const int position = PositionOf(uint32_t(id));
        if (position >= 0)
            menu_->actions()[position]->setEnabled(on);
    };
    enable(SC_RESTORE, bool(state & (Qt::WindowMinimized | Qt::WindowMaximized)));
    enable(SC_MINIMIZE, !(state & Qt::WindowMinimized));
    enable(SC_MAXIMIZE, !(state & Qt::WindowMaximized));
}

WindowMenu* GetSystemMenu(QWidget* hWnd, bool bRevert)
{
    WindowMenu* menu = WindowMenu::Of(hWnd);
    if (!bRevert)
        return menu;
    menu->Revert();
    return nullptr;
}

int GetMenuItemCount(WindowMenu* hMenu)
{
    return hMenu ? hMenu->ItemCount() : -1;
}

void InsertMenuItem(WindowMenu* hMenu, uint32_t uItem, bool fByPosition, const MENUITEMINFO& mii)
{
    if (!hMenu)
        return;
    const int position = fByPosition ? int(uItem) : hMenu->PositionOf(uItem);
    hMenu->InsertItem(position < 0 ? hMenu->ItemCount() : position, mii);
}

}  // namespace platform
