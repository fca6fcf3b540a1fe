#include "trail/click_rings.h"

#include <algorithm>
#include <cmath>

namespace trail {

Presses PressesFrom(std::uint16_t buttonFlags, bool swapped) noexcept {
    // RI_MOUSE_LEFT_BUTTON_DOWN, RI_MOUSE_RIGHT_BUTTON_DOWN and
    // RI_MOUSE_MIDDLE_BUTTON_DOWN ("RAWMOUSE structure", Microsoft Docs):
    // the physical buttons, before the swap Windows applies to its messages.
    const bool physicalLeft = (buttonFlags & 0x0001) != 0;
    const bool physicalRight = (buttonFlags & 0x0004) != 0;
    Presses presses;
    presses.left = swapped ? physicalRight : physicalLeft;
    presses.right = swapped ? physicalLeft : physicalRight;
    presses.middle = (buttonFlags & 0x0010) != 0;
    return presses;
}

namespace {

float PointsToPixels(float points, int dpi) noexcept { return points * static_cast<float>(dpi) / 72.0f; }

}  // namespace

RingLook RingAt(int ageMs, int dpi) noexcept {
    RingLook look;
    if (ageMs < 0 || ageMs >= kRingLifeMs) return look;
    look.alive = true;
    const float grown = std::min(1.0f, static_cast<float>(ageMs) / kRingGrowthMs);
    const float eased = 1.0f - (1.0f - grown) * (1.0f - grown);  // fast, then slowing to a stop
    look.width = std::max(1.5f, PointsToPixels(2.0f, dpi));
    const float largest = PointsToPixels(kRingPoints / 2.0f, dpi) - look.width / 2;
    look.radius = largest * (0.25f + 0.75f * eased);
    const float left = 1.0f - static_cast<float>(ageMs) / kRingLifeMs;
    look.alpha = static_cast<std::uint8_t>(std::lround(255.0f * left));
    return look;
}

int RingImageSide(int dpi) noexcept {
    // The largest ring, its outer edge and a pixel of smoothing on each side.
    return static_cast<int>(std::ceil(PointsToPixels(kRingPoints, dpi))) + 4;
}

void DrawRing(std::uint32_t* pixels, int side, float radius, float width, std::uint32_t rgb,
              std::uint8_t alpha) noexcept {
    const float centre = static_cast<float>(side) / 2.0f;
    const float half = width / 2.0f;
    // Only the pixels within a pixel of the stroke: a row crosses it in two
    // spans at the most (a closing ring's image is mostly empty).
    const float outer = radius + half + 1.0f;
    const float inner = std::max(0.0f, radius - half - 1.0f);
    for (int y = 0; y < side; ++y) {
        const float rowY = static_cast<float>(y) + 0.5f - centre;
        if (std::fabs(rowY) > outer) continue;
        const float outerX = std::sqrt(std::max(0.0f, outer * outer - rowY * rowY));
        const float innerX = std::sqrt(std::max(0.0f, inner * inner - rowY * rowY));
        const int leftEnd = static_cast<int>(std::ceil(centre - innerX));
        const int rightStart = std::max(leftEnd + 1, static_cast<int>(std::floor(centre + innerX)));
        const int spans[2][2] = {{static_cast<int>(std::floor(centre - outerX)), leftEnd},
                                 {rightStart, static_cast<int>(std::ceil(centre + outerX))}};
        for (const auto& span : spans) {
            for (int x = std::max(0, span[0]); x <= std::min(side - 1, span[1]); ++x) {
                // Coverage by the distance of the pixel's centre from the stroke's middle.
                const float dx = static_cast<float>(x) + 0.5f - centre;
                const float dy = static_cast<float>(y) + 0.5f - centre;
                const float off = std::fabs(std::sqrt(dx * dx + dy * dy) - radius);
                const float coverage = std::clamp(half + 0.5f - off, 0.0f, 1.0f);
                if (coverage <= 0) continue;
                const float a = coverage * static_cast<float>(alpha) / 255.0f;
                // Source over what is there, premultiplied.
                std::uint32_t& pixel =
                    pixels[static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x)];
                std::uint32_t out = 0;
                for (int shift = 0; shift < 32; shift += 8) {
                    const float below = static_cast<float>((pixel >> shift) & 0xFF);
                    const float source = shift == 24 ? 255.0f : static_cast<float>((rgb >> shift) & 0xFF);
                    const float value = source * a + below * (1.0f - a);
                    out |= static_cast<std::uint32_t>(std::lround(value)) << shift;
                }
                pixel = out;
            }
        }
    }
}

