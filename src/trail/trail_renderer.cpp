#include "trail/trail_renderer.h"

#include <algorithm>
#include <new>

#include "trail/stroke.h"
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

namespace {

// The outline's pieces added to a path, which filled with the winding rule
// is one shape: overlapping parts are filled once, so nothing is blended
// twice and no seam shows where the pieces meet.
void AddOutline(gdip::GpPath* path, const StrokeOutline& outline) noexcept {
    for (int i = 0; i < outline.quadCount; ++i) {
        gdip::GpPointF corners[4];
        for (int c = 0; c < 4; ++c) corners[c] = {outline.quads[i].corners[c].x, outline.quads[i].corners[c].y};
        gdip::GdipAddPathPolygon(path, corners, 4);
    }
    for (int i = 0; i < outline.discCount; ++i) {
        const DiscPolygon disc = DiscCorners(outline.discs[i]);
        gdip::GpPointF corners[kMaxDiscCorners];
        for (int c = 0; c < disc.count; ++c) corners[c] = {disc.corners[c].x, disc.corners[c].y};
        gdip::GdipAddPathPolygon(path, corners, disc.count);
    }
}

// The line's outline filled in one colour.
void FillStroke(gdip::GpGraphics* graphics, gdip::ARGB color, const StrokeSamples& line) noexcept {
    StrokeOutline outline;
    OutlineStroke(line, outline);
    gdip::GpPath* rawPath = nullptr;
    gdip::GdipCreatePath(gdip::FillModeWinding, &rawPath);
    const gdip::Path path(rawPath);
    gdip::GpBrush* rawBrush = nullptr;
    gdip::GdipCreateSolidFill(color, &rawBrush);
    const gdip::Brush brush(rawBrush);
    if (!path || !brush) return;
    AddOutline(path.get(), outline);
    gdip::GdipFillPath(graphics, brush.get(), path.get());
}

}  // namespace

