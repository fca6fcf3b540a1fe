#include "trail/trail_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

using namespace trail;

namespace {

// Entries past the listed ones repeat the last, so a case names only its corners.
TrailHistory Hist(const std::vector<Point>& pts) {
    TrailHistory h{};
    for (int i = 0; i < kHistoryLength; ++i) h[i] = pts[std::min<std::size_t>(i, pts.size() - 1)];
    return h;
}

struct FitCase {
    const char* name;
    std::vector<Point> in;
    int w, h;
    std::vector<Point> out;
};

TEST(TrailGeometry, FitTrail) {
    const FitCase cases[] = {
        {"resting", {{7, -3}}, 100, 100, {{0, 0}}},
        {"extent equal to image is kept", {{0, 9}, {100, 9}}, 100, 100, {{-50, 0}, {50, 0}}},
        {"one over squeezes to the edge", {{0, 0}, {101, 0}, {100, 0}}, 100, 100, {{-50, 0}, {50, 0}, {49, 0}}},
        {"ratio first loses the far pixel", {{0, 0}, {145, 0}, {144, 0}}, 101, 500, {{-50, 0}, {50, 0}, {50, 0}}},
        {"only x squeezed, odd y halved", {{0, 0}, {200, 41}}, 100, 100, {{-50, -20}, {50, 21}}},
        {"whole desktop range", {{INT_MIN, 0}, {INT_MAX, 0}, {0, 0}}, 1920, 1080, {{-960, 0}, {960, 0}, {0, 0}}},
    };
    for (const auto& c : cases) {
        PointArray fitted{};
        FitTrail(Hist(c.in), c.w, c.h, fitted);
        EXPECT_EQ(fitted, Hist(c.out)) << c.name;
    }
    const TrailHistory pos = Hist({{10, 20}, {300, 25}, {150, 400}});
    const TrailHistory neg = Hist({{-3000, -20}, {-2710, -15}, {-2860, 360}});
    PointArray a{}, b{};
    FitTrail(pos, 200, 200, a);
    FitTrail(neg, 200, 200, b);
    EXPECT_EQ(a, b);
}

TEST(TrailGeometry, RestIsDrawnOnceUntilTheWholeHistoryMoves) {
    TrailHistory h{};
    std::int32_t restDrawn = 0;
    EXPECT_EQ(DecideRest(h, restDrawn), TickDecision::Draw);
    EXPECT_EQ(DecideRest(h, restDrawn), TickDecision::Skip);
    for (int tick = 1; tick < kHistoryLength; ++tick) {
        ShiftHistory(h, {1, 0});
        EXPECT_EQ(DecideRest(h, restDrawn), TickDecision::Draw) << tick;
        EXPECT_EQ(restDrawn, 0);
    }
    EXPECT_EQ(h[kHistoryLength - 1], (Point{0, 0}));  // the oldest sample is still the old spot
    ShiftHistory(h, {1, 0});
    EXPECT_EQ(DecideRest(h, restDrawn), TickDecision::Draw);
    EXPECT_EQ(restDrawn, 1);
    EXPECT_EQ(DecideRest(h, restDrawn), TickDecision::Skip);
}

TEST(TrailGeometry, ClampToImage) {
    struct {
        int half;
        Point p;
        int w, h;
        Point want;
    } const cases[] = {
        {5, {0, 0}, 200, 201, {100, 100}},
        {5, {-90, -66}, 200, 200, {35, 35}},  // below the margin of 35
        {5, {64, 65}, 200, 200, {164, 164}},  // 165 is the first pixel past it
        {5, {0, 0}, 60, 200, {24, 100}},      // narrower than two margins: the upper bound wins
    };
    for (const auto& c : cases) EXPECT_EQ(ClampToImage(c.half, c.p, c.w, c.h), c.want) << c.p.x;
}

TEST(TrailGeometry, PlacementDropsOnlyConsecutiveRepeats) {
    // Half-width 0 in a 100 x 100 image: pixels are clamped to 30..69.
    const PointArray path = Hist({{0, 0}, {-40, 0}, {-45, 0}, {0, 0}});
    const std::vector<Point> want{{50, 50}, {30, 50}, {50, 50}};
    for (const PlacedPath& placed : {PlaceSegments(path, 0, 100, 100), PlaceDistinct(path, 0, 100, 100)}) {
        ASSERT_EQ(placed.count, 3);
        EXPECT_EQ(std::vector<Point>(placed.pixels.begin(), placed.pixels.begin() + 3), want);
    }
    // In a 31-pixel image every point clamps to (0, 0): segments keep their start, dots keep nothing.
    EXPECT_EQ(PlaceSegments(path, 0, 31, 31).count, 1);
    EXPECT_EQ(PlaceDistinct(path, 0, 31, 31).count, 0);
}

TEST(TrailGeometry, TrueScaleFrameCoversTheSamplesAndTheMarginWithinTheScreen) {
    const Rect screen{-1280, 0, 1920, 1080};
    struct {
        const char* name;
        std::vector<Point> in;
        Rect window;
        std::vector<Point> pixels;
    } const cases[] = {
        {"a sweep at true scale", {{1150, 500}, {50, 500}}, {42, 492, 1159, 509}, {{1108, 8}, {8, 8}}},
        {"a resting pointer", {{7, 9}}, {-1, 1, 16, 18}, {{8, 8}}},
        {"cut at the screen's edges", {{-1278, 1079}, {0, 1000}}, {-1280, 992, 9, 1080}, {{2, 87}, {1280, 8}}},
        {"the newest sample kept when off the screen", {{2000, 5}, {1900, 5}}, {1892, 0, 2001, 14}, {{108, 5}, {8, 5}}},
    };
    for (const auto& c : cases) {
        const TrueScaleFrame frame = FrameTrail(Hist(c.in), 8, screen);
        EXPECT_EQ(frame.window.left, c.window.left) << c.name;
        EXPECT_EQ(frame.window.top, c.window.top) << c.name;
        EXPECT_EQ(frame.window.right, c.window.right) << c.name;
        EXPECT_EQ(frame.window.bottom, c.window.bottom) << c.name;
        EXPECT_EQ(std::vector<Point>(frame.path.pixels.begin(), frame.path.pixels.begin() + frame.path.count), c.pixels)
            << c.name;
    }
}

TEST(TrailGeometry, TheFadingWindowKeepsItsSizeWhileItHoldsTheTrailAndStaysOnTheScreen) {
    const Rect screen{-1280, 0, 1920, 1080};
    const struct {
        const char* name;
        Rect needed, current, placed;
    } cases[] = {
        // 200 + 2 x 128 wide in steps of 128, 50 + 2 x 128 high, centred but for the screen's top.
        {"a first trail: room around it, in steps", {100, 100, 300, 150}, {}, {-56, 0, 456, 384}},
        {"held: kept as it is", {120, 110, 330, 160}, {-56, 0, 456, 384}, {-56, 0, 456, 384}},
        {"outrun: moved, the size kept", {400, 100, 600, 150}, {-56, 0, 456, 384}, {244, 0, 756, 384}},
        {"outgrown: larger, with room", {100, 100, 700, 150}, {-56, 0, 456, 384}, {-48, 0, 848, 384}},
        {"outgrown by a little: half again as wide", {0, 100, 1010, 150}, {0, 0, 1000, 384}, {-263, 0, 1273, 384}},
        {"at the screen's corner: inside it", {-1280, 1050, -1200, 1080}, {}, {-1280, 696, -896, 1080}},
        {"larger than the screen: the screen", {-1280, 0, 1920, 1080}, {}, {-1280, 0, 1920, 1080}},
    };
    for (const auto& c : cases) {
        const Rect r = PlaceFadingWindow(c.needed, c.current, screen, 128);
        EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
                  (std::vector<int>{c.placed.left, c.placed.top, c.placed.right, c.placed.bottom}))
            << c.name;
        EXPECT_TRUE(Contains(r, Intersect(c.needed, screen)) && Contains(screen, r)) << c.name;
    }
}

TEST(TrailGeometry, ArgbFromColorref) {
    EXPECT_EQ(ArgbFromColorref(0x000000FF), 0xFFFF0000u);
    EXPECT_EQ(ArgbFromColorref(0xAB123456), 0xFF563412u);
}

}  // namespace
