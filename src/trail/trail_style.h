// The overlay's drawing style, derived from the settings and read by the renderer.
#pragma once

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
};

}  // namespace trail
