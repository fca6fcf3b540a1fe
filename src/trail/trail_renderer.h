// Drawing the fitted trail into the back buffer with GDI and GDI+.
#pragma once

#include <windows.h>

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

// The same curve drawn a segment at a time, narrowing with age: the newest
// segment at the line width, the oldest at a fifth of it (never under a
// pixel), the ones between evenly spaced, round caps where two widths meet.
// Nothing when drawLines is 0.
void DrawTaperedCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted,
                      const TrailStyle& style) noexcept;

// The line in the style's kind: straight, tapered or the plain curve.
void DrawLine(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept;

// The width of segment `segment` (0 the newest) of `segments`, for a line `lineWidth` pixels wide.
float TaperedWidth(int lineWidth, int segment, int segments) noexcept;

// Dots when drawPoints is set; always returns the pixel of the newest point,
// placed with the point-width margin when no dots are drawn.
Point DrawPoints(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept;

}  // namespace trail
