#include "chrome/MSysMenu32.h"

#include "dialogs/frmAbout.h"
#include "dialogs/frmOptions.h"
#include "platform/forms/Forms.h"
#include "platform/forms/WindowMenu.h"
#include "shell/frmMain.h"

namespace MSysMenu32 {

platform::WNDPROC lngOldWndProc = nullptr;

namespace {
constexpr platform::WPARAM kIdAbout = 1;
constexpr platform::WPARAM kIdOptions = 2;
}  // namespace

void SysMenuHook(QWidget* hWnd, const QString& sAboutCaption)
{
    // 1. The window's menu, for modification.
    platform::WindowMenu* hSysMenu = platform::GetSystemMenu(hWnd, false);
    // 2. The new items go after the menu's own last item.
    const int n = platform::GetMenuItemCount(hSysMenu);

    // 3. A separator, the options item, the about item.
    platform::MENUITEMINFO mii;
    mii.fMask = platform::MIIM_ID | platform::MIIM_TYPE;
    mii.fType = platform::MFT_SEPARATOR;
    mii.wID = 0;
    platform::InsertMenuItem(hSysMenu, uint32_t(n), true, mii);

    mii = {};
    mii.fMask = platform::MIIM_STATE | platform::MIIM_ID | platform::MIIM_TYPE;
    mii.fType = platform::MFT_STRING;
    mii.fState = platform::MFS_ENABLED;
    mii.wID = uint32_t(kIdOptions);
    mii.dwTypeData = QStringLiteral("Skerrywind Options...");
    platform::InsertMenuItem(hSysMenu, uint32_t(n + 1), true, mii);

    mii.wID = uint32_t(kIdAbout);
    mii.dwTypeData = sAboutCaption;
    platform::InsertMenuItem(hSysMenu, uint32_t(n + 2), true, mii);

    // 4. This module's procedure in front of the window's own.
    lngOldWndProc = platform::SetWindowProc(hWnd, &SysMenuWndProc);
}

void SysMenuUnhook(QWidget* hWnd)
{
    // 1. Never hooked (a load cut short before the hook): nothing to undo.
    if (!lngOldWndProc)
        return;
    // 2. The previous procedure back.
    platform::SetWindowProc(hWnd, lngOldWndProc);
    lngOldWndProc = nullptr;
    // 3. The menu back to its own items.
    platform::GetSystemMenu(hWnd, true);
}

platform::LRESULT SysMenuWndProc(QWidget* hWnd, uint32_t uMsg, platform::WPARAM wParam, platform::LPARAM lParam)
{
    if (uMsg == platform::WM_SYSCOMMAND && wParam == kIdAbout) {
        // Returns once the about box has been dismissed.
        platform::Forms<frmAbout>().Show(platform::vbModal, &platform::Forms<frmMain>());
        return 0;
    }
    if (uMsg == platform::WM_SYSCOMMAND && wParam == kIdOptions) {
        // Refilled from the stored preferences at every opening; returns at once.
        platform::Forms<frmOptions>().Init();
        platform::Forms<frmOptions>().Show(platform::vbModeless, &platform::Forms<frmMain>());
        return 0;
    }
    return platform::CallWindowProc(lngOldWndProc, hWnd, uMsg, wParam, lParam);
}

}  // namespace MSysMenu32
