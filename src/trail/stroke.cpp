#include "trail/stroke.h"

#include <algorithm>
#include <cmath>

namespace trail {
namespace {

PointF ToF(Point p) noexcept { return {static_cast<float>(p.x), static_cast<float>(p.y)}; }
PointF Plus(PointF a, PointF b) noexcept { return {a.x + b.x, a.y + b.y}; }
PointF Minus(PointF a, PointF b) noexcept { return {a.x - b.x, a.y - b.y}; }
PointF Times(PointF a, float k) noexcept { return {a.x * k, a.y * k}; }
float Length(PointF a) noexcept { return std::hypot(a.x, a.y); }

// Steps a piece is cut into: about one every six pixels of its control polygon.
int StepsFor(const BezierPiece& piece) noexcept {
    const float reach = Length(Minus(piece.control1, piece.from)) + Length(Minus(piece.control2, piece.control1)) +
                        Length(Minus(piece.to, piece.control2));
    return std::clamp(static_cast<int>(reach / 6.0f) + 1, 1, kMaxStepsPerPiece);
}

}  // namespace

int CardinalPieces(const Point* points, int count, float tension, BezierPieces& pieces) noexcept {
    if (count < 2) return 0;
    count = std::min(count, kMaxPieces + 1);
    const float k = tension / 3.0f;
    // The ends take themselves as their missing neighbour.
    const auto at = [&](int i) { return ToF(points[std::clamp(i, 0, count - 1)]); };
    for (int i = 0; i + 1 < count; ++i) {
        const PointF from = at(i);
        const PointF to = at(i + 1);
        pieces[i] = {from, Plus(from, Times(Minus(to, at(i - 1)), k)), Minus(to, Times(Minus(at(i + 2), from), k)), to};
    }
    return count - 1;
}

PointF PointOn(const BezierPiece& piece, float t) noexcept {
    const float u = 1.0f - t;
    const float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * piece.from.x + b * piece.control1.x + c * piece.control2.x + d * piece.to.x,
            a * piece.from.y + b * piece.control1.y + c * piece.control2.y + d * piece.to.y};
}

float TaperedWidth(int lineWidth, float along) noexcept {
    const float full = static_cast<float>(lineWidth);
    const float thinnest = std::max(1.0f, full / 5.0f);
    return full - (full - thinnest) * std::clamp(along, 0.0f, 1.0f);
}

StrokeSamples SampleLine(const PlacedPath& path, bool curved, float headWidth, float tailWidth) noexcept {
    StrokeSamples line;
    const int pieces = std::max(path.count - 1, 0);
    line.oldest = static_cast<float>(pieces);
    const auto add = [&](PointF at, float age) {
        const float along = pieces ? age / static_cast<float>(pieces) : 0.0f;
        line.samples[line.count++] = {at, (headWidth + (tailWidth - headWidth) * along) / 2.0f, age};
    };
    if (path.count == 0) return line;
    add(ToF(path.pixels[0]), 0.0f);
    if (!curved) {
        for (int i = 1; i < path.count; ++i) add(ToF(path.pixels[i]), static_cast<float>(i));
        return line;
    }
    BezierPieces spline;
    CardinalPieces(path.pixels.data(), path.count, kCurveTension, spline);
    for (int i = 0; i < pieces; ++i) {
        const int steps = StepsFor(spline[i]);
        for (int s = 1; s <= steps; ++s) {
            const float t = static_cast<float>(s) / static_cast<float>(steps);
            add(PointOn(spline[i], t), static_cast<float>(i) + t);
        }
    }
    return line;
}

StrokeSamples HeadLine(Point pointer, const PlacedPath& path, bool curved, float width) noexcept {
    if (path.count == 0 || pointer == path.pixels[0]) return {};
    PlacedPath joined;
    joined.pixels[0] = pointer;
    joined.count = std::min(path.count, 2) + 1;
    for (int i = 1; i < joined.count; ++i) joined.pixels[i] = path.pixels[i - 1];
    StrokeSamples line = SampleLine(joined, curved, width, width);
    // Only the first piece: from the pointer to the newest sample.
    int kept = 0;
    while (kept < line.count && line.samples[kept].age <= 1.0f) ++kept;
    line.count = kept;
    line.oldest = 1.0f;
    return line;
}

Rect LineBounds(const StrokeSamples& line, float fringe) noexcept {
    if (line.count == 0) return {};
    float left = line.samples[0].at.x, right = left, top = line.samples[0].at.y, bottom = top;
    for (int i = 0; i < line.count; ++i) {
        const StrokeSample& s = line.samples[i];
        const float reach = s.halfWidth + fringe;
        left = std::min(left, s.at.x - reach);
        right = std::max(right, s.at.x + reach);
        top = std::min(top, s.at.y - reach);
        bottom = std::max(bottom, s.at.y + reach);
    }
    return {static_cast<std::int32_t>(std::floor(left)), static_cast<std::int32_t>(std::floor(top)),
            static_cast<std::int32_t>(std::ceil(right)) + 1, static_cast<std::int32_t>(std::ceil(bottom)) + 1};
}

