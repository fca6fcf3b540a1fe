// Rings that show where a mouse button was pressed: which button a raw mouse
// report presses, how a ring grows and fades, its pixels, and which of a few
// windows shows the next one; and what shows where the pointer is: the halo
// around it and the rings that close on it after a shake. Plain arithmetic,
// built and tested natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace trail {

enum class RingButton : std::uint8_t { Left, Right, Middle };

// The buttons a raw mouse report presses (RAWMOUSE's usButtonFlags), as the
// user knows them: with the buttons swapped in Windows the physical right
// button is the primary one, and its ring is the "left" one.
struct Presses {
    bool left = false;
    bool right = false;
    bool middle = false;
    bool any() const noexcept { return left || right || middle; }
};
Presses PressesFrom(std::uint16_t buttonFlags, bool swapped) noexcept;

// How long a ring lives, how long it grows, and how large it ends, in points across.
inline constexpr int kRingLifeMs = 500;
inline constexpr int kRingGrowthMs = 200;
inline constexpr int kRingPoints = 24;

struct RingLook {
    float radius = 0;  // pixels, to the middle of the ring's stroke
    float width = 0;   // pixels
    std::uint8_t alpha = 0;
    bool alive = false;
};
// The ring `ageMs` after the press, at `dpi`: it grows from a quarter of its
// size to the whole, slowing as it ends, and fades out over its life.
RingLook RingAt(int ageMs, int dpi) noexcept;
// The side of the square image that holds a ring at its largest, at `dpi`.
int RingImageSide(int dpi) noexcept;

// Draws a smooth-edged ring of colour `rgb` (0x00RRGGBB) and `alpha` over
// premultiplied 32-bit pixels (0xAARRGGBB), centred in the image; a second
// ring may go inside the first.
void DrawRing(std::uint32_t* pixels, int side, float radius, float width, std::uint32_t rgb,
              std::uint8_t alpha) noexcept;

// The halo: a soft disc about 40 points across around the pointer.
inline constexpr int kHaloPoints = 40;
// The side of its square image at `dpi`.
int HaloImageSide(int dpi) noexcept;
// The halo in colour `rgb` over a cleared image: never denser than 40 % at
// its rim and a little lighter within, both scaled by `opacityPercent`;
// smooth-edged.
void DrawHalo(std::uint32_t* pixels, int side, std::uint32_t rgb, int opacityPercent) noexcept;

// The rings that close on the pointer after a shake: two, one within the
// other, the outer from `startPx` across to nothing within kFindLifeMs.
inline constexpr int kFindLifeMs = 600;
struct FindLook {
    float outer = 0;  // radii in pixels, to the middle of each stroke; 0: not shown
    float inner = 0;
    float width = 0;
    std::uint8_t alpha = 0;
    bool alive = false;
};
FindLook FindRingsAt(int ageMs, int startPx, int dpi) noexcept;
// The side of the square image that holds them at their largest.
int FindImageSide(int startPx, int dpi) noexcept;

// The windows the rings are shown in: a press takes one whose ring has ended,
// else the one whose ring is oldest.
inline constexpr int kRingWindows = 4;
class RingPool {
public:
    // The window for a ring pressed at `nowMs`, which is now its own.
    int Take(std::int64_t nowMs) noexcept;
    bool Alive(int slot, std::int64_t nowMs) const noexcept;
    bool AnyAlive(std::int64_t nowMs) const noexcept;
    std::int64_t Start(int slot) const noexcept { return starts_[static_cast<std::size_t>(slot)]; }

private:
    std::array<std::int64_t, kRingWindows> starts_{};
    std::array<bool, kRingWindows> used_{};
};

}  // namespace trail
