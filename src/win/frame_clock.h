// A timer at the display's rate that runs only while there is something to
// draw: a frame clock that costs nothing at rest.
#pragma once

#include <windows.h>

namespace win {

class FrameClock {
public:
    FrameClock() noexcept = default;
    FrameClock(const FrameClock&) = delete;
    FrameClock& operator=(const FrameClock&) = delete;
    ~FrameClock() { Stop(); }

    // WM_TIMER `id` for `window` once a frame from now on; nothing when it is running.
    void Start(HWND window, UINT_PTR id) noexcept;
    void Stop() noexcept;
    bool running() const noexcept { return window_ != nullptr; }
    // The window whose timer it is, while it runs.
    HWND window() const noexcept { return window_; }
    // The milliseconds between frames asked of the timer.
    UINT period() const noexcept { return period_; }

    // A frame's period for a display refreshed `hertz` times a second: the
    // refresh period, in whole milliseconds no shorter than the timer's
    // minimum and no longer than a sample's 50.
    static UINT PeriodFor(double hertz) noexcept;

private:
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
    UINT period_ = 0;
    bool finerTimer_ = false;
};

}  // namespace win
