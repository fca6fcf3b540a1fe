// Drawing the fitted trail into the back buffer with GDI and GDI+.
#pragma once

#include <windows.h>

#include "trail/trail_geometry.h"
#include "trail/trail_style.h"
#include "win/back_buffer.h"

namespace trail {

// Typographic points to pixels at the DC's vertical resolution, rounded.
int PenPixels(HDC dc, int points) noexcept;

// Fills the whole image with the colour key.
void ClearImage(win::BackBuffer& buffer, COLORREF colorKey) noexcept;

// Straight segments with a round geometric pen; nothing when drawLines is 0.
void DrawStraightLines(win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept;

// A cardinal spline through the placed points with GDI+'s defaults (no
// smoothing, so every touched pixel is exactly the line colour); nothing when
// drawLines is 0.
void DrawCurve(win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept;

// Dots when drawPoints is set; always returns the pixel of the newest point,
// placed with the point-width margin when no dots are drawn.
Point DrawPoints(win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept;

}  // namespace trail
