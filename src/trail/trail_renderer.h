// Drawing the fitted trail into the back buffer with GDI and GDI+.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "trail/stroke.h"
#include "trail/trail_geometry.h"
#include "trail/trail_style.h"
#include "win/back_buffer.h"
#include "win/gdiplus_flat.h"

namespace trail {

// Typographic points to pixels at the image's DPI (else the DC's vertical
// resolution), rounded.
int PenPixels(const win::BackBuffer& buffer, HDC dc, int points) noexcept;

// Each drawing step takes the back buffer's DC from its caller, which acquires
// it once for a whole tick.

// Fills the whole image with the colour key.
void ClearImage(HDC dc, const win::BackBuffer& buffer, COLORREF colorKey) noexcept;

// Straight segments with a round geometric pen; nothing when drawLines is 0.
void DrawStraightLines(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted,
                       const TrailStyle& style) noexcept;

// A cardinal spline through the placed points with GDI+'s defaults (no
// smoothing, so every touched pixel is exactly the line colour); nothing when
// drawLines is 0.
void DrawCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept;

// The same spline, narrowing smoothly with age from the line width at the
// newest point to a fifth of it (never under a pixel) at the oldest, with
// round ends: its outline filled in the exact line colour. Nothing when
// drawLines is 0.
void DrawTaperedCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted,
                      const TrailStyle& style) noexcept;

// The line in the style's kind: straight, tapered or the plain curve.
void DrawLine(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept;

// Dots when drawPoints is set; always returns the pixel of the newest point,
// placed with the point-width margin when no dots are drawn.
Point DrawPoints(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept;

// Pixels every way beyond the samples that a fading trail may touch: half
// the wider pen and the antialiased fringe.
int FadingMargin(const win::BackBuffer& image, HDC dc, const TrailStyle& style) noexcept;

// The fading trail's drawing surface: a premultiplied 32-bit image, the GDI+
// objects that draw into it (a bitmap over its pixels, one brush whose colour
// is set for each fill, one path) and the fade's scratch room, all made once
// for the image's life, so that drawing a frame allocates no image memory.
class FadingCanvas {
public:
    FadingCanvas() noexcept = default;
    FadingCanvas(const FadingCanvas&) = delete;
    FadingCanvas& operator=(const FadingCanvas&) = delete;
    ~FadingCanvas() { Detach(); }

    // Over every pixel of `image`, holding its DC until detached; false (and
    // detached) when memory or GDI+ cannot be had.
    bool Attach(win::BackBuffer& image) noexcept;
    // Gives the GDI+ objects, the DC and the scratch room back.
    void Detach() noexcept;
    bool ready() const noexcept { return top_ != nullptr; }

    int width() const noexcept;
    int height() const noexcept;
    Rect Bounds() const noexcept;
    // Typographic points to pixels at the image's DPI.
    int Pixels(int points) const noexcept;
    std::uint32_t* Row(int y) noexcept;
    std::ptrdiff_t stride() const noexcept { return image_ ? image_->Stride() : 0; }
    std::uint8_t* claimed() noexcept { return claimed_.data(); }
    HDC dc() const noexcept { return dc_; }

    // Transparent.
    void Clear(Rect region) noexcept;
    // GDI+ draws only inside `region` until told otherwise (from the first
    // call after a flush, with a graphics of its own).
    void Clip(Rect region) noexcept;
    // The line's outline, filled with the winding rule as one shape.
    void Fill(gdip::ARGB color, const StrokeSamples& line) noexcept;
    void Dot(gdip::ARGB color, Point at, float radius) noexcept;
    // Every fill so far has reached the pixels; clip again before the next.
    void Flush() noexcept;

private:
    win::BackBuffer* image_ = nullptr;
    HDC dc_ = nullptr;
    std::uint32_t* top_ = nullptr;
    gdip::Image bitmap_;
    gdip::Graphics graphics_;
    gdip::Brush brush_;
    gdip::Path path_;
    std::vector<std::uint8_t> claimed_;
};

// Per-pixel alpha: the trail through `path` (canvas pixels, newest first),
// drawn into `region` of the canvas, which it first clears, as premultiplied
// ARGB, antialiased, its alpha falling with age from the newest sample to the
// oldest, in the style's line kind, colours and widths.
void DrawFadingTrail(FadingCanvas& canvas, Rect region, const PlacedPath& path, const TrailStyle& style) noexcept;

// The head of the trail between samples (HeadLine, canvas pixels) at full
// colour over what `clip` holds, and the newest dot of `path` on top; nothing
// outside `clip`.
void DrawFadingHead(FadingCanvas& canvas, Rect clip, const StrokeSamples& head, const PlacedPath& path,
                    const TrailStyle& style) noexcept;

}  // namespace trail
