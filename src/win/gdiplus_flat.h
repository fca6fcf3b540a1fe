// The handful of GDI+ flat-API entry points the program uses, declared here so
// that the C++ wrapper headers (and their macro clashes) stay out of the build.
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

struct StartupInput {
    UINT32 GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};

extern "C" {
GpStatus WINAPI GdiplusStartup(ULONG_PTR* token, const StartupInput* input, void* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);
GpStatus WINAPI GdipCreateFromHDC(HDC hdc, GpGraphics** graphics);
GpStatus WINAPI GdipDeleteGraphics(GpGraphics* graphics);
GpStatus WINAPI GdipCreatePen1(ARGB color, float width, GpUnit unit, GpPen** pen);
GpStatus WINAPI GdipDeletePen(GpPen* pen);
GpStatus WINAPI GdipDrawCurveI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count);
}

struct GraphicsDeleter {
    void operator()(GpGraphics* g) const noexcept { GdipDeleteGraphics(g); }
};
struct PenDeleter {
    void operator()(GpPen* p) const noexcept { GdipDeletePen(p); }
};
using Graphics = std::unique_ptr<GpGraphics, GraphicsDeleter>;
using Pen = std::unique_ptr<GpPen, PenDeleter>;

}  // namespace gdip
