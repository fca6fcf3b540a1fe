// Pixels of the back buffer after each drawing mode, read back from the DIB.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "test_support.h"
#include "trail/stroke.h"
#include "trail/trail_renderer.h"
#include "win/gdiplus_flat.h"

using testing_support::PixelColor;
using trail::Point;
using trail::PointArray;

namespace {

constexpr COLORREF kKey = RGB(0, 0, 1);
constexpr int kW = 400;
constexpr int kH = 300;

// A path of distinct points along a horizontal line, newest (index 0) on the left.
PointArray HorizontalPath(int step) {
    PointArray p{};
    for (int i = 0; i < trail::kHistoryLength; ++i) p[i] = {-7 * step + i * step, 0};
    return p;
}

PointArray AllAt(Point point) {
    PointArray p{};
    p.fill(point);
    return p;
}

trail::TrailStyle Style(int drawLines, int drawPoints, int straight) {
    trail::TrailStyle s;
    s.drawLines = drawLines;
    s.drawPoints = drawPoints;
    s.straightLines = straight;
    s.lineColor = RGB(255, 0, 0);
    s.pointColor = RGB(255, 255, 0);
    return s;
}

class RendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(buffer.Create(kW, kH));
        trail::ClearImage(win::BufferDC(buffer).get(), buffer, kKey);
    }

    std::set<COLORREF> Colors() const {
        std::set<COLORREF> seen;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) seen.insert(PixelColor(buffer, x, y));
        return seen;
    }

    // Length of the run of `color` through (x, y) along the row.
    int RunLength(int x, int y, COLORREF color) const {
        int left = x, right = x;
        while (left > 0 && PixelColor(buffer, left - 1, y) == color) --left;
        while (right < kW - 1 && PixelColor(buffer, right + 1, y) == color) ++right;
        return right - left + 1;
    }

    win::BackBuffer buffer;
};

TEST_F(RendererTest, ClearFillsEveryPixelWithTheKey) {
    EXPECT_EQ(Colors(), std::set<COLORREF>{kKey});
    EXPECT_EQ(buffer.width(), kW);
    EXPECT_EQ(buffer.height(), kH);
}

TEST_F(RendererTest, StraightLinesWithPointsPutDotsOnTopOfVertices) {
    const auto path = HorizontalPath(20);
    const auto style = Style(1, 1, 1);
    trail::DrawStraightLines(win::BufferDC(buffer).get(), buffer, path, style);
    const Point newest = trail::DrawPoints(win::BufferDC(buffer).get(), buffer, path, style);

    // Both at 5 pt: lw = pw = 7 px at 96 DPI; vertex i lands at 200 + (i - 7) * 20.
    EXPECT_EQ(newest, (Point{60, 150}));
    for (int i = 0; i < trail::kHistoryLength; ++i)
        EXPECT_EQ(PixelColor(buffer, 60 + 20 * i, 150), style.pointColor) << "vertex " << i;
    EXPECT_EQ(PixelColor(buffer, 70, 150), style.lineColor);  // between two dots
    EXPECT_EQ(PixelColor(buffer, 70, 140), kKey);             // beside the line
    EXPECT_EQ(PixelColor(buffer, 10, 10), kKey);
    EXPECT_EQ(Colors(), (std::set<COLORREF>{kKey, style.lineColor, style.pointColor}));
}

TEST_F(RendererTest, PointsOnlyDrawsRoundDotsOfThePointWidth) {
    auto style = Style(0, 1, 0);
    style.pointWidthPt = 10;  // 13 px
    const auto path = HorizontalPath(40);
    trail::DrawCurve(win::BufferDC(buffer).get(), buffer, path, style);  // draws nothing: lines are off
    const Point newest = trail::DrawPoints(win::BufferDC(buffer).get(), buffer, path, style);

    // pw / 2 = 6: margin 36, so the newest point at 200 - 280 is clamped to 36.
    EXPECT_EQ(newest, (Point{36, 150}));
    EXPECT_EQ(RunLength(120, 150, style.pointColor), 13);  // point 5, 40 px from its neighbours
    EXPECT_EQ(PixelColor(buffer, 140, 150), kKey);         // gap between dots: no line
    EXPECT_EQ(Colors(), (std::set<COLORREF>{kKey, style.pointColor}));
}

