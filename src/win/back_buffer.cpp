#include "win/back_buffer.h"

namespace win {

bool BackBuffer::Create(int width, int height) noexcept {
    Destroy();
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // positive: bottom-up rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_) return false;
    bits_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

void BackBuffer::Destroy() noexcept {
    if (dc_) {
        ::SelectObject(dc_.get(), oldBitmap_);
        dc_.reset();
        oldBitmap_ = nullptr;
        dcUsers_ = 0;
    }
    bitmap_.reset();
    bits_ = nullptr;
    width_ = 0;
    height_ = 0;
}

HDC BackBuffer::GetDC() noexcept {
    if (!bitmap_) return nullptr;
    if (dcUsers_ == 0) {
        dc_.reset(::CreateCompatibleDC(nullptr));
        if (!dc_) return nullptr;
        oldBitmap_ = ::SelectObject(dc_.get(), bitmap_.get());
    }
    ++dcUsers_;
    return dc_.get();
}

void BackBuffer::ReleaseDC() noexcept {
    if (dcUsers_ == 0 || --dcUsers_ > 0) return;
    ::SelectObject(dc_.get(), oldBitmap_);
    dc_.reset();
    oldBitmap_ = nullptr;
}

std::uint32_t BackBuffer::PixelAt(int x, int y) const noexcept {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    // GDI may still be batching drawing calls for this bitmap.
    ::GdiFlush();
    return bits_[static_cast<size_t>(height_ - 1 - y) * width_ + x];
}

std::uint32_t* BackBuffer::TopRow() noexcept {
    if (!bits_) return nullptr;
    ::GdiFlush();
    return bits_ + static_cast<size_t>(height_ - 1) * width_;
}

}  // namespace win
