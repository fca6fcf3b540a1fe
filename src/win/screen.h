// What lies over the whole screen: the virtual screen's rectangle, and the
// small click-through popups the trail's head and the rings are shown in.
#pragma once

#include <windows.h>

namespace win {

// The bounding rectangle of every monitor, in screen pixels.
RECT VirtualScreen() noexcept;

// What a click-through window's WM_TIMER goes to.
class TimerTarget {
public:
    virtual void OnTimer(UINT_PTR id) noexcept = 0;

protected:
    ~TimerTarget() = default;
};

// A hidden popup for per-pixel alpha that takes no click and no activation
// and is not in the taskbar, its timers going to `target` (may be null). It
// has no owner: an owned window is kept above its owner, which would fight
// the z-order the program gives it.
HWND MakeClickThroughWindow(TimerTarget* target = nullptr) noexcept;

}  // namespace win
