#pragma once
// The window menu of a top-level window: its own commands (Restore,
// Minimize, Maximize, Close) to which a program may add items by position,
// and a revert to those four. Choosing an item sends WM_SYSCOMMAND with the
// item's id to the window's procedure (see WindowProc.h) once the menu has
// closed. The window system offers no menu a program could extend, so the
// menu opens where the program attaches it: by right-click on a widget of
// the window and by Alt+Space in the window.
#include <QObject>
#include <QString>

#include <cstdint>

class QMenu;
class QPoint;
class QWidget;

namespace platform {

// What an inserted item is: the fields of the published item record that
// this menu knows. Fields outside fMask are ignored.
inline constexpr uint32_t MIIM_STATE = 0x01;
inline constexpr uint32_t MIIM_ID = 0x02;
inline constexpr uint32_t MIIM_TYPE = 0x10;
inline constexpr uint32_t MFT_STRING = 0x000;
inline constexpr uint32_t MFT_SEPARATOR = 0x800;
inline constexpr uint32_t MFS_ENABLED = 0x0;
inline constexpr uint32_t MFS_GRAYED = 0x3;

struct MENUITEMINFO {
    uint32_t fMask = 0;
    uint32_t fType = 0;
    uint32_t fState = 0;
    uint32_t wID = 0;
    QString dwTypeData;
};

class WindowMenu : public QObject {
    Q_OBJECT
public:
    // The window's menu, created with the four default items on first use.
    static WindowMenu* Of(QWidget* window);
    // Opens the window's menu by right-click on `trigger` (a widget of the
    // window) and by Alt+Space while the window is active.
    static void Attach(QWidget* window, QWidget* trigger);

    int ItemCount() const;
    // Inserts an item before the item at `position` (at the end when past it).
    void InsertItem(int position, const MENUITEMINFO& item);
    // The position of the item with command id `id`, or -1.
    int PositionOf(uint32_t id) const;
    // Back to the four default items.
    void Revert();
    // Opens the menu at a screen position; returns at once.
    void Popup(const QPoint& globalPos);

    QMenu* Menu() const { return menu_; }
    // The command id of the item at `position` (0 for a separator).
    uint32_t ItemId(int position) const;

private:
    explicit WindowMenu(QWidget* window);
    void addDefaultItems();
    void updateDefaultItems();

    QWidget* window_;
    QMenu* menu_;
};

// The window's menu for modification; with bRevert the menu returns to its
// default items and the result is null.
WindowMenu* GetSystemMenu(QWidget* hWnd, bool bRevert);
int GetMenuItemCount(WindowMenu* hMenu);
// Inserts before the item at position uItem (fByPosition) or before the item
// with command id uItem (at the end when there is none).
void InsertMenuItem(WindowMenu* hMenu, uint32_t uItem, bool fByPosition, const MENUITEMINFO& mii);

}  // namespace platform
