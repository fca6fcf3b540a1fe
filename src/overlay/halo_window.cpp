#include "overlay/halo_window.h"

#include "trail/click_rings.h"
#include "trail/trail_geometry.h"
#include "win/screen.h"

void HaloWindow::Show(POINT pointer, COLORREF colour, int opacityPercent, HWND above) noexcept {
    if (!window_) window_ = win::MakeClickThroughWindow();
    if (!window_) return;
    const int dpi = monitorDpi(pointer);
    if (!image_.pixels() || dpi != dpi_ || colour != colour_ || opacityPercent != opacity_) {
        if (!Draw(pointer, dpi, colour, opacityPercent)) return Hide();
    } else {
        Follow(pointer);
    }
    // Just below the trail, so that the trail is whole over it: looked at
    // first, as moving a window in the z-order costs more than asking.
    if (!shown_ || ::GetWindow(window_, GW_HWNDPREV) != above)
        ::SetWindowPos(window_, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    shown_ = true;
}

bool HaloWindow::Draw(POINT pointer, int dpi, COLORREF colour, int opacityPercent) noexcept {
    if (!image_.Fit(trail::HaloImageSide(dpi))) return false;
    trail::DrawHalo(image_.pixels(), image_.side(), trail::ArgbFromColorref(colour) & 0xFFFFFFu, opacityPercent);
    if (!image_.Present(window_, pointer)) return false;
    dpi_ = dpi;
    colour_ = colour;
    opacity_ = opacityPercent;
    at_ = pointer;
    return true;
}

void HaloWindow::Follow(POINT pointer) noexcept {
    if (!shown_ || (pointer.x == at_.x && pointer.y == at_.y)) return;
    at_ = pointer;
    // A new place for the same pixels: with no source, UpdateLayeredWindow
    // only moves the window ("UpdateLayeredWindow function", Microsoft Docs),
    // so a frame of the halo draws nothing.
    POINT origin{pointer.x - image_.side() / 2, pointer.y - image_.side() / 2};
    ::UpdateLayeredWindow(window_, nullptr, &origin, nullptr, nullptr, nullptr, 0, nullptr, 0);
}

void HaloWindow::Hide() noexcept {
    if (window_ && shown_) ::ShowWindow(window_, SW_HIDE);
    shown_ = false;
}

void HaloWindow::Close() noexcept {
    if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
    window_ = nullptr;
    image_.Reset();
    opacity_ = -1;
    shown_ = false;
}