TEST_F(RendererTest, CurveTouchesPixelsOnlyWithTheExactLineColour) {
    PointArray path{};
    for (int i = 0; i < trail::kHistoryLength; ++i) path[i] = {-140 + i * 20, (i % 2) ? 40 : -40};
    const auto style = Style(1, 0, 0);
    trail::DrawCurve(win::BufferDC(buffer).get(), buffer, path, style);
    const Point newest = trail::DrawPoints(win::BufferDC(buffer).get(), buffer, path, style);

    EXPECT_EQ(newest, (Point{60, 110}));
    // Without smoothing nothing is blended with the key colour.
    EXPECT_EQ(Colors(), (std::set<COLORREF>{kKey, style.lineColor}));
    // The end vertices get GDI+'s flat caps; every vertex between them is on the curve.
    for (int i = 1; i < trail::kHistoryLength - 1; ++i)
        EXPECT_EQ(PixelColor(buffer, 60 + 20 * i, (i % 2) ? 190 : 110), style.lineColor) << "vertex " << i;
}

// Draws through GDI+ on the buffer, with a pen of the line's colour and
// width, one of its flat-API functions looked up by name (the program binds
// only those it uses).
template <class Draw>
void DrawWithGdiplus(win::BackBuffer& buffer, const trail::TrailStyle& style, const char* name, Draw draw) {
    const FARPROC entry = ::GetProcAddress(::GetModuleHandleW(L"gdiplus.dll"), name);
    ASSERT_NE(entry, nullptr) << name;
    const win::BufferDC dc(buffer);
    gdip::GpGraphics* graphics = nullptr;
    gdip::GdipCreateFromHDC(dc.get(), &graphics);
    const gdip::Graphics owned(graphics);
    gdip::GpPen* pen = nullptr;
    gdip::GdipCreatePen1(trail::ArgbFromColorref(style.lineColor),
                         static_cast<float>(trail::PenPixels(buffer, dc.get(), style.lineWidthPt)), gdip::UnitWorld,
                         &pen);
    const gdip::Pen ownedPen(pen);
    draw(entry, graphics, pen);
}

