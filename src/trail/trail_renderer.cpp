#include "trail/trail_renderer.h"

#include <algorithm>

#include "win/gdi.h"
#include "win/gdiplus_flat.h"

namespace trail {

int PenPixels(const win::BackBuffer& buffer, HDC dc, int points) noexcept {
    const int dpi = buffer.dpi() ? buffer.dpi() : ::GetDeviceCaps(dc, LOGPIXELSY);
    return ::MulDiv(points, dpi, 72);
}

void ClearImage(HDC dc, const win::BackBuffer& buffer, COLORREF colorKey) noexcept {
    if (!dc) return;
    const RECT all{0, 0, buffer.width(), buffer.height()};
    const win::Brush brush(::CreateSolidBrush(colorKey));
    ::FillRect(dc, &all, brush.get());
}

void DrawStraightLines(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted,
                       const TrailStyle& style) noexcept {
    if (!style.drawLines || !dc) return;
    const int lw = PenPixels(buffer, dc, style.lineWidthPt);
    const win::Pen pen = win::MakeRoundPen(lw, style.lineColor);
    if (!pen) return;
    const win::SelectScope selected(dc, pen.get());

    const PlacedPath path = PlaceSegments(fitted, lw / 2, buffer.width(), buffer.height());
    ::MoveToEx(dc, path.pixels[0].x, path.pixels[0].y, nullptr);
    for (int i = 1; i < path.count; ++i) ::LineTo(dc, path.pixels[i].x, path.pixels[i].y);
}

namespace {

// What both curves need: GDI+ on the DC, a pen of the line's colour and width,
// and the placed points. The GDI+ objects go while the caller still holds the DC.
struct CurveDrawing {
    gdip::Graphics graphics;
    gdip::Pen pen;
    int lineWidth = 0;
    gdip::GpPoint points[kHistoryLength]{};
    int count = 0;
};

// False when there is nothing to draw: no line wanted, no GDI+, or fewer than two points.
bool PrepareCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style,
                  CurveDrawing& curve) noexcept {
    if (!style.drawLines || !dc) return false;
    gdip::GpGraphics* rawGraphics = nullptr;
    gdip::GdipCreateFromHDC(dc, &rawGraphics);
    curve.graphics.reset(rawGraphics);
    curve.lineWidth = PenPixels(buffer, dc, style.lineWidthPt);
    gdip::GpPen* rawPen = nullptr;
    gdip::GdipCreatePen1(ArgbFromColorref(style.lineColor), static_cast<float>(curve.lineWidth), gdip::UnitWorld,
                         &rawPen);
    curve.pen.reset(rawPen);
    if (!curve.graphics || !curve.pen) return false;
    const PlacedPath path = PlaceDistinct(fitted, curve.lineWidth / 2, buffer.width(), buffer.height());
    curve.count = path.count;
    for (int i = 0; i < path.count; ++i) curve.points[i] = {path.pixels[i].x, path.pixels[i].y};
    return curve.count >= 2;
}

}  // namespace

void DrawCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept {
    CurveDrawing curve;
    if (!PrepareCurve(dc, buffer, fitted, style, curve)) return;
    gdip::GdipDrawCurveI(curve.graphics.get(), curve.pen.get(), curve.points, curve.count);
}

float TaperedWidth(int lineWidth, int segment, int segments) noexcept {
    const float thinnest = std::max(1.0f, static_cast<float>(lineWidth) / 5.0f);
    if (segments <= 1) return static_cast<float>(lineWidth);
    const float step = (static_cast<float>(lineWidth) - thinnest) / static_cast<float>(segments - 1);
    return static_cast<float>(lineWidth) - step * static_cast<float>(segment);
}

void DrawTaperedCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted,
                      const TrailStyle& style) noexcept {
    // The same placed points as the full curve: each segment is a piece of
    // that very spline, so the pieces meet without a gap or a kink.
    CurveDrawing curve;
    if (!PrepareCurve(dc, buffer, fitted, style, curve)) return;
    // Where a wide segment meets a narrower one, round ends close the step.
    gdip::GdipSetPenStartCap(curve.pen.get(), gdip::LineCapRound);
    gdip::GdipSetPenEndCap(curve.pen.get(), gdip::LineCapRound);
    const int segments = curve.count - 1;
    // DrawCurve's tension ("Graphics::DrawCurve", Microsoft Docs).
    constexpr float kTension = 0.5f;
    for (int segment = segments - 1; segment >= 0; --segment) {
        gdip::GdipSetPenWidth(curve.pen.get(), TaperedWidth(curve.lineWidth, segment, segments));
        gdip::GdipDrawCurve3I(curve.graphics.get(), curve.pen.get(), curve.points, curve.count, segment, 1, kTension);
    }
}

void DrawLine(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept {
    if (style.straightLines)
        DrawStraightLines(dc, buffer, fitted, style);
    else if (style.taperedCurve)
        DrawTaperedCurve(dc, buffer, fitted, style);
    else
        DrawCurve(dc, buffer, fitted, style);
}

Point DrawPoints(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept {
    const int pw = PenPixels(buffer, dc, style.pointWidthPt);
    const int width = buffer.width();
    const int height = buffer.height();
    if (!style.drawPoints) return ClampToImage(pw / 2, fitted[0], width, height);

    const int lw = PenPixels(buffer, dc, style.lineWidthPt);
    const int a = style.drawLines ? lw / 2 : pw / 2;
    const Point newest = ClampToImage(a, fitted[0], width, height);
    if (!dc) return newest;
    const win::Pen pen = win::MakeRoundPen(pw, style.pointColor);
    if (!pen) return newest;
    const win::SelectScope selected(dc, pen.get());
    const PlacedPath dots = PlaceDistinct(fitted, a, width, height);
    for (int i = 0; i < dots.count; ++i) {
        ::MoveToEx(dc, dots.pixels[i].x, dots.pixels[i].y, nullptr);
        ::LineTo(dc, dots.pixels[i].x, dots.pixels[i].y);
    }
    return newest;
}

}  // namespace trail
