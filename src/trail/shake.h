// Shake to find: a quick side-to-side shake of the mouse, recognised from the
// pointer's 50 ms samples. Plain arithmetic, built and tested natively.
#pragma once

#include <array>

#include "trail/trail_geometry.h"

namespace trail {

// The samples a shake is looked for in: a second of them.
inline constexpr int kShakeSamples = 21;

class ShakeRecogniser {
public:
    // One sample: where the pointer is, whether any mouse button is held, and
    // the DPI of the monitor under it. True when it completes a shake; then
    // none is recognised again until a pause has passed.
    bool Add(Point at, bool buttonsHeld, int dpi) noexcept;
    // Forgets every sample (the pointer could not be read, the feature was off).
    void Reset() noexcept;

    // Firm rules, in the samples of the last second:
    // at least this many reversals of horizontal direction between swings...
    static constexpr int kReversals = 5;
    // ...each swing this long, in points, at least...
    static constexpr int kSwingPoints = 24;
    // ...a path this many times the net distance at least...
    static constexpr int kPathOverNet = 3;
    // ...vertical motion at most this share of the horizontal, in percent...
    static constexpr int kVerticalPercent = 50;
    // ...and no button held at any of them. After a shake, this many samples
    // pass before the next can be recognised.
    static constexpr int kPauseSamples = 30;

private:
    bool Recognised(int dpi) const noexcept;

    std::array<Point, kShakeSamples> points_{};
    std::array<bool, kShakeSamples> buttons_{};
    int count_ = 0;  // samples held, up to kShakeSamples
    int next_ = 0;   // where the next one goes
    int pause_ = 0;
};

}  // namespace trail