TEST_F(RendererTest, TaperedCurveNarrowsFromTheNewestSegmentToTheOldestWithoutAGap) {
    auto style = Style(1, 0, 0);
    style.taperedCurve = 1;
    style.lineWidthPt = 10;
    const auto path = HorizontalPath(20);  // vertex i at x = 60 + 20 i
    trail::DrawTaperedCurve(win::BufferDC(buffer).get(), buffer, path, style);
    const int lw = trail::PenPixels(buffer, win::BufferDC(buffer).get(), style.lineWidthPt);
    const auto thickness = [this](int x) {
        int count = 0;
        for (int y = 0; y < kH; ++y) count += PixelColor(buffer, x, y) == RGB(255, 0, 0);
        return count;
    };
    EXPECT_EQ(thickness(60), lw) << "the newest point at the full width";
    EXPECT_NEAR(thickness(330), lw / 5.0, 1.0) << "the oldest at a fifth of it";
    int previous = thickness(61);
    for (int x = 61; x < 340; ++x) {
        const int here = thickness(x);
        ASSERT_GT(here, 0) << "a gap at x = " << x;
        EXPECT_LE(here, previous + 1) << "wider with age at x = " << x;
        previous = here;
    }
    EXPECT_EQ(Colors(), (std::set<COLORREF>{kKey, style.lineColor}));

    // Along a zigzag, the tapered line follows the plain curve: its spline,
    // drawn thin by GDI+ as Bezier pieces, lies within a pixel of the curve
    // GDI+ draws through the same points. On Windows that curve is DrawCurve
    // itself. Wine's GdipDrawCurveI passes a tension of 1 and scales it by
    // 0.3 (measured here: its curve matches Bezier control points 0.3 of the
    // neighbours' difference away, where Windows' lie 0.5 / 3 away), so under
    // Wine the reference is its curve at the tension it turns into Windows'
    // default: 5/9 x 0.3 = 0.5 / 3.
    PointArray zigzag{};
    for (int i = 0; i < trail::kHistoryLength; ++i) zigzag[i] = {-140 + i * 20, (i % 2) ? 40 : -40};
    auto thin = style;
    thin.lineWidthPt = 1;
    const trail::PlacedPath placed = trail::PlaceDistinct(zigzag, lw / 2, kW, kH);
    gdip::GpPoint points[trail::kHistoryLength];
    for (int i = 0; i < placed.count; ++i) points[i] = {placed.pixels[i].x, placed.pixels[i].y};
    trail::ClearImage(win::BufferDC(buffer).get(), buffer, kKey);
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        DrawWithGdiplus(buffer, thin, "GdipDrawCurve2I", [&](FARPROC entry, gdip::GpGraphics* g, gdip::GpPen* pen) {
            using Fn = int(WINAPI*)(gdip::GpGraphics*, gdip::GpPen*, const gdip::GpPoint*, INT, float);
            reinterpret_cast<Fn>(reinterpret_cast<void*>(entry))(g, pen, points, placed.count, 5.0f / 9.0f);
        });
    } else {
        trail::DrawCurve(win::BufferDC(buffer).get(), buffer, zigzag, thin);
    }
    std::vector<COLORREF> plain;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) plain.push_back(PixelColor(buffer, x, y));
    trail::ClearImage(win::BufferDC(buffer).get(), buffer, kKey);
    trail::BezierPieces pieces;
    const int count = trail::CardinalPieces(placed.pixels.data(), placed.count, trail::kCurveTension, pieces);
    ASSERT_EQ(count, trail::kHistoryLength - 1);
    DrawWithGdiplus(buffer, thin, "GdipDrawBeziers", [&](FARPROC entry, gdip::GpGraphics* g, gdip::GpPen* pen) {
        gdip::GpPointF chain[3 * trail::kMaxPieces + 1]{{pieces[0].from.x, pieces[0].from.y}};
        for (int i = 0; i < count; ++i) {
            chain[3 * i + 1] = {pieces[i].control1.x, pieces[i].control1.y};
            chain[3 * i + 2] = {pieces[i].control2.x, pieces[i].control2.y};
            chain[3 * i + 3] = {pieces[i].to.x, pieces[i].to.y};
        }
        using Fn = int(WINAPI*)(gdip::GpGraphics*, gdip::GpPen*, const gdip::GpPointF*, INT);
        reinterpret_cast<Fn>(reinterpret_cast<void*>(entry))(g, pen, chain, 3 * count + 1);
    });
    const auto onPlain = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (plain[(y + dy) * kW + x + dx] == style.lineColor) return true;
        return false;
    };
    int drawn = 0, off = 0;
    for (int y = 1; y < kH - 1; ++y) {
        for (int x = 1; x < kW - 1; ++x) {
            if (PixelColor(buffer, x, y) != style.lineColor) continue;
            ++drawn;
            off += !onPlain(x, y);
        }
    }
    EXPECT_GT(drawn, 1000);
    EXPECT_EQ(off, 0) << "pixels of the tapered curve's spline more than a pixel off the plain curve";
}

TEST_F(RendererTest, TwoDistinctCurvePointsDrawOneStraightSegment) {
    PointArray path = AllAt({50, 0});
    for (int i = 8; i < trail::kHistoryLength; ++i) path[i] = {-50, 0};
    trail::DrawCurve(win::BufferDC(buffer).get(), buffer, path, Style(1, 0, 0));
    for (int x = 155; x <= 245; x += 10) EXPECT_EQ(PixelColor(buffer, x, 150), RGB(255, 0, 0)) << x;
    EXPECT_EQ(PixelColor(buffer, 150, 160), kKey);
}

