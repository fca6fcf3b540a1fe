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

}  // namespace

GpStatus GdiplusStartup(ULONG_PTR* token, const StartupInput* input, void* output) noexcept {
    const Entries* api = Bind();
    return api ? api->startup.call(token, input, output) : kGenericError;
}

void GdiplusShutdown(ULONG_PTR token) noexcept {
    // A start that failed leaves the token 0, and there is nothing to shut down.
    if (const Entries* api = Bind(); api && token) api->shutdown.call(token);
}

GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics) noexcept {
    const Entries* api = Bind();
    return api ? api->createFromHdc.call(hdc, graphics) : kGenericError;
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) noexcept {
    const Entries* api = Bind();
    return api ? api->deleteGraphics.call(graphics) : kGenericError;
}

GpStatus GdipCreatePen1(ARGB color, float width, GpUnit unit, GpPen** pen) noexcept {
    const Entries* api = Bind();
    return api ? api->createPen1.call(color, width, unit, pen) : kGenericError;
}

GpStatus GdipDeletePen(GpPen* pen) noexcept {
    const Entries* api = Bind();
    return api ? api->deletePen.call(pen) : kGenericError;
}

GpStatus GdipDrawCurveI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count) noexcept {
    const Entries* api = Bind();
    return api ? api->drawCurveI.call(graphics, pen, points, count) : kGenericError;
}

GpStatus GdipDrawCurve3I(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count, INT offset, INT segments,
                         float tension) noexcept {
    const Entries* api = Bind();
    return api ? api->drawCurve3I.call(graphics, pen, points, count, offset, segments, tension) : kGenericError;
}

GpStatus GdipSetPenWidth(GpPen* pen, float width) noexcept {
    const Entries* api = Bind();
    return api ? api->setPenWidth.call(pen, width) : kGenericError;
}

GpStatus GdipSetPenStartCap(GpPen* pen, GpLineCap cap) noexcept {
    const Entries* api = Bind();
    return api ? api->setPenStartCap.call(pen, cap) : kGenericError;
}

GpStatus GdipSetPenEndCap(GpPen* pen, GpLineCap cap) noexcept {
    const Entries* api = Bind();
    return api ? api->setPenEndCap.call(pen, cap) : kGenericError;
}

}  // namespace gdip
