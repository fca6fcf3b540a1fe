// Drawing the fitted trail into the back buffer with GDI and GDI+.
#pragma once

#include <windows.h>

#include <cstdint>

#include "trail/trail_geometry.h"
#include "trail/trail_style.h"
#include "win/back_buffer.h"

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

// Per-pixel alpha: the trail through `path` (image pixels, newest first),
// drawn into the top-left width x height pixels of `image`, which it first
// clears, as premultiplied ARGB, antialiased, its alpha falling with age from
// the newest sample to the oldest in the style's line kind, colours and widths.
// `claimed` is scratch room for width x height bytes.
void DrawFadingTrail(win::BackBuffer& image, HDC dc, int width, int height, const PlacedPath& path,
                     const TrailStyle& style, std::uint8_t* claimed) noexcept;

}  // namespace trail
