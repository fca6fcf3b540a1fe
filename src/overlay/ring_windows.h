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
    // Rings in `line` that close on the pointer, centred on it again at every
    // frame as it moves: from a fifth of the height of the monitor under `at`
    // across, at its DPI, shown just below `insertAfter`. A find under way starts again.
    void Find(POINT at, COLORREF line, HWND insertAfter) noexcept;
    // Every window gone and the clock stopped.
    void Close() noexcept;

    bool ticking() const noexcept { return clock_.running(); }
    // The closing rings' window while they close, else none.
    HWND findWindow() const noexcept { return find_.window; }
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

    // The DPI of the monitor under a point, the height of that monitor, and
    // the pointer as frames read it; a test puts its own here.
    int (*monitorDpi)(POINT) noexcept = win::PointDpi;
    int (*monitorHeight)(POINT) noexcept = [](POINT at) noexcept {
        MONITORINFO info{sizeof info, {}, {}, 0};
        return ::GetMonitorInfoW(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info)
                   ? static_cast<int>(info.rcMonitor.bottom - info.rcMonitor.top)
                   : 768;
    };
    BOOL(WINAPI* readPointer)(LPPOINT) = ::GetCursorPos;

    static constexpr UINT_PTR kFrameTimerId = 1;

private:
    struct Ring {
        HWND window = nullptr;
        win::PopupImage image;
        int dpi = 96;
        POINT centre{};
        trail::RingButton button = trail::RingButton::Left;
        COLORREF line = 0;
        COLORREF point = 0;
    };
    struct Finding {
        HWND window = nullptr;
        win::PopupImage image;
        int dpi = 96;
        int startPx = 0;
        std::int64_t start = 0;
        POINT centre{};
        COLORREF line = 0;
    };
    // The ring's pixels as `look` has them, presented; false when it could not be shown.
    bool Show(Ring& ring, const trail::RingLook& look) noexcept;
    bool ShowFind(const trail::FindLook& look) noexcept;
    // The closing rings' window and image given back.
    void EndFind() noexcept;
    // Runs the clock on a window that lives while anything does; stops it when nothing does.
    void KeepClock(std::int64_t time) noexcept;
    void OnTimer(UINT_PTR id) noexcept override;

    std::array<Ring, trail::kRingWindows> rings_{};
    Finding find_;
    trail::RingPool pool_;
    win::FrameClock clock_;
};
