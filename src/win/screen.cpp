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

bool PopupImage::Fit(int side) noexcept {
    if (pixels_ && side == side_) return true;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels_ = bitmap_ ? static_cast<std::uint32_t*>(bits) : nullptr;
    side_ = bitmap_ ? side : 0;
    return pixels_ != nullptr;
}

void PopupImage::Reset() noexcept {
    bitmap_.reset();
    pixels_ = nullptr;
    side_ = 0;
}

bool PopupImage::Present(HWND window, POINT centre) const noexcept {
    if (!pixels_) return false;
    ::GdiFlush();
    const MemoryDC dc(::CreateCompatibleDC(nullptr));
    if (!dc) return false;
    const SelectScope selected(dc.get(), bitmap_.get());
    POINT origin{centre.x - side_ / 2, centre.y - side_ / 2};
    SIZE size{side_, side_};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return ::UpdateLayeredWindow(window, nullptr, &origin, &size, dc.get(), &source, 0, &blend, ULW_ALPHA) != FALSE;
}

}  // namespace win
