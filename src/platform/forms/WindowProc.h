#pragma once
// Window procedures: every top-level window has one procedure that its
// messages pass through. A program may put its own procedure in front of the
// current one (installing returns the previous one) and hand on what it does
// not handle; the default procedure at the end of the chain carries out the
// window commands restore, minimise, maximise and close.
#include <cstdint>

class QWidget;

namespace platform {

using LRESULT = intptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using WNDPROC = LRESULT (*)(QWidget* hWnd, uint32_t uMsg, WPARAM wParam, LPARAM lParam);

// A window command, chosen from the window menu; wParam is the command id.
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;

// The window menu's own commands.
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_MAXIMIZE = 0xF030;
inline constexpr WPARAM SC_CLOSE = 0xF060;
inline constexpr WPARAM SC_RESTORE = 0xF120;

// The procedure at the end of every chain: performs SC_RESTORE, SC_MINIMIZE,
// SC_MAXIMIZE and SC_CLOSE (as if the window's close button was pressed) and
// returns 0 for everything.
LRESULT DefWindowProc(QWidget* hWnd, uint32_t uMsg, WPARAM wParam, LPARAM lParam);

// The window's current procedure (DefWindowProc until one is installed).
WNDPROC GetWindowProc(QWidget* hWnd);
// Makes `proc` the window's procedure and returns the one it replaces. A
// null `proc` stands for DefWindowProc.
WNDPROC SetWindowProc(QWidget* hWnd, WNDPROC proc);
// Calls `proc` with the message; a null `proc` stands for DefWindowProc.
LRESULT CallWindowProc(WNDPROC proc, QWidget* hWnd, uint32_t uMsg, WPARAM wParam, LPARAM lParam);
// Delivers a message to the window's current procedure and returns its result.
LRESULT SendMessage(QWidget* hWnd, uint32_t uMsg, WPARAM wParam, LPARAM lParam);

}  // namespace platform
