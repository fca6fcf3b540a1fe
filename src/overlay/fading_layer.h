// How the fading trail is shown: the trail in a window of per-pixel alpha
// whose size holds while a stroke lasts, drawn whole at every sample, and its
// head, from the newest sample to the live pointer, in a small window of its
// own just above, drawn at every frame and presented in the rectangle it
// changed. So a frame costs the same however large the trail: presenting a
// window costs by its size (Wine copies the whole of it at every update).
#pragma once

#include <windows.h>

#include "trail/trail_geometry.h"
#include "trail/trail_renderer.h"
#include "trail/trail_style.h"
#include "win/back_buffer.h"

class FadingLayer {
public:
    explicit FadingLayer(win::BackBuffer& image) noexcept : image_(image) {}
    FadingLayer(const FadingLayer&) = delete;
    FadingLayer& operator=(const FadingLayer&) = delete;
    ~FadingLayer();

    // The whole trail through `history` in `window`, placed anew only when the
    // trail has outgrown it, shown just below `insertAfter`, and its head drawn
    // on to `pointer`. `screen` is the virtual screen. False when it could not
    // be shown: then both windows are hidden until the next sample.
    bool ShowSample(HWND window, HWND insertAfter, const trail::TrailHistory& history, const trail::TrailStyle& style,
                    trail::Rect screen, trail::Point pointer) noexcept;
    // The head drawn on to `pointer`, only where it changes; nothing while
    // hidden or when the pointer has not moved.
    void ShowFrame(trail::Point pointer) noexcept;
    void Hide(HWND window) noexcept;
    // The images and their scratch room given back; the next sample starts small.
    void Release() noexcept;
    // All given back, the head's window too: the trail's window is going.
    void Close() noexcept;

    // The trail's window on the screen; empty before the first sample.
    trail::Rect placed() const noexcept { return placed_; }
    // The newest sample's pixel in the trail's window.
    trail::Point newest() const noexcept { return path_.count ? path_.pixels[0] : trail::Point{}; }
    bool shown() const noexcept { return shown_; }
    // The head's window, its place on the screen and its image.
    HWND headWindow() const noexcept { return headWindow_; }
    trail::Rect headPlaced() const noexcept { return headPlaced_; }
    const win::BackBuffer& headImage() const noexcept { return headImage_; }

    // The system's call that shows an image; a test puts a failing one in.
    decltype(&::UpdateLayeredWindowIndirect) present = ::UpdateLayeredWindowIndirect;

private:
    // The head drawn to `pointer` in its window, placed anew when it runs out
    // of it (or `whole`: at a sample, presented whole); false when it could not be shown.
    bool ShowHead(trail::Point pointer, bool whole) noexcept;
    bool Present(HWND window, trail::FadingCanvas& canvas, trail::Rect placed, const trail::Rect* dirty) noexcept;
    // An image that could not be made: all given back and hidden until the next sample.
    bool Fail() noexcept;

    win::BackBuffer& image_;
    trail::FadingCanvas canvas_;
    trail::TrailStyle style_{};
    trail::Rect screen_{};
    // The samples, in pixels of the trail's image; their screen pixels.
    trail::PlacedPath path_{};
    trail::Point newestOnScreen_{};
    // How far the pointer went between the last two samples: as far as the head will likely run.
    int lead_ = 0;
    // Screen pixels: the trail's window, the head's, the pointer the head was last drawn to.
    trail::Rect placed_{};
    trail::Rect headPlaced_{};
    trail::Point head_{};
    // Image pixels: what the sample drew, and what the head drew in its own image.
    trail::Rect drawn_{};
    trail::Rect headDrawn_{};
    HWND window_ = nullptr;
    HWND headWindow_ = nullptr;
    win::BackBuffer headImage_;
    trail::FadingCanvas headCanvas_;
    bool shown_ = false;
};
