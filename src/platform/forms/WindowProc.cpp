#include "platform/forms/WindowProc.h"

#include "platform/system/CodeDepth.h"

#include <QObject>
#include <QWidget>

#include <unordered_map>

namespace platform {

namespace {
// The procedure of each window that has had one installed; an entry goes
// with its window.
std::unordered_map<const QWidget*, WNDPROC>& installed()
{
    static std::unordered_map<const QWidget*, WNDPROC> procs;
    return procs;
}
}  // namespace

LRESULT DefWindowProc(QWidget* hWnd, uint32_t uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (uMsg != WM_SYSCOMMAND || !hWnd)
        return 0;
    switch (wParam) {
    case SC_RESTORE: hWnd->showNormal(); break;
    case SC_MINIMIZE: hWnd->showMinimized(); break;
    case SC_MAXIMIZE: hWnd->showMaximized(); break;
    case SC_CLOSE: hWnd->close(); break;
    default: break;
    }
    return 0;
}

WNDPROC GetWindowProc(QWidget* hWnd)
{
    const auto it = installed().find(hWnd);
    return it == installed().end() ? &DefWindowProc : it->second;
}

WNDPROC SetWindowProc(QWidget* hWnd, WNDPROC proc)
{
    const WNDPROC previous = GetWindowProc(hWnd);
    const auto [it, first] = installed().insert_or_assign(hWnd, proc ? proc : &DefWindowProc);
    (void)it;
    if (first)
        QObject::connect(hWnd, &QObject::destroyed, [hWnd] { installed().erase(hWnd); });
    return previous;
}

LRESULT CallWindowProc(WNDPROC proc, QWidget* hWnd, uint32_t uMsg, WPARAM wParam, LPARAM lParam)
{
    return (proc ? proc : &DefWindowProc)(hWnd, uMsg, wParam, lParam);
}

LRESULT SendMessage(QWidget* hWnd, uint32_t uMsg, WPARAM wParam, LPARAM lParam)
{
    // The window's procedure is the program's code.
    CodeScope scope;
    return CallWindowProc(GetWindowProc(hWnd), hWnd, uMsg, wParam, lParam);
}

}  // namespace platform
