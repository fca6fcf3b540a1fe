#include "trail/stroke.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace trail;

namespace {

TEST(Stroke, CardinalPiecesPutTheControlPointsWhereWindowsDoes) {
    // Wine's conformance tests of GdipAddPathCurve, measured on Windows, at the default tension.
    const Point points[] = {{0, 0}, {10, 10}, {10, 20}, {30, 10}};
    BezierPieces pieces;
    ASSERT_EQ(CardinalPieces(points, 4, kCurveTension, pieces), 3);
    const float want[][2] = {{0, 0}, {1.66f, 1.66f}, {8.33f, 6.66f}, {10, 10}, {11.66f, 13.33f}, {6.66f, 20}, {10, 20}};
    for (int i = 0; i < 2; ++i) {
        const PointF got[] = {pieces[i].from, pieces[i].control1, pieces[i].control2, pieces[i].to};
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(got[k].x, want[3 * i + k][0], 0.01f) << i << "." << k;
            EXPECT_NEAR(got[k].y, want[3 * i + k][1], 0.01f) << i << "." << k;
        }
    }
    EXPECT_EQ(CardinalPieces(points, 1, kCurveTension, pieces), 0);
    // The pieces go through the points and meet without a kink.
    const PointF mid = PointOn(pieces[1], 0.0f);
    EXPECT_FLOAT_EQ(mid.x, 10.0f);
    EXPECT_FLOAT_EQ(mid.y, 10.0f);
}

TEST(Stroke, ATaperedLineNarrowsEvenlyAndItsOutlineWindsOneWay) {
    PlacedPath path;
    for (int i = 0; i < kHistoryLength; ++i) path.pixels[path.count++] = {20 * i, (i % 2) ? 40 : -40};
    const StrokeSamples line = SampleLine(path, true, 15.0f, TaperedWidth(15, 1.0f));
    EXPECT_FLOAT_EQ(line.oldest, 14.0f);
    EXPECT_FLOAT_EQ(line.samples[0].halfWidth, 7.5f);
    EXPECT_FLOAT_EQ(line.samples[line.count - 1].halfWidth, 1.5f) << "a fifth at the tail";
    EXPECT_FLOAT_EQ(line.samples[line.count - 1].age, 14.0f);
    for (int i = 1; i < line.count; ++i) {
        EXPECT_LE(line.samples[i].halfWidth, line.samples[i - 1].halfWidth) << i;
        EXPECT_GT(line.samples[i].age, line.samples[i - 1].age) << i;
    }
    EXPECT_FLOAT_EQ(TaperedWidth(3, 1.0f), 1.0f) << "never under a pixel";
    EXPECT_FLOAT_EQ(TaperedWidth(15, 0.5f), 9.0f);

    // Every shape of the outline encloses a negative area, so the winding rule fills their union.
    StrokeOutline outline;
    OutlineStroke(line, outline);
    EXPECT_EQ(outline.discCount, line.count);
    EXPECT_EQ(outline.quadCount, line.count - 1);
    const auto area = [](const PointF* p, int n) {
        float twice = 0;
        for (int i = 0; i < n; ++i) twice += p[i].x * p[(i + 1) % n].y - p[(i + 1) % n].x * p[i].y;
        return twice / 2;
    };
    for (int i = 0; i < outline.quadCount; ++i) EXPECT_LT(area(outline.quads[i].corners.data(), 4), 0) << i;
    for (const float radius : {1.0f, 3.5f, 10.0f, 40.0f}) {
        const DiscPolygon disc = DiscCorners({{0, 0}, radius});
        EXPECT_LT(area(disc.corners.data(), disc.count), 0) << radius;
        constexpr float kPi = 3.14159265f;
        // The polygon's area lies within a fifth of a pixel's width of the circle's, all round.
        EXPECT_NEAR(-area(disc.corners.data(), disc.count), kPi * radius * radius, 2 * kPi * radius * 0.2f) << radius;
        EXPECT_LE(disc.count, kMaxDiscCorners);
    }
    EXPECT_EQ(DiscCorners({{0, 0}, 3.5f}).count, 8) << "small discs stay cheap";
}

