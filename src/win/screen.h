// What lies over the whole screen: the virtual screen's rectangle, and the
// small click-through popups the trail's head and the rings are shown in.
#pragma once

#include <windows.h>

#include <cstdint>

#include "win/gdi.h"

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

// A square image of premultiplied 32-bit pixels (0xAARRGGBB, top-down rows)
// for such a popup.
class PopupImage {
public:
    // Made anew, cleared, unless it has `side` already; false when it cannot be had.
    bool Fit(int side) noexcept;
    void Reset() noexcept;
    // The popup made this image, whole, centred on `centre`.
    bool Present(HWND window, POINT centre) const noexcept;
    std::uint32_t* pixels() const noexcept { return pixels_; }
    int side() const noexcept { return side_; }
    std::uint32_t PixelAt(int x, int y) const noexcept {
        return pixels_ && x >= 0 && y >= 0 && x < side_ && y < side_
                   ? pixels_[static_cast<size_t>(y) * static_cast<size_t>(side_) + static_cast<size_t>(x)]
                   : 0;
    }

private:
    Bitmap bitmap_;
    std::uint32_t* pixels_ = nullptr;
    int side_ = 0;
};

}  // namespace win
