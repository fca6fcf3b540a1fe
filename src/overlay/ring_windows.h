// The click rings on the screen: a few small layered windows of their own,
// click-through, never activated and not in the taskbar, each showing one ring
// with per-pixel alpha, and a frame clock that runs only while a ring lives.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "trail/click_rings.h"
#include "win/dpi.h"
#include "win/frame_clock.h"
#include "win/gdi.h"
#include "win/screen.h"

class RingWindows final : private win::TimerTarget {
public:
    RingWindows() noexcept = default;
    RingWindows(const RingWindows&) = delete;
    RingWindows& operator=(const RingWindows&) = delete;
    ~RingWindows() { Close(); }

    // A ring for `button` pressed at `at`, the left button's in `line`, the
    // right one's in `point`, the middle one's in both; shown just below
    // `insertAfter` (HWND_TOPMOST: on top).
    void Press(POINT at, trail::RingButton button, COLORREF line, COLORREF point, HWND insertAfter) noexcept;
    // Every living ring a frame older: grown and faded, or only faded; the
    // ended ones hidden, and the clock stopped with the last.
    void Frame() noexcept;
    // Every window gone and the clock stopped.
    void Close() noexcept;

    bool ticking() const noexcept { return clock_.running(); }
    HWND window(int slot) const noexcept { return rings_[static_cast<size_t>(slot)].window; }
    // The milliseconds since some fixed time; a test puts its own clock here.
    // The performance counter, not GetTickCount64, which moves in steps of
    // 10 to 16 ms: with frames every 16 ms, some would repeat an age and
    // others skip one ("Acquiring high-resolution time stamps", Microsoft Docs).
    std::int64_t (*now)() noexcept = []() noexcept {
        static const LARGE_INTEGER frequency = [] {
            LARGE_INTEGER f{};
            ::QueryPerformanceFrequency(&f);
            return f;
        }();
        LARGE_INTEGER count{};
        ::QueryPerformanceCounter(&count);
        return static_cast<std::int64_t>(count.QuadPart / frequency.QuadPart * 1000 +
                                         count.QuadPart % frequency.QuadPart * 1000 / frequency.QuadPart);
    };

    // The DPI of the monitor under a point; a test puts its own here.
    int (*monitorDpi)(POINT) noexcept = win::PointDpi;

    static constexpr UINT_PTR kFrameTimerId = 1;

private:
    struct Ring {
        HWND window = nullptr;
        win::Bitmap image;
        std::uint32_t* pixels = nullptr;
        int side = 0;
        int dpi = 96;
        POINT centre{};
        trail::RingButton button = trail::RingButton::Left;
        COLORREF line = 0;
        COLORREF point = 0;
    };
    // The ring's pixels as `look` has them, presented; false when it could not be shown.
    bool Show(Ring& ring, const trail::RingLook& look) noexcept;
    void OnTimer(UINT_PTR id) noexcept override;

    std::array<Ring, trail::kRingWindows> rings_{};
    trail::RingPool pool_;
    win::FrameClock clock_;
};
