#include "win/gdiplus_flat.h"

#include "win/system_library.h"

namespace gdip {
namespace {

// Typed here: the SDK declares the flat API only together with the C++
// wrapper headers, which this program keeps out of its build.
struct Entries {
    win::Entry<GpStatus(WINAPI*)(ULONG_PTR*, const StartupInput*, void*)> startup{"GdiplusStartup"};
    win::Entry<void(WINAPI*)(ULONG_PTR)> shutdown{"GdiplusShutdown"};
    win::Entry<GpStatus(WINAPI*)(HDC, GpGraphics**)> createFromHdc{"GdipCreateFromHDC"};
    win::Entry<GpStatus(WINAPI*)(GpGraphics*)> deleteGraphics{"GdipDeleteGraphics"};
    win::Entry<GpStatus(WINAPI*)(ARGB, float, GpUnit, GpPen**)> createPen1{"GdipCreatePen1"};
    win::Entry<GpStatus(WINAPI*)(GpPen*)> deletePen{"GdipDeletePen"};
    win::Entry<GpStatus(WINAPI*)(GpGraphics*, GpPen*, const GpPoint*, INT)> drawCurveI{"GdipDrawCurveI"};
    win::Entry<GpStatus(WINAPI*)(INT, INT, INT, INT, BYTE*, GpImage**)> createBitmapFromScan0{
        "GdipCreateBitmapFromScan0"};
    win::Entry<GpStatus(WINAPI*)(GpImage*, GpGraphics**)> getImageGraphicsContext{"GdipGetImageGraphicsContext"};
    win::Entry<GpStatus(WINAPI*)(GpImage*)> disposeImage{"GdipDisposeImage"};
    win::Entry<GpStatus(WINAPI*)(GpGraphics*, GpSmoothingMode)> setSmoothingMode{"GdipSetSmoothingMode"};
    win::Entry<GpStatus(WINAPI*)(ARGB, GpBrush**)> createSolidFill{"GdipCreateSolidFill"};
    win::Entry<GpStatus(WINAPI*)(GpBrush*)> deleteBrush{"GdipDeleteBrush"};
    win::Entry<GpStatus(WINAPI*)(GpFillMode, GpPath**)> createPath{"GdipCreatePath"};
    win::Entry<GpStatus(WINAPI*)(GpPath*)> deletePath{"GdipDeletePath"};
    win::Entry<GpStatus(WINAPI*)(GpPath*, const GpPointF*, INT)> addPathPolygon{"GdipAddPathPolygon"};
    win::Entry<GpStatus(WINAPI*)(GpGraphics*, GpBrush*, GpPath*)> fillPath{"GdipFillPath"};
    win::Entry<GpStatus(WINAPI*)(GpGraphics*, GpBrush*, float, float, float, float)> fillEllipse{"GdipFillEllipse"};
    win::Entry<GpStatus(WINAPI*)(GpBrush*, ARGB)> setSolidFillColor{"GdipSetSolidFillColor"};
    win::Entry<GpStatus(WINAPI*)(GpPath*)> resetPath{"GdipResetPath"};
    win::Entry<GpStatus(WINAPI*)(GpPath*, GpFillMode)> setPathFillMode{"GdipSetPathFillMode"};
    win::Entry<GpStatus(WINAPI*)(GpGraphics*, INT, INT, INT, INT, GpCombineMode)> setClipRectI{"GdipSetClipRectI"};
};

const Entries* Bind() noexcept {
    static Entries entries;
    static const bool bound =
        win::BindAll(win::LoadSystemLibrary(L"gdiplus.dll"), entries.startup, entries.shutdown, entries.createFromHdc,
                     entries.deleteGraphics, entries.createPen1, entries.deletePen, entries.drawCurveI,
                     entries.createBitmapFromScan0, entries.getImageGraphicsContext, entries.disposeImage,
                     entries.setSmoothingMode, entries.createSolidFill, entries.deleteBrush, entries.createPath,
                     entries.deletePath, entries.addPathPolygon, entries.fillPath, entries.fillEllipse,
                     entries.setSolidFillColor, entries.resetPath, entries.setPathFillMode, entries.setClipRectI);
    return bound ? &entries : nullptr;
}

// One bound entry point, called; without GDI+ the call fails as it would
// before GDI+ has started.
template <class Fn, class... Args>
GpStatus Call(win::Entry<Fn> Entries::*entry, Args... args) noexcept {
    const Entries* api = Bind();
    return api ? (api->*entry).call(args...) : kGenericError;
}

}  // namespace

GpStatus GdiplusStartup(ULONG_PTR* token, const StartupInput* input, void* output) noexcept {
    return Call(&Entries::startup, token, input, output);
}

void GdiplusShutdown(ULONG_PTR token) noexcept {
    // A start that failed leaves the token 0, and there is nothing to shut down.
    if (const Entries* api = Bind(); api && token) api->shutdown.call(token);
}

GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics) noexcept {
    return Call(&Entries::createFromHdc, hdc, graphics);
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) noexcept { return Call(&Entries::deleteGraphics, graphics); }

GpStatus GdipCreatePen1(ARGB color, float width, GpUnit unit, GpPen** pen) noexcept {
    return Call(&Entries::createPen1, color, width, unit, pen);
}

GpStatus GdipDeletePen(GpPen* pen) noexcept { return Call(&Entries::deletePen, pen); }

GpStatus GdipDrawCurveI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count) noexcept {
    return Call(&Entries::drawCurveI, graphics, pen, points, count);
}

GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, INT format, BYTE* scan0,
                                   GpImage** bitmap) noexcept {
    return Call(&Entries::createBitmapFromScan0, width, height, stride, format, scan0, bitmap);
}

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) noexcept {
    return Call(&Entries::getImageGraphicsContext, image, graphics);
}

GpStatus GdipDisposeImage(GpImage* image) noexcept { return Call(&Entries::disposeImage, image); }

GpStatus GdipSetSmoothingMode(GpGraphics* graphics, GpSmoothingMode mode) noexcept {
    return Call(&Entries::setSmoothingMode, graphics, mode);
}

GpStatus GdipCreateSolidFill(ARGB color, GpBrush** brush) noexcept {
    return Call(&Entries::createSolidFill, color, brush);
}

GpStatus GdipDeleteBrush(GpBrush* brush) noexcept { return Call(&Entries::deleteBrush, brush); }

GpStatus GdipCreatePath(GpFillMode mode, GpPath** path) noexcept { return Call(&Entries::createPath, mode, path); }

GpStatus GdipDeletePath(GpPath* path) noexcept { return Call(&Entries::deletePath, path); }

GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count) noexcept {
    return Call(&Entries::addPathPolygon, path, points, count);
}

GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path) noexcept {
    return Call(&Entries::fillPath, graphics, brush, path);
}

GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, float x, float y, float width, float height) noexcept {
    return Call(&Entries::fillEllipse, graphics, brush, x, y, width, height);
}

GpStatus GdipSetSolidFillColor(GpBrush* brush, ARGB color) noexcept {
    return Call(&Entries::setSolidFillColor, brush, color);
}

GpStatus GdipResetPath(GpPath* path) noexcept { return Call(&Entries::resetPath, path); }

GpStatus GdipSetPathFillMode(GpPath* path, GpFillMode mode) noexcept {
    return Call(&Entries::setPathFillMode, path, mode);
}

GpStatus GdipSetClipRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, GpCombineMode mode) noexcept {
    return Call(&Entries::setClipRectI, graphics, x, y, width, height, mode);
}

}  // namespace gdip
