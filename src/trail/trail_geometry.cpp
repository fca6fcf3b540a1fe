#include "trail/trail_geometry.h"

#include <algorithm>
#include <utility>

namespace trail {
namespace {

using Axis = std::array<std::int64_t, kHistoryLength>;

// Screen coordinates on a multi-monitor desktop span more than int32 can hold
// as a difference, so each axis is fitted in 64 bits. After fitting, every
// value lies within [-limit, limit] and fits back into int32.
void FitAxis(Axis& v, int limit) noexcept {
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    const std::int64_t min = *lo;
    const std::int64_t extent = *hi - min;
    for (auto& c : v) c -= min;

    // The ratio is formed once and then multiplied, not limit * c / extent:
    // the two differ by one pixel for some extents, and the drawn trail must
    // match the established rounding.
    if (extent > limit) {
        const double ratio = static_cast<double>(limit) / static_cast<double>(extent);
        for (auto& c : v) c = static_cast<std::int64_t>(ratio * static_cast<double>(c));
    }

    const auto [lo2, hi2] = std::minmax_element(v.begin(), v.end());
    const std::int64_t half = (*hi2 - *lo2) / 2;
    for (auto& c : v) c -= half;
}

std::int32_t ClampAxis(std::int64_t margin, std::int64_t size, std::int32_t offset) noexcept {
    std::int64_t c = size / 2 + offset;
    if (c < margin) c = margin;
    // Second on purpose: in an image no wider than two margins this test wins.
    if (c >= size - margin) c = size - margin - 1;
    return static_cast<std::int32_t>(c);
}

}  // namespace

void ShiftHistory(TrailHistory& history, Point newest) noexcept {
    for (int i = kHistoryLength - 1; i > 0; --i) history[i] = history[i - 1];
    history[0] = newest;
}

bool IsAtRest(const TrailHistory& history) noexcept {
    return std::all_of(history.begin() + 1, history.end(), [&](Point p) { return p == history[0]; });
}

TickDecision DecideRest(const TrailHistory& history, std::int32_t& restDrawn) noexcept {
    if (!IsAtRest(history)) {
        restDrawn = 0;
        return TickDecision::Draw;
    }
    // A resting pointer is drawn once so the trail collapses to a dot, then
    // left alone until it moves again.
    if (restDrawn != 0) return TickDecision::Skip;
    restDrawn = 1;
    return TickDecision::Draw;
}

void FitTrail(const TrailHistory& history, int width, int height, PointArray& fitted) noexcept {
    Axis xs{};
    Axis ys{};
    for (int i = 0; i < kHistoryLength; ++i) {
        xs[i] = history[i].x;
        ys[i] = history[i].y;
    }
    FitAxis(xs, width);
    FitAxis(ys, height);
    for (int i = 0; i < kHistoryLength; ++i) {
        fitted[i] = {static_cast<std::int32_t>(xs[i]), static_cast<std::int32_t>(ys[i])};
    }
}

Point ClampToImage(int halfWidth, Point fitted, int width, int height) noexcept {
    const std::int64_t margin = static_cast<std::int64_t>(halfWidth) + 30;
    return {ClampAxis(margin, width, fitted.x), ClampAxis(margin, height, fitted.y)};
}

PlacedPath PlaceSegments(const PointArray& fitted, int halfWidth, int width, int height) noexcept {
    PlacedPath path;
    path.pixels[0] = ClampToImage(halfWidth, fitted[0], width, height);
    path.count = 1;
    for (int i = 1; i < kHistoryLength; ++i) {
        const Point p = ClampToImage(halfWidth, fitted[i], width, height);
        if (p != path.pixels[path.count - 1]) path.pixels[path.count++] = p;
    }
    return path;
}

PlacedPath PlaceDistinct(const PointArray& fitted, int halfWidth, int width, int height) noexcept {
    PlacedPath path;
    // Starting from (0, 0) rather than "nothing yet" also drops a first pixel
    // at the image corner, which the margin rules out in any usable image.
    Point previous{};
    for (const Point f : fitted) {
        const Point p = ClampToImage(halfWidth, f, width, height);
        if (p != previous) {
            path.pixels[path.count++] = p;
            previous = p;
        }
    }
    return path;
}

TrueScaleFrame FrameTrail(const TrailHistory& history, int margin, Rect screen) noexcept {
    std::int64_t left = history[0].x, right = history[0].x, top = history[0].y, bottom = history[0].y;
    for (const Point p : history) {
        left = std::min<std::int64_t>(left, p.x);
        right = std::max<std::int64_t>(right, p.x);
        top = std::min<std::int64_t>(top, p.y);
        bottom = std::max<std::int64_t>(bottom, p.y);
    }
    // Cut to the screen: no pixel beyond it can be seen, and the image never
    // grows past it. The pointer is on the screen, but the cut never takes the
    // newest sample, which must lie under it, should the two disagree.
    screen.left = std::min(screen.left, history[0].x);
    screen.top = std::min(screen.top, history[0].y);
    screen.right = std::max(screen.right, history[0].x + 1);
    screen.bottom = std::max(screen.bottom, history[0].y + 1);
    TrueScaleFrame frame;
    frame.window = {static_cast<std::int32_t>(std::max<std::int64_t>(left - margin, screen.left)),
                    static_cast<std::int32_t>(std::max<std::int64_t>(top - margin, screen.top)),
                    static_cast<std::int32_t>(std::min<std::int64_t>(right + margin + 1, screen.right)),
                    static_cast<std::int32_t>(std::min<std::int64_t>(bottom + margin + 1, screen.bottom))};
    PlacedPath& path = frame.path;
    for (const Point p : history) {
        const Point pixel{p.x - frame.window.left, p.y - frame.window.top};
        if (path.count == 0 || pixel != path.pixels[path.count - 1]) path.pixels[path.count++] = pixel;
    }
    return frame;
}

Rect Union(Rect a, Rect b) noexcept {
    if (IsEmpty(a)) return b;
    if (IsEmpty(b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

Rect Intersect(Rect a, Rect b) noexcept {
    const Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    return IsEmpty(r) ? Rect{} : r;
}

bool Contains(Rect outer, Rect inner) noexcept {
    return IsEmpty(inner) || (outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
                              inner.bottom <= outer.bottom);
}

namespace {

// One axis of PlaceFadingWindow: the start and length of the window along it.
std::pair<int, int> PlaceAxis(int from, int to, int current, int screenFrom, int screenTo, int step) noexcept {
    const int wanted = (to - from + 3 * step - 1) / step * step;
    // Outgrown, it grows by half again at the least, so that a stroke makes
    // its image anew a few times at most, not at every step of its growth.
    const int grown = wanted > current ? std::max(wanted, (current + current / 2 + step - 1) / step * step) : current;
    const int length = std::min(grown, screenTo - screenFrom);
    int start = from + (to - from) / 2 - length / 2;
    start = std::max(std::min(start, from), to - length);
    start = std::clamp(start, screenFrom, screenTo - length);
    return {start, length};
}

}  // namespace

Rect PlaceFadingWindow(Rect needed, Rect current, Rect screen, int step) noexcept {
    needed = Intersect(needed, screen);
    if (!IsEmpty(current) && Contains(current, needed) && Contains(screen, current)) return current;
    const auto [left, width] = PlaceAxis(needed.left, needed.right, Width(current), screen.left, screen.right, step);
    const auto [top, height] = PlaceAxis(needed.top, needed.bottom, Height(current), screen.top, screen.bottom, step);
    return {left, top, left + width, top + height};
}

std::uint32_t ArgbFromColorref(std::uint32_t colorref) noexcept {
    const std::uint32_t r = colorref & 0xFFu;
    const std::uint32_t g = (colorref >> 8) & 0xFFu;
    const std::uint32_t b = (colorref >> 16) & 0xFFu;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

}  // namespace trail
