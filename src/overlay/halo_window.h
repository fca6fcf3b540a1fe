// The halo around the pointer: a soft disc in a small click-through window of
// its own, drawn once for its colour, opacity and DPI, and then only moved.
#pragma once

#include <windows.h>

#include <cstdint>

#include "win/dpi.h"
#include "win/screen.h"

class HaloWindow {
public:
    HaloWindow() noexcept = default;
    HaloWindow(const HaloWindow&) = delete;
    HaloWindow& operator=(const HaloWindow&) = delete;
    ~HaloWindow() { Close(); }

    // Shown centred on `pointer` just below `above` (the trail's window), in
    // `colour` at `opacityPercent` and at the DPI of the monitor under the
    // pointer: drawn again only when one of those changed, else moved.
    void Show(POINT pointer, COLORREF colour, int opacityPercent, HWND above) noexcept;
    // Centred on `pointer` with the pixels it has; nothing while hidden.
    void Follow(POINT pointer) noexcept;
    void Hide() noexcept;
    // The window and its image given back.
    void Close() noexcept;

    bool shown() const noexcept { return shown_; }
    HWND window() const noexcept { return window_; }
    // Its pixels (premultiplied, top-down rows of side()).
    int side() const noexcept { return image_.side(); }
    std::uint32_t PixelAt(int x, int y) const noexcept { return image_.PixelAt(x, y); }

    // The DPI of the monitor under a point; a test puts its own here.
    int (*monitorDpi)(POINT) noexcept = win::PointDpi;

private:
    bool Draw(POINT pointer, int dpi, COLORREF colour, int opacityPercent) noexcept;

    HWND window_ = nullptr;
    win::PopupImage image_;
    int dpi_ = 0;
    COLORREF colour_ = 0;
    int opacity_ = -1;
    POINT at_{};
    bool shown_ = false;
};