void OutlineStroke(const StrokeSamples& line, StrokeOutline& outline) noexcept {
    outline.quadCount = 0;
    outline.discCount = 0;
    for (int i = 0; i < line.count; ++i) {
        const StrokeSample& a = line.samples[i];
        outline.discs[outline.discCount++] = {a.at, a.halfWidth};
        if (i + 1 == line.count) break;
        const StrokeSample& b = line.samples[i + 1];
        const PointF d = Minus(b.at, a.at);
        const float length = Length(d);
        if (length < 1e-3f) continue;  // the discs cover a step that goes nowhere
        // The left-hand normal: corners in this order enclose a negative area
        // (x right, y down), as the discs' do.
        const PointF n{-d.y / length, d.x / length};
        outline.quads[outline.quadCount++] = {{Plus(a.at, Times(n, a.halfWidth)), Plus(b.at, Times(n, b.halfWidth)),
                                               Minus(b.at, Times(n, b.halfWidth)), Minus(a.at, Times(n, a.halfWidth))}};
    }
}

DiscPolygon DiscCorners(const Disc& disc) noexcept {
    constexpr float kPi = 3.14159265f;
    // Through the corners at the radius, a polygon of n corners cuts the
    // circle short by up to r (1 - cos(pi / n)); a radius between the two
    // halves that, so n follows from a tolerance of 0.3 / 2 px.
    const float r = std::max(disc.radius, 0.5f);
    const int n =
        std::clamp(static_cast<int>(std::ceil(kPi / std::acos(std::max(1.0f - 0.3f / r, -1.0f)))), 8, kMaxDiscCorners);
    const float radius = disc.radius * (1.0f + 1.0f / std::cos(kPi / static_cast<float>(n))) / 2.0f;
    DiscPolygon polygon;
    polygon.count = n;
    for (int k = 0; k < n; ++k) {
        const float angle = -2.0f * kPi * static_cast<float>(k) / static_cast<float>(n);
        polygon.corners[k] = {disc.centre.x + radius * std::cos(angle), disc.centre.y + radius * std::sin(angle)};
    }
    return polygon;
}

std::uint8_t FadeAlpha(float age, float oldest) noexcept {
    if (oldest <= 0) return kHeadAlpha;
    const float along = std::clamp(age / oldest, 0.0f, 1.0f);
    return static_cast<std::uint8_t>(std::lround(kHeadAlpha - (kHeadAlpha - kTailAlpha) * along));
}

void FadeByAge(std::uint32_t* topRow, std::ptrdiff_t stride, int width, int height, const StrokeSamples& line,
               std::uint8_t* claimed) noexcept {
    if (width <= 0 || height <= 0) return;
    std::fill(claimed, claimed + static_cast<std::ptrdiff_t>(width) * height, std::uint8_t{0});
    const auto fade = [&](int x, int y, float age) {
        std::uint32_t& argb = topRow[static_cast<std::ptrdiff_t>(y) * stride + x];
        claimed[static_cast<std::ptrdiff_t>(y) * width + x] = 1;
        if (!argb) return;
        const std::uint32_t alpha = FadeAlpha(age, line.oldest);
        // Premultiplied: every channel scales alike, rounded, so none exceeds the alpha.
        const auto scale = [&](int shift) { return (((argb >> shift) & 0xFFu) * alpha + 127u) / 255u << shift; };
        argb = scale(24) | scale(16) | scale(8) | scale(0);
    };
    // Newest first: each part of the line takes the pixels within its half
    // width (and the antialiased fringe beyond) that no newer part took.
    constexpr float kFringe = 1.5f;
    const auto take = [&](const StrokeSample& a, const StrokeSample& b) {
        const float reach = std::max(a.halfWidth, b.halfWidth) + kFringe;
        const int left = std::max(0, static_cast<int>(std::floor(std::min(a.at.x, b.at.x) - reach)));
        const int right = std::min(width - 1, static_cast<int>(std::ceil(std::max(a.at.x, b.at.x) + reach)));
        const int top = std::max(0, static_cast<int>(std::floor(std::min(a.at.y, b.at.y) - reach)));
        const int bottom = std::min(height - 1, static_cast<int>(std::ceil(std::max(a.at.y, b.at.y) + reach)));
        const PointF d = Minus(b.at, a.at);
        const float lengthSquared = d.x * d.x + d.y * d.y;
        for (int y = top; y <= bottom; ++y) {
            for (int x = left; x <= right; ++x) {
                if (claimed[static_cast<std::ptrdiff_t>(y) * width + x]) continue;
                // GDI+ puts pixel centres at whole coordinates (PixelOffsetModeNone).
                const PointF ap = Minus({static_cast<float>(x), static_cast<float>(y)}, a.at);
                const float t =
                    lengthSquared > 0 ? std::clamp((ap.x * d.x + ap.y * d.y) / lengthSquared, 0.0f, 1.0f) : 0.0f;
                const float half = a.halfWidth + (b.halfWidth - a.halfWidth) * t;
                if (Length(Minus(ap, Times(d, t))) <= half + kFringe) fade(x, y, a.age + (b.age - a.age) * t);
            }
        }
    };
    if (line.count == 1) take(line.samples[0], line.samples[0]);
    for (int i = 0; i + 1 < line.count; ++i) take(line.samples[i], line.samples[i + 1]);
    // Nothing of the line lies farther out; should a pixel, it takes the tail's alpha.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (!claimed[static_cast<std::ptrdiff_t>(y) * width + x]) fade(x, y, line.oldest);
}

}  // namespace trail
