#include "trail/shake.h"

#include <cstdlib>

namespace trail {

void ShakeRecogniser::Reset() noexcept {
    count_ = 0;
    next_ = 0;
}

bool ShakeRecogniser::Add(Point at, bool buttonsHeld, int dpi) noexcept {
    points_[static_cast<std::size_t>(next_)] = at;
    buttons_[static_cast<std::size_t>(next_)] = buttonsHeld;
    next_ = (next_ + 1) % kShakeSamples;
    if (count_ < kShakeSamples) ++count_;
    if (pause_ > 0) {
        --pause_;
        return false;
    }
    if (!Recognised(dpi)) return false;
    // The samples of this shake cannot start another.
    Reset();
    pause_ = kPauseSamples;
    return true;
}

bool ShakeRecogniser::Recognised(int dpi) const noexcept {
    if (count_ < 2) return false;
    const int first = (next_ - count_ + kShakeSamples) % kShakeSamples;
    const auto at = [&](int i) { return points_[static_cast<std::size_t>((first + i) % kShakeSamples)]; };
    for (int i = 0; i < count_; ++i)
        if (buttons_[static_cast<std::size_t>((first + i) % kShakeSamples)]) return false;  // a drag, a slider
    const int swing = kSwingPoints * dpi / 72;
    // A step shorter than this keeps the direction: a hand's tremor, or a
    // sample that fell at the turn of a swing.
    const int still = 2 * dpi / 96;
    long horizontal = 0;
    long vertical = 0;
    int direction = 0;      // of the swing under way: -1 left, 1 right, 0 none yet
    int length = 0;         // how far it has gone
    bool lastLong = false;  // whether the swing before it was long
    int reversals = 0;      // turns between two long swings
    const auto swingEnds = [&] {
        const bool isLong = length >= swing;
        if (isLong && lastLong) ++reversals;
        lastLong = isLong;
    };
    for (int i = 1; i < count_; ++i) {
        const int dx = at(i).x - at(i - 1).x;
        const int dy = at(i).y - at(i - 1).y;
        horizontal += std::abs(dx);
        vertical += std::abs(dy);
        if (std::abs(dx) < still) continue;
        const int way = dx > 0 ? 1 : -1;
        if (way != direction) {
            if (direction != 0) swingEnds();
            direction = way;
            length = 0;
        }
        length += std::abs(dx);
    }
    if (direction != 0) swingEnds();
    const long net = std::abs(at(count_ - 1).x - at(0).x) + std::abs(at(count_ - 1).y - at(0).y);
    return reversals >= kReversals && horizontal + vertical >= kPathOverNet * net &&
           vertical * 100 <= kVerticalPercent * horizontal;
}

}  // namespace trail
