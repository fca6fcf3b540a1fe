// Owners of GDI objects and scopes that put a DC back as it was.
#pragma once

#include <windows.h>

#include "win/handle.h"

namespace win {

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
// Owns one GDI object and deletes it once.
template <class Handle>
using GdiObject = Owned<Handle, DeleteGdiObject>;

using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;
using Font = GdiObject<HFONT>;

struct ReleaseScreenDC {
    void operator()(HDC dc) const noexcept { ::ReleaseDC(nullptr, dc); }
};
// The screen's DC from GetDC(nullptr), given back once.
using ScreenDC = Owned<HDC, ReleaseScreenDC>;

struct DeleteMemoryDC {
    void operator()(HDC dc) const noexcept { ::DeleteDC(dc); }
};
// A DC from CreateCompatibleDC, deleted once.
using MemoryDC = Owned<HDC, DeleteMemoryDC>;

// Selects an object into a DC and selects the previous one back on scope exit,
// so the object is never deleted while still selected.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() {
        if (old_) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND hwnd) noexcept : hwnd_(hwnd) { dc_ = ::BeginPaint(hwnd, &ps_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
    HDC dc() const noexcept { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Geometric solid pen with round caps and joins: a zero-length line of it is a dot.
inline Pen MakeRoundPen(int width, COLORREF color) noexcept {
    // PS_SOLID, PS_ENDCAP_ROUND and PS_JOIN_ROUND are all zero: the style is 0x00010000.
    constexpr DWORD kStyle = PS_GEOMETRIC;
    static_assert(kStyle == 0x00010000);
    const LOGBRUSH brush{BS_SOLID, color, 0};
    return Pen(::ExtCreatePen(kStyle, static_cast<DWORD>(width), &brush, 0, nullptr));
}

}  // namespace win
