#include "overlay/ring_windows.h"

#include <algorithm>
#include <cmath>

#include "trail/trail_geometry.h"
#include "win/screen.h"

namespace {

// 0x00RRGGBB, as the ring's pixels take it.
std::uint32_t Rgb(COLORREF colour) noexcept { return trail::ArgbFromColorref(colour) & 0xFFFFFFu; }

}  // namespace

void RingWindows::OnTimer(UINT_PTR id) noexcept {
    if (id == kFrameTimerId) Frame();
}

void RingWindows::Press(POINT at, trail::RingButton button, COLORREF line, COLORREF point, HWND insertAfter) noexcept {
    const std::int64_t start = now();
    Ring& ring = rings_[static_cast<size_t>(pool_.Take(start))];
    if (!ring.window) ring.window = win::MakeClickThroughWindow(this);
    if (!ring.window) return;
    // The z-order now, while the window is hidden. A window taken from a ring
    // still shown goes first, so that its ring is never seen moved.
    ::SetWindowPos(ring.window, insertAfter, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_HIDEWINDOW);
    // The DPI of the monitor under the press, not of the one the window's
    // corner lies on: near a monitor's border the two differ.
    const int dpi = monitorDpi(at);
    if (dpi != ring.dpi) ring.image.Reset();
    if (!ring.image.Fit(trail::RingImageSide(dpi))) return;
    ring.dpi = dpi;
    ring.centre = at;
    ring.button = button;
    ring.line = line;
    ring.point = point;
    if (!Show(ring, trail::RingAt(0, ring.dpi))) return;
    ::ShowWindow(ring.window, SW_SHOWNOACTIVATE);
    KeepClock(start);
}

void RingWindows::Find(POINT at, COLORREF line, HWND insertAfter) noexcept {
    if (!find_.window) find_.window = win::MakeClickThroughWindow(this);
    if (!find_.window) return;
    ::SetWindowPos(find_.window, insertAfter, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_HIDEWINDOW);
    const int dpi = monitorDpi(at);
    const int startPx = std::max(monitorHeight(at) / 5, 32);
    if (!find_.image.Fit(trail::FindImageSide(startPx, dpi))) return EndFind();
    find_.dpi = dpi;
    find_.startPx = startPx;
    find_.start = now();
    find_.centre = at;
    find_.line = line;
    if (!ShowFind(trail::FindRingsAt(0, startPx, dpi))) return EndFind();
    ::ShowWindow(find_.window, SW_SHOWNOACTIVATE);
    KeepClock(find_.start);
}

bool RingWindows::ShowFind(const trail::FindLook& look) noexcept {
    // The image shrinks with the rings, by a quarter or more at a time: a
    // large popup costs more to present, most of all under Wine, which works
    // out its shape from every pixel at every frame.
    const int needed = static_cast<int>(std::ceil(2.0f * std::max(look.outer, look.inner) + look.width)) + 4;
    if (4 * needed <= 3 * find_.image.side() && !find_.image.Fit(needed)) return false;
    std::uint32_t* const pixels = find_.image.pixels();
    if (!pixels) return false;
    const int side = find_.image.side();
    std::fill_n(pixels, static_cast<size_t>(side) * static_cast<size_t>(side), 0u);
    if (look.outer > 0) trail::DrawRing(pixels, side, look.outer, look.width, Rgb(find_.line), look.alpha);
    if (look.inner > 0) trail::DrawRing(pixels, side, look.inner, look.width, Rgb(find_.line), look.alpha);
    return find_.image.Present(find_.window, find_.centre);
}

void RingWindows::EndFind() noexcept {
    if (find_.window && ::IsWindow(find_.window)) ::DestroyWindow(find_.window);
    find_ = Finding{};
}

void RingWindows::KeepClock(std::int64_t time) noexcept {
    // The clock's timer belongs to a window: one of the click rings', which
    // stay while the program runs, or the closing rings', which go when they end.
    HWND owner = nullptr;
    if (pool_.AnyAlive(time))
        for (const Ring& ring : rings_)
            if (ring.window) owner = ring.window;
    if (!owner) owner = find_.window;
    if (clock_.running() && clock_.window() != owner) clock_.Stop();
    if (owner)
        clock_.Start(owner, kFrameTimerId);
    else
        clock_.Stop();
}

bool RingWindows::Show(Ring& ring, const trail::RingLook& look) noexcept {
    std::uint32_t* const pixels = ring.image.pixels();
    if (!pixels) return false;
    // The fade is drawn into the pixels at every frame, not given as the
    // window's constant alpha: Wine 8 applies no new constant alpha without
    // a source image, so there a ring would stop fading and vanish at once.
    // A frame costs about 1.5 ms under Wine, for half a second.
    const int side = ring.image.side();
    std::fill_n(pixels, static_cast<size_t>(side) * static_cast<size_t>(side), 0u);
    switch (ring.button) {
    case trail::RingButton::Left:
        trail::DrawRing(pixels, side, look.radius, look.width, Rgb(ring.line), look.alpha);
        break;
    case trail::RingButton::Right:
        trail::DrawRing(pixels, side, look.radius, look.width, Rgb(ring.point), look.alpha);
        break;
    case trail::RingButton::Middle:
        // A double ring: the line colour outside, the point colour within.
        trail::DrawRing(pixels, side, look.radius, look.width, Rgb(ring.line), look.alpha);
        trail::DrawRing(pixels, side, std::max(0.0f, look.radius - 1.5f * look.width), look.width, Rgb(ring.point),
                        look.alpha);
        break;
    }
    return ring.image.Present(ring.window, ring.centre);
}

void RingWindows::Frame() noexcept {
    const std::int64_t time = now();
    for (int slot = 0; slot < trail::kRingWindows; ++slot) {
        Ring& ring = rings_[static_cast<size_t>(slot)];
        if (!ring.window || !::IsWindowVisible(ring.window)) continue;
        const trail::RingLook look = pool_.Alive(slot, time)
                                         ? trail::RingAt(static_cast<int>(time - pool_.Start(slot)), ring.dpi)
                                         : trail::RingLook{};
        if (!look.alive || !Show(ring, look)) ::ShowWindow(ring.window, SW_HIDE);
    }
    if (find_.window) {
        const trail::FindLook look = trail::FindRingsAt(static_cast<int>(time - find_.start), find_.startPx, find_.dpi);
        // Centred on the pointer as it is now: it keeps moving.
        if (POINT pointer{}; readPointer(&pointer)) find_.centre = pointer;
        if (!look.alive || !ShowFind(look)) EndFind();
    }
    KeepClock(time);
}

void RingWindows::Close() noexcept {
    clock_.Stop();
    EndFind();
    for (Ring& ring : rings_) {
        if (ring.window && ::IsWindow(ring.window)) ::DestroyWindow(ring.window);
        ring.window = nullptr;
        ring.image.Reset();
    }
}
