// Move-only owners for GDI handles and scopes that put a DC back as it was.
#pragma once

#include <windows.h>

#include <utility>

namespace win {

// Owns one GDI object and deletes it once. Copying would delete it twice.
template <class Handle>
class GdiObject {
public:
    GdiObject() noexcept = default;
    explicit GdiObject(Handle handle) noexcept : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(other.release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        reset(other.release());
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    Handle release() noexcept { return std::exchange(handle_, nullptr); }
    void reset(Handle handle = nullptr) noexcept {
        if (handle_) ::DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;

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
