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

void DrawCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept {
    // The GDI+ objects below are deleted here, while the caller still holds the DC.
    if (!style.drawLines || !dc) return;

    gdip::GpGraphics* rawGraphics = nullptr;
    gdip::GdipCreateFromHDC(dc, &rawGraphics);
    const gdip::Graphics graphics(rawGraphics);

    const int lw = PenPixels(buffer, dc, style.lineWidthPt);
    gdip::GpPen* rawPen = nullptr;
    gdip::GdipCreatePen1(ArgbFromColorref(style.lineColor), static_cast<float>(lw), gdip::UnitWorld, &rawPen);
    const gdip::Pen pen(rawPen);
    if (!graphics || !pen) return;

    const PlacedPath path = PlaceDistinct(fitted, lw / 2, buffer.width(), buffer.height());
    if (path.count < 2) return;
    gdip::GpPoint points[kHistoryLength];
    for (int i = 0; i < path.count; ++i) points[i] = {path.pixels[i].x, path.pixels[i].y};
    gdip::GdipDrawCurveI(graphics.get(), pen.get(), points, path.count);
}

float TaperedWidth(int lineWidth, int segment, int segments) noexcept {
    const float thinnest = std::max(1.0f, static_cast<float>(lineWidth) / 5.0f);
    if (segments <= 1) return static_cast<float>(lineWidth);
    const float step = (static_cast<float>(lineWidth) - thinnest) / static_cast<float>(segments - 1);
    return static_cast<float>(lineWidth) - step * static_cast<float>(segment);
}

void DrawTaperedCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted,
                      const TrailStyle& style) noexcept {
    if (!style.drawLines || !dc) return;

    gdip::GpGraphics* rawGraphics = nullptr;
    gdip::GdipCreateFromHDC(dc, &rawGraphics);
    const gdip::Graphics graphics(rawGraphics);

    const int lw = PenPixels(buffer, dc, style.lineWidthPt);
    gdip::GpPen* rawPen = nullptr;
    gdip::GdipCreatePen1(ArgbFromColorref(style.lineColor), static_cast<float>(lw), gdip::UnitWorld, &rawPen);
    const gdip::Pen pen(rawPen);
    if (!graphics || !pen) return;
    // Where a wide segment meets a narrower one, round ends close the step.
    gdip::GdipSetPenStartCap(pen.get(), gdip::LineCapRound);
    gdip::GdipSetPenEndCap(pen.get(), gdip::LineCapRound);

    // The same placed points as the full curve: each segment is a piece of
    // that very spline, so the pieces meet without a gap or a kink.
    const PlacedPath path = PlaceDistinct(fitted, lw / 2, buffer.width(), buffer.height());
    if (path.count < 2) return;
    gdip::GpPoint points[kHistoryLength];
    for (int i = 0; i < path.count; ++i) points[i] = {path.pixels[i].x, path.pixels[i].y};
    const int segments = path.count - 1;
    // DrawCurve's tension ("Graphics::DrawCurve", Microsoft Docs).
    constexpr float kTension = 0.5f;
    for (int segment = segments - 1; segment >= 0; --segment) {
        gdip::GdipSetPenWidth(pen.get(), TaperedWidth(lw, segment, segments));
        gdip::GdipDrawCurve3I(graphics.get(), pen.get(), points, path.count, segment, 1, kTension);
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
