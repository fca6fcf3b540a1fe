// Pointer history, rest test, fitting and pixel placement of the trail.
// Pure integer work on fixed arrays: no allocation, no platform headers.
#pragma once

#include <array>
#include <cstdint>

namespace trail {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend constexpr bool operator==(Point, Point) = default;
};

inline constexpr int kHistoryLength = 15;

// Index 0 is the newest sample, index 14 the oldest.
using TrailHistory = std::array<Point, kHistoryLength>;
using PointArray = std::array<Point, kHistoryLength>;

// Entry i takes entry i - 1 (from 14 down to 1), then entry 0 = newest.
void ShiftHistory(TrailHistory& history, Point newest) noexcept;

// True when entries 1..14 all equal entry 0.
bool IsAtRest(const TrailHistory& history) noexcept;

// The rest test of a drawing tick. At rest with restDrawn set: Skip.
// At rest with restDrawn clear: restDrawn = 1, Draw. Moving: restDrawn = 0, Draw.
enum class TickDecision { Skip, Draw };
TickDecision DecideRest(const TrailHistory& history, std::int32_t& restDrawn) noexcept;

// Copies the history into `fitted`, translates its bounding box to the origin,
// squeezes each axis on its own when its extent is strictly larger than the
// image (ratio formed first in double, then multiplied and truncated), and
// centres the box on (0, 0) with truncating halves. width, height > 0.
void FitTrail(const TrailHistory& history, int width, int height, PointArray& fitted) noexcept;

// Image pixel of a fitted point. Margin m = halfWidth + 30; X = width/2 + x,
// clamped low to m first, then high to width - m - 1 (the upper test wins).
Point ClampToImage(int halfWidth, Point fitted, int width, int height) noexcept;

struct PlacedPath {
    std::array<Point, kHistoryLength> pixels{};
    int count = 0;
};

// Straight-segment vertices: fitted point 0 is always the start; each later
// point is kept only when its pixel differs from the previously kept one.
PlacedPath PlaceSegments(const PointArray& fitted, int halfWidth, int width, int height) noexcept;

// Curve vertices and dots: the previous pixel starts as (0, 0); a point whose
// pixel equals the previous one is dropped.
PlacedPath PlaceDistinct(const PointArray& fitted, int halfWidth, int width, int height) noexcept;

// A rectangle of screen pixels, right and bottom edges outside.
struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend constexpr bool operator==(Rect, Rect) = default;
};

constexpr int Width(Rect r) noexcept { return r.right - r.left; }
constexpr int Height(Rect r) noexcept { return r.bottom - r.top; }
constexpr bool IsEmpty(Rect r) noexcept { return r.right <= r.left || r.bottom <= r.top; }
constexpr Rect Inflate(Rect r, int by) noexcept { return {r.left - by, r.top - by, r.right + by, r.bottom + by}; }
// The smallest rectangle holding both; an empty one adds nothing.
Rect Union(Rect a, Rect b) noexcept;
// What the two share; empty when nothing.
Rect Intersect(Rect a, Rect b) noexcept;
// Whether `inner` lies wholly inside `outer` (an empty one always does).
bool Contains(Rect outer, Rect inner) noexcept;

// The window a fading trail is shown in, placed anew only when `current` no
// longer holds `needed` (cut to `screen`): then at least as large as both and
// `step` pixels of room around `needed`, in whole steps, and along an axis it
// outgrew at least half again as large as it was; never larger than the
// screen, and within it. So its size holds while a stroke lasts, it only
// moves as the trail travels, and the head has room to run between samples.
Rect PlaceFadingWindow(Rect needed, Rect current, Rect screen, int step) noexcept;

// A trail at true scale: its window covers the samples' bounds and `margin`
// pixels beyond on every side, cut to `screen`; the samples, a repeated one
// dropped, lie at their own pixels of that window, the newest first.
struct TrueScaleFrame {
    Rect window;
    PlacedPath path;
};
TrueScaleFrame FrameTrail(const TrailHistory& history, int margin, Rect screen) noexcept;

// Opaque GDI+ ARGB from a COLORREF (0x00BBGGRR): 0xFF000000 | R << 16 | G << 8 | B.
std::uint32_t ArgbFromColorref(std::uint32_t colorref) noexcept;

}  // namespace trail