TEST(Stroke, TheHeadRunsFromThePointerToTheNewestSampleAlongTheSplineThatWillFollow) {
    PlacedPath path;
    path.count = 3;
    path.pixels = {Point{100, 100}, Point{60, 90}, Point{20, 100}};
    const Point pointer{140, 120};
    const StrokeSamples head = HeadLine(pointer, path, true, 8.0f);
    ASSERT_GT(head.count, 2);
    EXPECT_FLOAT_EQ(head.samples[0].at.x, 140.0f);
    EXPECT_FLOAT_EQ(head.samples[head.count - 1].at.x, 100.0f);
    EXPECT_FLOAT_EQ(head.samples[head.count - 1].at.y, 100.0f);
    // The piece the next sample draws, should it land at the pointer.
    PlacedPath next;
    next.count = 4;
    next.pixels = {pointer, Point{100, 100}, Point{60, 90}, Point{20, 100}};
    const StrokeSamples after = SampleLine(next, true, 8.0f, 8.0f);
    for (int i = 0; i < head.count; ++i) {
        EXPECT_FLOAT_EQ(head.samples[i].at.y, after.samples[i].at.y) << i;
        EXPECT_FLOAT_EQ(head.samples[i].halfWidth, 4.0f) << i;
    }
    const Rect bounds = LineBounds(head, 2.0f);
    EXPECT_TRUE(bounds.left <= 94 && bounds.right >= 147 && bounds.top <= 94 && bounds.bottom >= 127);
    EXPECT_EQ(HeadLine(Point{100, 100}, path, true, 8.0f).count, 0) << "the pointer on the newest sample";
    EXPECT_EQ(HeadLine(pointer, path, false, 8.0f).count, 2) << "straight";
}

TEST(Stroke, FadingScalesEachPixelByTheAgeOfTheNewestLineNearIt) {
    EXPECT_EQ(FadeAlpha(0, 14), 255);
    EXPECT_EQ(FadeAlpha(14, 14), 32);
    EXPECT_EQ(FadeAlpha(7, 14), 144);
    EXPECT_EQ(FadeAlpha(0, 0), 255) << "a single point";

    // A straight line across a 40 x 5 image, a line back over it, and a
    // premultiplied red pixel of partial coverage beside the old end.
    PlacedPath path;
    path.pixels[path.count++] = {2, 2};
    path.pixels[path.count++] = {37, 2};
    path.pixels[path.count++] = {2, 2};
    const StrokeSamples line = SampleLine(path, false, 3.0f, 3.0f);
    std::vector<std::uint32_t> pixels(40 * 5, 0xFFFF0000u);
    pixels[0] = 0x80800000u;
    pixels[4 * 40 + 39] = 0;
    std::vector<std::uint8_t> claimed(40 * 5);
    FadeByAge(pixels.data(), 40, 40, 5, line, claimed.data());
    EXPECT_EQ(pixels[2 * 40 + 2] >> 24, 255u) << "the newest part wins where the line crosses itself";
    EXPECT_EQ(pixels[2 * 40 + 37] >> 24, 144u) << "half way in age";
    EXPECT_EQ(pixels[0], 0x80800000u);
    EXPECT_EQ(pixels[4 * 40 + 39], 0u) << "a clear pixel stays clear";
    for (const std::uint32_t p : pixels) EXPECT_LE((p >> 16) & 0xFF, p >> 24);
    // Rows stored bottom-up: the same through a negative stride.
    std::vector<std::uint32_t> flipped(40 * 5, 0xFFFF0000u);
    FadeByAge(flipped.data() + 4 * 40, -40, 40, 5, line, claimed.data());
    EXPECT_EQ(flipped[2 * 40 + 37] >> 24, 144u);
}

}  // namespace
