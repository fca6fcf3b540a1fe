#include "trail/trail_renderer.h"

#include "win/gdi.h"
#include "win/gdiplus_flat.h"

namespace trail {

int PenPixels(HDC dc, int points) noexcept { return ::MulDiv(points, ::GetDeviceCaps(dc, LOGPIXELSY), 72); }

void ClearImage(win::BackBuffer& buffer, COLORREF colorKey) noexcept {
    win::BufferDC dc(buffer);
    if (!dc.get()) return;
    const RECT all{0, 0, buffer.width(), buffer.height()};
    const win::Brush brush(::CreateSolidBrush(colorKey));
    ::FillRect(dc.get(), &all, brush.get());
}

void DrawStraightLines(win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept {
    if (!style.drawLines) return;
    win::BufferDC dc(buffer);
    if (!dc.get()) return;
    const int lw = PenPixels(dc.get(), style.lineWidthPt);
    const win::Pen pen = win::MakeRoundPen(lw, style.lineColor);
    if (!pen) return;
    const win::SelectScope selected(dc.get(), pen.get());

    const PlacedPath path = PlaceSegments(fitted, lw / 2, buffer.width(), buffer.height());
    ::MoveToEx(dc.get(), path.pixels[0].x, path.pixels[0].y, nullptr);
    for (int i = 1; i < path.count; ++i) ::LineTo(dc.get(), path.pixels[i].x, path.pixels[i].y);
}

void DrawCurve(win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept {
    if (!style.drawLines) return;
    // Declared first so that it is given back last: the GDI+ objects below
    // must be deleted while their DC is still valid.
    win::BufferDC dc(buffer);
    if (!dc.get()) return;

    gdip::GpGraphics* rawGraphics = nullptr;
    gdip::GdipCreateFromHDC(dc.get(), &rawGraphics);
    const gdip::Graphics graphics(rawGraphics);

    const int lw = PenPixels(dc.get(), style.lineWidthPt);
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

Point DrawPoints(win::BackBuffer& buffer, const PointArray& fitted, const TrailStyle& style) noexcept {
    win::BufferDC dc(buffer);
    const int pw = PenPixels(dc.get(), style.pointWidthPt);
    const int width = buffer.width();
    const int height = buffer.height();
    if (!style.drawPoints) return ClampToImage(pw / 2, fitted[0], width, height);

    const int lw = PenPixels(dc.get(), style.lineWidthPt);
    const int a = style.drawLines ? lw / 2 : pw / 2;
    const Point newest = ClampToImage(a, fitted[0], width, height);
    if (!dc.get()) return newest;
    const win::Pen pen = win::MakeRoundPen(pw, style.pointColor);
    if (!pen) return newest;
    const win::SelectScope selected(dc.get(), pen.get());
    const PlacedPath dots = PlaceDistinct(fitted, a, width, height);
    for (int i = 0; i < dots.count; ++i) {
        ::MoveToEx(dc.get(), dots.pixels[i].x, dots.pixels[i].y, nullptr);
        ::LineTo(dc.get(), dots.pixels[i].x, dots.pixels[i].y);
    }
    return newest;
}

}  // namespace trail
