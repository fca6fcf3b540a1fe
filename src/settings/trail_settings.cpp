#include "settings/trail_settings.h"

#include <algorithm>

namespace settings {
namespace {

// COLORREF values (0x00BBGGRR) of the colour menu, in menu order.
constexpr std::array<std::uint32_t, 5> kColors{
    0x000000FF,  // red
    0x0000FF00,  // green
    0x00FF0000,  // blue
    0x0000FFFF,  // yellow
    0x00000000,  // black
};

// Pen widths in points of the width menu, in menu order.
constexpr std::array<std::int32_t, 3> kWidthsPt{2, 5, 10};

// A hand-edited file may hold any number; an index outside the table keeps
// whatever the style already had instead of failing the whole load.
template <typename T, std::size_t N>
void Lookup(const std::array<T, N>& table, std::int32_t index, T& field) noexcept {
    if (index >= 0 && static_cast<std::size_t>(index) < N) field = table[static_cast<std::size_t>(index)];
}

}  // namespace

void ApplyToStyle(const TrailSettings& settings, trail::TrailStyle& style) noexcept {
    switch (settings.drawMode) {
    case 0:
        style.drawLines = 1;
        style.drawPoints = 1;
        break;
    case 1:
        style.drawLines = 0;
        style.drawPoints = 1;
        break;
    case 2:
        style.drawLines = 1;
        style.drawPoints = 0;
        break;
    default: break;
    }
    Lookup(kColors, settings.lineColorIndex, style.lineColor);
    Lookup(kColors, settings.pointColorIndex, style.pointColor);
    Lookup(kWidthsPt, settings.lineWidthIndex, style.lineWidthPt);
    Lookup(kWidthsPt, settings.pointWidthIndex, style.pointWidthPt);
    // Clamped only where it becomes an alpha, so the file keeps what was written.
    style.opacityPercent = settings.opacityPercent;
    // 2 is the tapered curve; every other value but 0 stays straight lines,
    // as a file written for an earlier version means it.
    constexpr std::int32_t kTaperedCurve = 2;
    style.taperedCurve = settings.lineKind == kTaperedCurve ? 1 : 0;
    style.straightLines = settings.lineKind == kTaperedCurve ? 0 : settings.lineKind;
    style.fade = settings.fade != 0 ? 1 : 0;
    style.halo = settings.halo != 0 ? 1 : 0;
}

}  // namespace settings
