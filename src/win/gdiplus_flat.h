// The handful of GDI+ flat-API entry points the program uses, declared here so
// that the C++ wrapper headers (and their macro clashes) stay out of the build,
// and loaded at run time so that no gdiplus.dll beside the exe is ever loaded.
#pragma once

#include <windows.h>

#include <memory>

namespace gdip {

struct GpGraphics;
struct GpPen;
struct GpImage;
struct GpBrush;
struct GpPath;
struct GpPoint {
    INT X;
    INT Y;
};
struct GpPointF {
    float X;
    float Y;
};
using GpStatus = int;  // 0 is Ok
using ARGB = DWORD;
enum GpUnit : int { UnitWorld = 0 };
enum GpFillMode : int { FillModeAlternate = 0, FillModeWinding = 1 };
enum GpSmoothingMode : int { SmoothingModeAntiAlias = 4 };
enum GpCombineMode : int { CombineModeReplace = 0 };
// Pixel formats ("Image Pixel Format Constants", Microsoft Docs).
inline constexpr INT PixelFormat32bppPARGB = 0x000E200B;

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
// A bitmap over the caller's pixels, which must outlive it; `stride` is
// negative for rows stored bottom-up.
GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, INT format, BYTE* scan0,
                                   GpImage** bitmap) noexcept;
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) noexcept;
GpStatus GdipDisposeImage(GpImage* image) noexcept;
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, GpSmoothingMode mode) noexcept;
GpStatus GdipCreateSolidFill(ARGB color, GpBrush** brush) noexcept;
GpStatus GdipDeleteBrush(GpBrush* brush) noexcept;
GpStatus GdipCreatePath(GpFillMode mode, GpPath** path) noexcept;
GpStatus GdipDeletePath(GpPath* path) noexcept;
GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count) noexcept;
GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path) noexcept;
GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, float x, float y, float width, float height) noexcept;
GpStatus GdipSetSolidFillColor(GpBrush* brush, ARGB color) noexcept;
// Empties the path and sets its fill mode back to alternate ("GraphicsPath::Reset", Microsoft Docs).
GpStatus GdipResetPath(GpPath* path) noexcept;
GpStatus GdipSetPathFillMode(GpPath* path, GpFillMode mode) noexcept;
GpStatus GdipSetClipRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, GpCombineMode mode) noexcept;

struct GraphicsDeleter {
    void operator()(GpGraphics* g) const noexcept { GdipDeleteGraphics(g); }
};
struct PenDeleter {
    void operator()(GpPen* p) const noexcept { GdipDeletePen(p); }
};
struct ImageDeleter {
    void operator()(GpImage* i) const noexcept { GdipDisposeImage(i); }
};
struct BrushDeleter {
    void operator()(GpBrush* b) const noexcept { GdipDeleteBrush(b); }
};
struct PathDeleter {
    void operator()(GpPath* p) const noexcept { GdipDeletePath(p); }
};
using Graphics = std::unique_ptr<GpGraphics, GraphicsDeleter>;
using Pen = std::unique_ptr<GpPen, PenDeleter>;
using Image = std::unique_ptr<GpImage, ImageDeleter>;
using Brush = std::unique_ptr<GpBrush, BrushDeleter>;
using Path = std::unique_ptr<GpPath, PathDeleter>;

}  // namespace gdip
