// The overlay's drawing style, derived from the settings and read by the renderer.
#pragma once

#include <algorithm>
#include <cstdint>

namespace trail {

struct TrailStyle {
    std::int32_t drawLines = 1;
    std::int32_t drawPoints = 1;
    std::int32_t lineWidthPt = 5;
    std::int32_t pointWidthPt = 5;
    std::uint32_t lineColor = 0x000000FF;   // COLORREF, red
    std::uint32_t pointColor = 0x0000FFFF;  // COLORREF, yellow
    std::int32_t opacityPercent = 70;
    std::int32_t straightLines = 0;
    // The curve narrowing with age, newest segment at the full width.
    std::int32_t taperedCurve = 0;
    // Per-pixel alpha instead of the colour key: antialiased, fading with
    // age, in a window the size of the trail.
    std::int32_t fade = 0;
    // A soft disc in the point colour around the pointer, under the trail.
    std::int32_t halo = 0;

    friend bool operator==(const TrailStyle&, const TrailStyle&) = default;
};

// Layered-window alpha for an opacity percentage, clamped to 0..100 first.
constexpr std::uint8_t AlphaFromOpacity(std::int32_t opacityPercent) noexcept {
    return static_cast<std::uint8_t>(std::clamp<std::int32_t>(opacityPercent, 0, 100) * 255 / 100);
}

}  // namespace trail
