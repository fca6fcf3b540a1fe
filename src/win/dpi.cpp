// The SDK declares Windows 10's DPI calls only for programs that need that
// version; they are looked up at run time here, never imported, so the
// declarations are asked for in this file alone.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0A00
#define _WIN32_WINNT 0x0A00

#include "win/dpi.h"

#include "win/gdi.h"
#include "win/system_library.h"

namespace win {
namespace {

int SystemDpi() noexcept {
    const ScreenDC screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// One user32 call of a newer system, or none (the system is older).
template <class Fn>
Fn User32Call(Entry<Fn> entry) noexcept {
    return BindAll(::GetModuleHandleW(L"user32.dll"), entry) ? entry.call : nullptr;
}

}  // namespace

int WindowDpi(HWND window) noexcept {
    static const auto forWindow = User32Call(Entry<decltype(&::GetDpiForWindow)>{"GetDpiForWindow"});
    if (forWindow && window)
        if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
    return SystemDpi();
}

int PointDpi(POINT at) noexcept {
    // GetDpiForMonitor lives in shcore (Windows 8.1 and later), which is not
    // one of the loader's protected DLLs.
    using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const ForMonitor forMonitor = SystemEntry<ForMonitor>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (forMonitor && SUCCEEDED(forMonitor(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), kEffectiveDpi, &x, &y)) &&
        y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

void KeepDialogLayoutOnDpiChange(HWND dialog) noexcept {
    static const auto setBehavior =
        User32Call(Entry<decltype(&::SetDialogDpiChangeBehavior)>{"SetDialogDpiChangeBehavior"});
    // DDC_DISABLE_ALL: no resizing, no new font, no re-layout of the controls.
    if (setBehavior) setBehavior(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

}  // namespace win