int HaloImageSide(int dpi) noexcept { return static_cast<int>(std::ceil(PointsToPixels(kHaloPoints, dpi))) + 2; }

void DrawHalo(std::uint32_t* pixels, int side, std::uint32_t rgb, int opacityPercent) noexcept {
    const float opacity = static_cast<float>(std::clamp(opacityPercent, 0, 100)) / 100.0f;
    const float rimAlpha = 0.40f * opacity;
    const float middleAlpha = 0.28f * opacity;
    const float centre = static_cast<float>(side) / 2.0f;
    const float radius = centre - 1.0f;
    const float rim = radius * 0.25f;  // the stronger band inside the edge
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - centre;
            const float dy = static_cast<float>(y) + 0.5f - centre;
            const float distance = std::sqrt(dx * dx + dy * dy);
            const float coverage = std::clamp(radius + 0.5f - distance, 0.0f, 1.0f);
            // From the middle's alpha to the rim's over the band, smoothly.
            const float into = std::clamp((distance - (radius - rim)) / rim, 0.0f, 1.0f);
            const float a = coverage * (middleAlpha + (rimAlpha - middleAlpha) * into * into * (3 - 2 * into));
            std::uint32_t out = static_cast<std::uint32_t>(std::lround(255.0f * a)) << 24;
            for (int shift = 0; shift < 24; shift += 8)
                out |= static_cast<std::uint32_t>(std::lround(static_cast<float>((rgb >> shift) & 0xFF) * a)) << shift;
            pixels[static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x)] = out;
        }
    }
}

FindLook FindRingsAt(int ageMs, int startPx, int dpi) noexcept {
    FindLook look;
    if (ageMs < 0 || ageMs >= kFindLifeMs) return look;
    look.alive = true;
    look.width = std::max(2.0f, PointsToPixels(3.0f, dpi));
    // They close fast at first and slow as they reach the pointer, the
    // second at a little over half the first's size.
    const float t = static_cast<float>(ageMs) / kFindLifeMs;
    const float left = 1.0f - t;
    look.outer = (static_cast<float>(startPx) - look.width) / 2.0f * left * left;
    look.inner = look.outer * 0.55f;
    look.alpha = static_cast<std::uint8_t>(std::lround(255.0f * std::min(1.0f, 4.0f * (1.0f - t))));
    return look;
}

int FindImageSide(int startPx, int dpi) noexcept {
    return startPx + static_cast<int>(std::ceil(PointsToPixels(3.0f, dpi))) + 4;
}

int RingPool::Take(std::int64_t nowMs) noexcept {
    int chosen = 0;
    for (int slot = 0; slot < kRingWindows; ++slot) {
        if (!Alive(slot, nowMs)) {
            chosen = slot;
            break;
        }
        if (starts_[static_cast<size_t>(slot)] < starts_[static_cast<size_t>(chosen)]) chosen = slot;
    }
    starts_[static_cast<size_t>(chosen)] = nowMs;
    used_[static_cast<size_t>(chosen)] = true;
    return chosen;
}

bool RingPool::Alive(int slot, std::int64_t nowMs) const noexcept {
    return used_[static_cast<size_t>(slot)] && nowMs - starts_[static_cast<size_t>(slot)] < kRingLifeMs;
}

bool RingPool::AnyAlive(std::int64_t nowMs) const noexcept {
    for (int slot = 0; slot < kRingWindows; ++slot)
        if (Alive(slot, nowMs)) return true;
    return false;
}

}  // namespace trail
