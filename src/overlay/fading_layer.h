// How the fading trail is shown: a window of per-pixel alpha whose size holds
// while a stroke lasts, the whole trail drawn at every sample, and between
// samples only its head, drawn to the live pointer and presented in the
// rectangle it changed, so that a frame costs the same however large the trail.
#pragma once

#include <windows.h>

#include "trail/trail_geometry.h"
#include "trail/trail_renderer.h"
#include "trail/trail_style.h"
#include "win/back_buffer.h"

class FadingLayer {
public:
    explicit FadingLayer(win::BackBuffer& image) noexcept : image_(image) {}

    // The whole trail through `history`, its head drawn on to `pointer`, in a
    // window placed anew only when the trail has outgrown it, shown just below
    // `insertAfter`. `screen` is the virtual screen. False when it could not
    // be shown: then the window is hidden until the next sample.
    bool ShowSample(HWND window, HWND insertAfter, const trail::TrailHistory& history, const trail::TrailStyle& style,
                    trail::Rect screen, trail::Point pointer) noexcept;
    // The head drawn on to `pointer`, only where it changes; nothing while the
    // window is hidden or the pointer has not moved. False when the head has
    // left the window: the trail then needs a whole sample to be shown there.
    bool ShowFrame(HWND window, trail::Point pointer) noexcept;
    void Hide(HWND window) noexcept;
    // The image and its scratch room given back; the next sample starts small.
    void Release() noexcept;

    // The window's rectangle on the screen; empty before the first sample.
    trail::Rect placed() const noexcept { return placed_; }
    // The newest sample's pixel in the window.
    trail::Point newest() const noexcept { return path_.count ? path_.pixels[0] : trail::Point{}; }
    bool shown() const noexcept { return shown_; }

    // The system's call that shows the image; a test puts a failing one in.
    decltype(&::UpdateLayeredWindowIndirect) present = ::UpdateLayeredWindowIndirect;

private:
    // The head's line and the rectangle of the image it and the newest dot cover.
    trail::Rect HeadRect(trail::Point pointer, trail::StrokeSamples& line) const noexcept;
    bool Present(HWND window, const trail::Rect* dirty) noexcept;

    win::BackBuffer& image_;
    trail::FadingCanvas canvas_;
    trail::TrailStyle style_{};
    // The samples, in pixels of the image.
    trail::PlacedPath path_{};
    // Screen pixels: the window, and the pointer the head was last drawn to.
    trail::Rect placed_{};
    trail::Point head_{};
    // Image pixels: what the sample drew, and what the head drew since.
    trail::Rect drawn_{};
    trail::Rect headDrawn_{};
    bool shown_ = false;
};
