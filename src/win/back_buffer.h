// The off-screen 32-bit image the trail is drawn into.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "win/gdi.h"

namespace win {

// A bottom-up, uncompressed 32 bpp DIB section without an alpha flag. Its DC is
// handed out on demand; nested GetDC/ReleaseDC pairs share one memory DC,
// which lives until the outermost pair is given back.
class BackBuffer {
public:
    BackBuffer() noexcept = default;
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    ~BackBuffer() { Destroy(); }

    bool Create(int width, int height) noexcept;
    void Destroy() noexcept;

    bool exists() const noexcept { return bitmap_.get() != nullptr; }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }

    // The DPI the image is drawn for: that of the monitor its window is on.
    // 0 (the default) stands for the resolution its DC reports. An image made
    // again keeps it.
    int dpi() const noexcept { return dpi_; }
    void SetDpi(int dpi) noexcept { dpi_ = dpi; }

    HDC GetDC() noexcept;
    void ReleaseDC() noexcept;

    // Pixel (x, y) counted from the top-left corner as 0x00RRGGBB plus the
    // alpha byte; the rows are stored bottom-up.
    std::uint32_t PixelAt(int x, int y) const noexcept;

    // The pixels, top row first: rows lie Stride() pixels apart, a negative
    // number since they are stored bottom-up. Null without an image.
    std::uint32_t* TopRow() noexcept;
    std::ptrdiff_t Stride() const noexcept { return -static_cast<std::ptrdiff_t>(width_); }

private:
    Bitmap bitmap_;
    std::uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    MemoryDC dc_;
    HGDIOBJ oldBitmap_ = nullptr;
    int dcUsers_ = 0;
    int dpi_ = 0;
};

// One acquisition of a back buffer's DC for the length of a scope.
class BufferDC {
public:
    explicit BufferDC(BackBuffer& buffer) noexcept : buffer_(buffer), dc_(buffer.GetDC()) {}
    BufferDC(const BufferDC&) = delete;
    BufferDC& operator=(const BufferDC&) = delete;
    ~BufferDC() { buffer_.ReleaseDC(); }
    HDC get() const noexcept { return dc_; }

private:
    BackBuffer& buffer_;
    HDC dc_;
};

}  // namespace win
