#include "overlay/halo_window.h"

#include "trail/click_rings.h"
#include "win/screen.h"

void HaloWindow::Show(POINT pointer, COLORREF colour, int opacityPercent, HWND above) noexcept {
    if (!window_) window_ = win::MakeClickThroughWindow();
    if (!window_) return;
    const int dpi = monitorDpi(pointer);
    if (!pixels_ || dpi != dpi_ || colour != colour_ || opacityPercent != opacity_) {
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
    const int side = trail::HaloImageSide(dpi);
    if (side != side_ || !image_) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        image_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        pixels_ = image_ ? static_cast<std::uint32_t*>(bits) : nullptr;
        side_ = image_ ? side : 0;
    }
    if (!pixels_) return false;
    const std::uint32_t rgb = (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
                              (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
    trail::DrawHalo(pixels_, side_, rgb, opacityPercent);
    ::GdiFlush();
    const win::MemoryDC dc(::CreateCompatibleDC(nullptr));
    if (!dc) return false;
    const win::SelectScope selected(dc.get(), image_.get());
    POINT origin{pointer.x - side_ / 2, pointer.y - side_ / 2};
    SIZE size{side_, side_};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!::UpdateLayeredWindow(window_, nullptr, &origin, &size, dc.get(), &source, 0, &blend, ULW_ALPHA)) return false;
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
    POINT origin{pointer.x - side_ / 2, pointer.y - side_ / 2};
    ::UpdateLayeredWindow(window_, nullptr, &origin, nullptr, nullptr, nullptr, 0, nullptr, 0);
}

void HaloWindow::Hide() noexcept {
    if (window_ && shown_) ::ShowWindow(window_, SW_HIDE);
    shown_ = false;
}

void HaloWindow::Close() noexcept {
    if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
    window_ = nullptr;
    image_.reset();
    pixels_ = nullptr;
    side_ = 0;
    opacity_ = -1;
    shown_ = false;
}

std::uint32_t HaloWindow::PixelAt(int x, int y) const noexcept {
    return pixels_ && x >= 0 && y >= 0 && x < side_ && y < side_
               ? pixels_[static_cast<size_t>(y) * static_cast<size_t>(side_) + static_cast<size_t>(x)]
               : 0;
}
