// The handful of GDI+ flat-API entry points the program uses, declared here so
// that the C++ wrapper headers (and their macro clashes) stay out of the build,
// and loaded at run time so that no gdiplus.dll beside the exe is ever loaded.
#pragma once

#include <windows.h>

#include <memory>

namespace gdip {

struct GpGraphics;
struct GpPen;
struct GpPoint {
    INT X;
    INT Y;
};
using GpStatus = int;  // 0 is Ok
using ARGB = DWORD;
enum GpUnit : int { UnitWorld = 0 };
enum GpLineCap : int { LineCapFlat = 0, LineCapRound = 2 };

struct StartupInput {
    UINT32 GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

// The entry points, bound from System32's gdiplus.dll on first use. A library
// or entry point that cannot be had makes each call fail with GenericError
// (and GdiplusShutdown do nothing), as if GDI+ had not started.
inline constexpr GpStatus kGenericError = 1;
GpStatus GdiplusStartup(ULONG_PTR* token, const StartupInput* input, void* output) noexcept;
void GdiplusShutdown(ULONG_PTR token) noexcept;
GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** graphics) noexcept;
GpStatus GdipDeleteGraphics(GpGraphics* graphics) noexcept;
GpStatus GdipCreatePen1(ARGB color, float width, GpUnit unit, GpPen** pen) noexcept;
GpStatus GdipDeletePen(GpPen* pen) noexcept;
GpStatus GdipDrawCurveI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count) noexcept;
// `segments` segments of the cardinal spline through all `count` points, from
// point `offset` on, at the given tension (DrawCurve's is 0.5).
GpStatus GdipDrawCurve3I(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count, INT offset, INT segments,
                         float tension) noexcept;
GpStatus GdipSetPenWidth(GpPen* pen, float width) noexcept;
GpStatus GdipSetPenStartCap(GpPen* pen, GpLineCap cap) noexcept;
GpStatus GdipSetPenEndCap(GpPen* pen, GpLineCap cap) noexcept;

struct GraphicsDeleter {
    void operator()(GpGraphics* g) const noexcept { GdipDeleteGraphics(g); }
};
struct PenDeleter {
    void operator()(GpPen* p) const noexcept { GdipDeletePen(p); }
};
using Graphics = std::unique_ptr<GpGraphics, GraphicsDeleter>;
using Pen = std::unique_ptr<GpPen, PenDeleter>;

}  // namespace gdip
