#include "win/screen.h"

namespace win {
namespace {

LRESULT CALLBACK ClickThroughProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        if (auto* target = reinterpret_cast<TimerTarget*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
            target->OnTimer(wParam);
        return 0;
    }
    // Never hit: every click goes to the window below (WS_EX_TRANSPARENT does
    // it for the mouse, HTTRANSPARENT for the system's own hit tests).
    if (message == WM_NCHITTEST) return HTTRANSPARENT;
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

RECT VirtualScreen() noexcept {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

HWND MakeClickThroughWindow(TimerTarget* target) noexcept {
    static const ATOM kind = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ClickThroughProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VireonClickThrough";
        return ::RegisterClassW(&wc);
    }();
    if (!kind) return nullptr;
    const HWND window =
        ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, MAKEINTATOM(kind),
                          L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (window && target) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target));
    return window;
}

}  // namespace win