TEST_F(RendererTest, RestingPathDrawsOnlyOneCentredDot) {
    const auto path = AllAt({0, 0});
    for (int straight : {0, 1}) {
        trail::ClearImage(win::BufferDC(buffer).get(), buffer, kKey);
        const auto style = Style(1, 0, straight);
        if (straight)
            trail::DrawStraightLines(win::BufferDC(buffer).get(), buffer, path, style);
        else
            trail::DrawCurve(win::BufferDC(buffer).get(), buffer, path, style);
        EXPECT_EQ(Colors(), std::set<COLORREF>{kKey}) << "straight " << straight;
    }
    auto style = Style(0, 1, 0);
    const Point newest = trail::DrawPoints(win::BufferDC(buffer).get(), buffer, path, style);
    EXPECT_EQ(newest, (Point{kW / 2, kH / 2}));
    EXPECT_EQ(RunLength(kW / 2, kH / 2, style.pointColor), 7);
}

TEST_F(RendererTest, NothingDrawnStillPlacesTheNewestPointWithThePointMargin) {
    auto style = Style(0, 0, 1);
    style.pointWidthPt = 2;  // 3 px: margin 31
    style.lineWidthPt = 10;  // 13 px: margin 36
    const auto path = AllAt({-1000, 1000});
    trail::DrawStraightLines(win::BufferDC(buffer).get(), buffer, path, style);
    EXPECT_EQ(trail::DrawPoints(win::BufferDC(buffer).get(), buffer, path, style), (Point{31, kH - 31 - 1}));
    EXPECT_EQ(Colors(), std::set<COLORREF>{kKey});
}

TEST_F(RendererTest, LinesOnlyWithAClampedNewestPointStartAtTheLineMargin) {
    auto style = Style(1, 0, 1);
    style.lineWidthPt = 10;  // lw 13, margin 36
    style.pointWidthPt = 2;  // pw 3, margin 31
    PointArray path{};
    for (int i = 0; i < trail::kHistoryLength; ++i) path[i] = {-400 + i * 40, 0};
    trail::DrawStraightLines(win::BufferDC(buffer).get(), buffer, path, style);
    const Point newest = trail::DrawPoints(win::BufferDC(buffer).get(), buffer, path, style);
    EXPECT_EQ(newest, (Point{31, 150}));
    EXPECT_EQ(PixelColor(buffer, 36, 150), style.lineColor);
    EXPECT_EQ(PixelColor(buffer, 36 - 7, 150), kKey);  // the round cap reaches 6 px beyond
}

TEST_F(RendererTest, BlackIsDrawnVisiblyAgainstTheKey) {
    auto style = Style(1, 1, 1);
    style.lineColor = RGB(0, 0, 0);
    style.pointColor = RGB(0, 0, 0);
    const auto path = HorizontalPath(20);
    trail::DrawStraightLines(win::BufferDC(buffer).get(), buffer, path, style);
    trail::DrawPoints(win::BufferDC(buffer).get(), buffer, path, style);
    EXPECT_EQ(PixelColor(buffer, 70, 150), RGB(0, 0, 0));
    EXPECT_EQ(Colors(), (std::set<COLORREF>{kKey, RGB(0, 0, 0)}));
}

TEST_F(RendererTest, NestedDcAcquisitionsShareOneContext) {
    HDC outer = buffer.GetDC();
    HDC inner = buffer.GetDC();
    EXPECT_EQ(outer, inner);
    buffer.ReleaseDC();
    EXPECT_NE(::GetCurrentObject(outer, OBJ_BITMAP), nullptr);
    trail::ClearImage(win::BufferDC(buffer).get(), buffer, RGB(0, 255, 0));  // nests a third time
    buffer.ReleaseDC();
    EXPECT_EQ(PixelColor(buffer, 0, 0), RGB(0, 255, 0));
}

