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
    win::Entry<GpStatus(WINAPI*)(GpGraphics*, GpPen*, const GpPoint*, INT, INT, INT, float)> drawCurve3I{
        "GdipDrawCurve3I"};
    win::Entry<GpStatus(WINAPI*)(GpPen*, float)> setPenWidth{"GdipSetPenWidth"};
    win::Entry<GpStatus(WINAPI*)(GpPen*, GpLineCap)> setPenStartCap{"GdipSetPenStartCap"};
    win::Entry<GpStatus(WINAPI*)(GpPen*, GpLineCap)> setPenEndCap{"GdipSetPenEndCap"};
};

const Entries* Bind() noexcept {
    static Entries entries;
    static const bool bound =
        win::BindAll(win::LoadSystemLibrary(L"gdiplus.dll"), entries.startup, entries.shutdown, entries.createFromHdc,
                     entries.deleteGraphics, entries.createPen1, entries.deletePen, entries.drawCurveI,
                     entries.drawCurve3I, entries.setPenWidth, entries.setPenStartCap, entries.setPenEndCap);
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

GpStatus GdipDrawCurve3I(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count, INT offset, INT segments,
                         float tension) noexcept {
    return Call(&Entries::drawCurve3I, graphics, pen, points, count, offset, segments, tension);
}

GpStatus GdipSetPenWidth(GpPen* pen, float width) noexcept { return Call(&Entries::setPenWidth, pen, width); }

GpStatus GdipSetPenStartCap(GpPen* pen, GpLineCap cap) noexcept { return Call(&Entries::setPenStartCap, pen, cap); }

GpStatus GdipSetPenEndCap(GpPen* pen, GpLineCap cap) noexcept { return Call(&Entries::setPenEndCap, pen, cap); }

}  // namespace gdip
