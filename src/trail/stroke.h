// The geometry of lines that change along their length: the cardinal spline
// as Bezier pieces, the line sampled with its width and age, the filled
// outline of a line narrowing with age, and the alpha that falls with age.
// Pure floating-point work on fixed arrays: no allocation, no platform headers,
// so the same shape comes out on every system.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "trail/trail_geometry.h"

namespace trail {

struct PointF {
    float x = 0;
    float y = 0;
};

struct BezierPiece {
    PointF from, control1, control2, to;
};

inline constexpr int kMaxPieces = kHistoryLength - 1;
using BezierPieces = std::array<BezierPiece, kMaxPieces>;

// DrawCurve's tension ("Graphics::DrawCurve", Microsoft Docs).
inline constexpr float kCurveTension = 0.5f;

// The cardinal spline through `count` points as count - 1 cubic Bezier pieces
// (none for fewer than two points). The control points beside point i lie
// tension / 3 times its neighbours' difference away from it, as GDI+ on
// Windows puts them: Wine's conformance tests of GdipAddPathCurve, measured on
// Windows, expect (1.66, 1.66) and (8.33, 6.66) around (10, 10) for the points
// (0, 0), (10, 10), (10, 20) at the default tension 0.5.
int CardinalPieces(const Point* points, int count, float tension, BezierPieces& pieces) noexcept;

PointF PointOn(const BezierPiece& piece, float t) noexcept;

// A point of a line with half its width there and its age: 0 at the newest
// vertex, 1 at the next, and so on to the oldest.
struct StrokeSample {
    PointF at;
    float halfWidth = 0;
    float age = 0;
};

inline constexpr int kMaxStepsPerPiece = 16;
struct StrokeSamples {
    std::array<StrokeSample, kMaxPieces * kMaxStepsPerPiece + 1> samples{};  // kMaxSamples
    int count = 0;
    // The age of the oldest vertex: the number of pieces.
    float oldest = 0;
};

// The line through the placed points, straight from vertex to vertex or along
// the spline (each piece cut into steps a few pixels long), its width falling
// evenly with age from `headWidth` to `tailWidth`.
StrokeSamples SampleLine(const PlacedPath& path, bool curved, float headWidth, float tailWidth) noexcept;

// The head of a trail between two samples: the line from the live `pointer`
// to the newest sample, path.pixels[0], along the spline through the pointer
// and the samples (as the next sample will draw it, should it land there),
// or straight; as wide as the line at the head throughout. No samples when
// the pointer is on the newest sample.
StrokeSamples HeadLine(Point pointer, const PlacedPath& path, bool curved, float width) noexcept;

// The pixels a line's samples may touch: each within its half width and
// `fringe` pixels more.
Rect LineBounds(const StrokeSamples& line, float fringe) noexcept;

// The width of a tapered line `lineWidth` pixels wide at the head, `along` of
// the way to its tail (0 to 1): evenly down to a fifth, never under a pixel.
float TaperedWidth(int lineWidth, float along) noexcept;

// The outline of a line of varying width: a quadrilateral along each step
// from one sample to the next, as wide as the line at either end, and a disc
// of the line's width at every sample, which rounds the ends and the bends.
// Every shape goes round the same way, so that filled together with the
// winding rule they make one shape, without seams and without the loops an
// offset curve makes inside a tight bend.
struct Quad {
    std::array<PointF, 4> corners;
};
struct Disc {
    PointF centre;
    float radius = 0;
};
inline constexpr int kMaxSamples = kMaxPieces * kMaxStepsPerPiece + 1;
struct StrokeOutline {
    std::array<Quad, kMaxSamples - 1> quads{};
    int quadCount = 0;
    std::array<Disc, kMaxSamples> discs{};
    int discCount = 0;
};
void OutlineStroke(const StrokeSamples& line, StrokeOutline& outline) noexcept;

// A disc as a polygon, wound as the quadrilaterals are, with as few corners
// as keep it within about a tenth of a pixel of the circle.
inline constexpr int kMaxDiscCorners = 24;
struct DiscPolygon {
    std::array<PointF, kMaxDiscCorners> corners{};
    int count = 0;
};
DiscPolygon DiscCorners(const Disc& disc) noexcept;

// Alpha of a part of the trail of age `age` out of `oldest`: the head at full
// alpha, falling evenly to an eighth at the tail.
inline constexpr int kHeadAlpha = 255;
inline constexpr int kTailAlpha = 32;
std::uint8_t FadeAlpha(float age, float oldest) noexcept;

// Scales every pixel of a premultiplied 32-bit image (its top row at
// `topRow`, rows `stride` pixels apart, negative for a bottom-up image) by the
// alpha of the age of the newest part of `line` within reach of it. `claimed`
// is scratch room for width * height bytes.
void FadeByAge(std::uint32_t* topRow, std::ptrdiff_t stride, int width, int height, const StrokeSamples& line,
               std::uint8_t* claimed) noexcept;

}  // namespace trail