// A fading trail in each line kind, with dots, read back as premultiplied ARGB.
TEST(RendererFade, AlphaFallsWithAgeAlongASmoothLineAndNothingElseIsTouched) {
    win::BackBuffer image;
    ASSERT_TRUE(image.Create(kW, kH));
    trail::PlacedPath path;
    for (int i = 0; i < trail::kHistoryLength; ++i) path.pixels[path.count++] = {40 + 22 * i, 150 + ((i % 4) - 1) * 25};
    trail::FadingCanvas canvas;
    const int lw = 13;  // 10 points at 96 DPI, as drawn below
    struct Kind {
        const char* name;
        std::int32_t straight, tapered, points;
    };
    for (const Kind kind : {Kind{"curve", 0, 0, 0}, Kind{"straight", 1, 0, 0}, Kind{"tapered", 0, 1, 0},
                            Kind{"curve with dots", 0, 0, 1}}) {
        SCOPED_TRACE(kind.name);
        trail::TrailStyle style = Style(1, kind.points, kind.straight);
        style.taperedCurve = kind.tapered;
        style.lineWidthPt = 10;
        style.pointWidthPt = 2;
        style.fade = 1;
        image.SetDpi(96);
        ASSERT_TRUE(canvas.Attach(image));
        // Yesterday's drawing is gone, also where this one does not reach.
        std::fill_n(image.TopRow() + 299 * image.Stride(), kW, 0xFFFFFFFFu);
        trail::DrawFadingTrail(canvas, canvas.Bounds(), path, style);
        const auto alpha = [&](int x, int y) { return image.PixelAt(x, y) >> 24; };

        int partial = 0, overflowing = 0, strayed = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const std::uint32_t argb = image.PixelAt(x, y);
                const std::uint32_t a = argb >> 24;
                partial += a > 0 && a < 200;
                overflowing += ((argb >> 16) & 0xFF) > a || ((argb >> 8) & 0xFF) > a || (argb & 0xFF) > a;
                const bool nearPath = x >= 40 - lw && x <= 40 + 22 * 14 + lw && y >= 125 - lw && y <= 200 + lw;
                strayed += argb != 0 && !nearPath;
            }
        }
        EXPECT_GT(partial, 100) << "smooth edges";
        EXPECT_EQ(overflowing, 0) << "premultiplied: no channel above the alpha";
        EXPECT_EQ(strayed, 0) << "nothing drawn away from the trail";

        // Along the line's middle, from the newest end to the oldest: falling,
        // without a bead where two pieces meet.
        const trail::StrokeSamples line = trail::SampleLine(path, !kind.straight, lw, lw);
        int previous = 256;
        for (int i = 0; i < line.count; ++i) {
            // With dots on, they lie on top of the line: each at its own alpha.
            if (kind.points && line.samples[i].age != std::floor(line.samples[i].age)) continue;
            const trail::PointF at = line.samples[i].at;
            const int here = static_cast<int>(alpha(static_cast<int>(at.x), static_cast<int>(at.y)));
            if (i == 0) {
                EXPECT_GE(here, 240) << "the newest end";
            }
            EXPECT_LE(here, previous + 2) << "alpha rises with age at " << at.x << ", " << at.y;
            previous = std::min(previous, here);
        }
        if (!kind.points) {
            EXPECT_LE(previous, 40) << "the oldest end";
        }
        EXPECT_GT(previous, 0);
    }
}

TEST(RendererBalance, ThousandDrawingTicksLeaveNoGdiObjectBehind) {
    win::BackBuffer buffer;
    ASSERT_TRUE(buffer.Create(kW, kH));
    auto run = [&](int ticks) {
        for (int t = 0; t < ticks; ++t) {
            PointArray path{};
            for (int i = 0; i < trail::kHistoryLength; ++i)
                path[i] = {(t * 7 + i * 13) % 300 - 150, (t * 3 + i * 11) % 200 - 100};
            auto style = Style(1, t % 3 != 2, t % 2);
            trail::ClearImage(win::BufferDC(buffer).get(), buffer, kKey);
            if (style.straightLines)
                trail::DrawStraightLines(win::BufferDC(buffer).get(), buffer, path, style);
            else
                trail::DrawCurve(win::BufferDC(buffer).get(), buffer, path, style);
            trail::DrawPoints(win::BufferDC(buffer).get(), buffer, path, style);
        }
    };
    run(50);  // warm-up: GDI+ and GDI caches settle
    const int before = testing_support::CountGdiObjects();
    ASSERT_GT(before, 0);
    run(1000);
    EXPECT_EQ(testing_support::CountGdiObjects(), before);

    // The counter itself sees objects that are really left behind.
    win::Pen leaked = win::MakeRoundPen(3, RGB(1, 2, 3));
    EXPECT_EQ(testing_support::CountGdiObjects(), before + 1);
}

}  // namespace