void DrawTaperedCurve(HDC dc, const win::BackBuffer& buffer, const PointArray& fitted,
                      const TrailStyle& style) noexcept {
    CurveDrawing curve;
    if (!PrepareCurve(dc, buffer, fitted, style, curve)) return;
    PlacedPath path;
    path.count = curve.count;
    for (int i = 0; i < curve.count; ++i) path.pixels[i] = {curve.points[i].X, curve.points[i].Y};
    const StrokeSamples line =
        SampleLine(path, true, static_cast<float>(curve.lineWidth), TaperedWidth(curve.lineWidth, 1.0f));
    // Without smoothing, as the plain curve: every pixel is exactly the line colour.
    FillStroke(curve.graphics.get(), ArgbFromColorref(style.lineColor), line);
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

int FadingMargin(const win::BackBuffer& image, HDC dc, const TrailStyle& style) noexcept {
    const int widest = std::max(style.drawLines ? PenPixels(image, dc, style.lineWidthPt) : 0,
                                style.drawPoints ? PenPixels(image, dc, style.pointWidthPt) : 0);
    return widest / 2 + 2;
}

namespace {

// A colour with an alpha of its own, as GDI+ brushes take it (not premultiplied).
gdip::ARGB WithAlpha(std::uint32_t colorref, std::uint8_t alpha) noexcept {
    return (ArgbFromColorref(colorref) & 0x00FFFFFFu) | (static_cast<gdip::ARGB>(alpha) << 24);
}

}  // namespace

bool FadingCanvas::Attach(win::BackBuffer& image) noexcept {
    Detach();
    std::uint32_t* top = image.TopRow();
    if (!top) return false;
    try {
        claimed_.assign(static_cast<size_t>(image.width()) * static_cast<size_t>(image.height()), 0);
    } catch (const std::bad_alloc&) {
        Detach();
        return false;
    }
    image_ = &image;
    dc_ = image.GetDC();
    gdip::GpImage* rawBitmap = nullptr;
    gdip::GdipCreateBitmapFromScan0(image.width(), image.height(), static_cast<INT>(image.Stride() * 4),
                                    gdip::PixelFormat32bppPARGB, reinterpret_cast<BYTE*>(top), &rawBitmap);
    bitmap_.reset(rawBitmap);
    gdip::GpBrush* rawBrush = nullptr;
    gdip::GdipCreateSolidFill(0, &rawBrush);
    brush_.reset(rawBrush);
    gdip::GpPath* rawPath = nullptr;
    gdip::GdipCreatePath(gdip::FillModeWinding, &rawPath);
    path_.reset(rawPath);
    if (!dc_ || !bitmap_ || !brush_ || !path_) {
        Detach();
        return false;
    }
    top_ = top;
    return true;
}

void FadingCanvas::Detach() noexcept {
    path_.reset();
    brush_.reset();
    graphics_.reset();
    bitmap_.reset();
    if (dc_) image_->ReleaseDC();
    dc_ = nullptr;
    image_ = nullptr;
    top_ = nullptr;
    // Given back to the system, not kept for the next image.
    std::vector<std::uint8_t>().swap(claimed_);
}

int FadingCanvas::width() const noexcept { return image_ ? image_->width() : 0; }
int FadingCanvas::height() const noexcept { return image_ ? image_->height() : 0; }

int FadingCanvas::Pixels(int points) const noexcept { return image_ ? PenPixels(*image_, dc_, points) : 0; }

std::uint32_t* FadingCanvas::Row(int y) noexcept { return top_ + static_cast<std::ptrdiff_t>(y) * image_->Stride(); }

Rect FadingCanvas::Bounds() const noexcept { return {0, 0, width(), height()}; }

void FadingCanvas::Clear(Rect region) noexcept {
    region = Intersect(region, Bounds());
    for (int y = region.top; y < region.bottom; ++y) {
        std::fill_n(Row(y) + region.left, Width(region), 0u);
    }
}

void FadingCanvas::Clip(Rect region) noexcept {
    if (!graphics_) {
        gdip::GpGraphics* raw = nullptr;
        gdip::GdipGetImageGraphicsContext(bitmap_.get(), &raw);
        graphics_.reset(raw);
        if (graphics_) gdip::GdipSetSmoothingMode(graphics_.get(), gdip::SmoothingModeAntiAlias);
    }
    gdip::GdipSetClipRectI(graphics_.get(), region.left, region.top, Width(region), Height(region),
                           gdip::CombineModeReplace);
}

void FadingCanvas::Fill(gdip::ARGB color, const StrokeSamples& line) noexcept {
    StrokeOutline outline;
    OutlineStroke(line, outline);
    gdip::GdipResetPath(path_.get());
    gdip::GdipSetPathFillMode(path_.get(), gdip::FillModeWinding);
    AddOutline(path_.get(), outline);
    gdip::GdipSetSolidFillColor(brush_.get(), color);
    gdip::GdipFillPath(graphics_.get(), brush_.get(), path_.get());
}

void FadingCanvas::Dot(gdip::ARGB color, Point at, float radius) noexcept {
    gdip::GdipSetSolidFillColor(brush_.get(), color);
    gdip::GdipFillEllipse(graphics_.get(), brush_.get(), static_cast<float>(at.x) - radius,
                          static_cast<float>(at.y) - radius, 2 * radius, 2 * radius);
}

// What a graphics drew has reached the bitmap's pixels at the latest when the
// graphics is deleted, on Windows and under Wine alike; a graphics is cheap
// beside the bitmap it draws on, which is kept.
void FadingCanvas::Flush() noexcept { graphics_.reset(); }

void DrawFadingTrail(FadingCanvas& canvas, Rect region, const PlacedPath& path, const TrailStyle& style) noexcept {
    region = Intersect(region, canvas.Bounds());
    if (!canvas.ready() || IsEmpty(region)) return;
    canvas.Clear(region);
    canvas.Clip(region);
    if (style.drawLines && path.count >= 2) {
        const int lw = canvas.Pixels(style.lineWidthPt);
        const bool tapered = !style.straightLines && style.taperedCurve;
        StrokeSamples line = SampleLine(path, !style.straightLines, static_cast<float>(lw),
                                        tapered ? TaperedWidth(lw, 1.0f) : static_cast<float>(lw));
        // The whole line at full alpha first, then each pixel faded by the age
        // of the line there: pieces drawn one by one at their own alpha would
        // blend twice where they overlap and show a bead at every join.
        canvas.Fill(ArgbFromColorref(style.lineColor), line);
        canvas.Flush();
        for (int i = 0; i < line.count; ++i) {
            line.samples[i].at.x -= static_cast<float>(region.left);
            line.samples[i].at.y -= static_cast<float>(region.top);
        }
        FadeByAge(canvas.Row(region.top) + region.left, canvas.stride(), Width(region), Height(region), line,
                  canvas.claimed());
    }
    if (style.drawPoints) {
        const float radius = static_cast<float>(canvas.Pixels(style.pointWidthPt)) / 2.0f;
        const float oldest = static_cast<float>(std::max(path.count - 1, 0));
        // Oldest first, so that where dots overlap the newer lies on top.
        for (int i = path.count - 1; i >= 0; --i)
            canvas.Dot(WithAlpha(style.pointColor, FadeAlpha(static_cast<float>(i), oldest)), path.pixels[i], radius);
    }
    canvas.Flush();
}

void DrawFadingHead(FadingCanvas& canvas, Rect clip, const StrokeSamples& head, const PlacedPath& path,
                    const TrailStyle& style) noexcept {
    clip = Intersect(clip, canvas.Bounds());
    if (!canvas.ready() || IsEmpty(clip)) return;
    canvas.Clip(clip);
    if (style.drawLines && head.count > 0) canvas.Fill(ArgbFromColorref(style.lineColor), head);
    // The newest dot stays on top of the line, as it is at a sample.
    if (style.drawPoints && path.count > 0)
        canvas.Dot(ArgbFromColorref(style.pointColor), path.pixels[0],
                   static_cast<float>(canvas.Pixels(style.pointWidthPt)) / 2.0f);
    canvas.Flush();
}

}  // namespace trail
