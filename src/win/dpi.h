// Dots per inch as a per-monitor-aware program sees them, on every system the
// program runs on: the newer calls are looked up, and older systems fall back
// to the system DPI (Windows 7 and 8 run the program system-aware).
#pragma once

#include <windows.h>

// Declared by the SDK only for programs that require Windows 10 1703.
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace win {

// The DPI of the monitor the window is on (GetDpiForWindow, Windows 10 1607
// and later); elsewhere the system DPI.
int WindowDpi(HWND window) noexcept;

// The DPI of the monitor under the point (GetDpiForMonitor, Windows 8.1 and
// later); elsewhere the system DPI.
int PointDpi(POINT at) noexcept;

// Turns off the dialog manager's own resizing, font change and re-layout of a
// dialog on WM_DPICHANGED (SetDialogDpiChangeBehavior, Windows 10 1703 and
// later), for a dialog that sizes itself.
void KeepDialogLayoutOnDpiChange(HWND dialog) noexcept;

}  // namespace win
