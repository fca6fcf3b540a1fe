#include "win/gdiplus_flat.h"

#include "win/system_library.h"

namespace gdip {
namespace {

struct Entries {
    GpStatus(WINAPI* startup)(ULONG_PTR*, const StartupInput*, void*);
    void(WINAPI* shutdown)(ULONG_PTR);
    GpStatus(WINAPI* createFromHdc)(HDC, GpGraphics**);
    GpStatus(WINAPI* deleteGraphics)(GpGraphics*);
    GpStatus(WINAPI* createPen1)(ARGB, float, GpUnit, GpPen**);
    GpStatus(WINAPI* deletePen)(GpPen*);
    GpStatus(WINAPI* drawCurveI)(GpGraphics*, GpPen*, const GpPoint*, INT);
};

// All or nothing: a gdiplus.dll without one of them is treated as missing.
const Entries* Bind() noexcept {
    static const Entries* const bound = []() -> const Entries* {
        static Entries entries{};
        const HMODULE library = win::LoadSystemLibrary(L"gdiplus.dll");
        entries.startup = win::SystemEntry<decltype(entries.startup)>(library, "GdiplusStartup");
        entries.shutdown = win::SystemEntry<decltype(entries.shutdown)>(library, "GdiplusShutdown");
        entries.createFromHdc = win::SystemEntry<decltype(entries.createFromHdc)>(library, "GdipCreateFromHDC");
        entries.deleteGraphics = win::SystemEntry<decltype(entries.deleteGraphics)>(library, "GdipDeleteGraphics");
        entries.createPen1 = win::SystemEntry<decltype(entries.createPen1)>(library, "GdipCreatePen1");
        entries.deletePen = win::SystemEntry<decltype(entries.deletePen)>(library, "GdipDeletePen");
        entries.drawCurveI = win::SystemEntry<decltype(entries.drawCurveI)>(library, "GdipDrawCurveI");
        const bool complete = entries.startup && entries.shutdown && entries.createFromHdc && entries.deleteGraphics &&
                              entries.createPen1 && entries.deletePen && entries.drawCurveI;
        return complete ? &entries : nullptr;
    }();
    return bound;
}

}  // namespace

GpStatus GdiplusStartup(ULONG_PTR* token, const StartupInput* input, void* output) noexcept {
    const Entries* api = Bind();
    return api ? api->startup(token, input, output) : kGenericError;
}

void GdiplusShutdown(ULONG_PTR token) noexcept {
    // A start that failed leaves the token 0, and there is nothing to shut down.
    if (const Entries* api = Bind(); api && token) api->shutdown(token);
}

GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics) noexcept {
    const Entries* api = Bind();
    return api ? api->createFromHdc(hdc, graphics) : kGenericError;
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics) noexcept {
    const Entries* api = Bind();
    return api ? api->deleteGraphics(graphics) : kGenericError;
}

GpStatus GdipCreatePen1(ARGB color, float width, GpUnit unit, GpPen** pen) noexcept {
    const Entries* api = Bind();
    return api ? api->createPen1(color, width, unit, pen) : kGenericError;
}

GpStatus GdipDeletePen(GpPen* pen) noexcept {
    const Entries* api = Bind();
    return api ? api->deletePen(pen) : kGenericError;
}

GpStatus GdipDrawCurveI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count) noexcept {
    const Entries* api = Bind();
    return api ? api->drawCurveI(graphics, pen, points, count) : kGenericError;
}

}  // namespace gdip
