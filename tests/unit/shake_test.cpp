// Shake to find, on recorded kinds of pointer paths: each sampled every 50 ms
// as the program samples it, at several phases of the sampling.
#include "trail/shake.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

constexpr double kPi = 3.14159265358979;

// The finds over `seconds` of the path `at(t)` (t in seconds), sampled from `offset`.
int Finds(const std::function<trail::Point(double)>& at, double seconds, double offset, bool held = false, int dpi = 96,
          double* firstAt = nullptr) {
    trail::ShakeRecogniser shake;
    int finds = 0;
    for (int i = 0; i * 0.05 < seconds; ++i) {
        if (shake.Add(at(i * 0.05 + offset), held, dpi) && finds++ == 0 && firstAt) *firstAt = i * 0.05;
    }
    return finds;
}

std::function<trail::Point(double)> Swings(double hertz, double amplitude, double drift = 0, double tilt = 0) {
    return [=](double t) {
        const double s = std::sin(2 * kPi * hertz * t);
        return trail::Point{static_cast<int>(std::lround(640 + amplitude * s + drift * t)),
                            static_cast<int>(std::lround(500 + tilt * amplitude * s))};
    };
}

std::function<trail::Point(double)> Circle(double turns, double radius) {
    return [=](double t) {
        const double a = 2 * kPi * turns * t;
        return trail::Point{static_cast<int>(std::lround(640 + radius * std::cos(a))),
                            static_cast<int>(std::lround(500 + radius * std::sin(a)))};
    };
}

TEST(Shake, ThreeToFiveSwingsASecondFindThePointerAtEveryPhaseOfTheSampling) {
    for (const double hertz : {3.0, 4.0, 5.0}) {
        for (const double offset : {0.0, 0.0125, 0.025, 0.0375, 0.01}) {
            const auto name = testing::Message() << hertz << " Hz from " << offset << " s";
            double first = 0;
            // Within 1.5 s, and once more after the pause while it goes on.
            EXPECT_EQ(Finds(Swings(hertz, 60), 3.0, offset, false, 96, &first), 2) << name;
            EXPECT_LE(first, 1.5) << name;
            // Tilted a little and wandering on, at a higher DPI with its larger swings.
            EXPECT_GE(Finds(Swings(hertz, 90, 150, 0.3), 2.0, offset, false, 144), 1) << name;
            // A drag, or a slider scrubbed: a button is held.
            EXPECT_EQ(Finds(Swings(hertz, 60), 3.0, offset, true), 0) << name;
            // Too small to be meant: swings of 20 px at 96 DPI, of 40 px at 288.
            EXPECT_EQ(Finds(Swings(hertz, 10), 3.0, offset), 0) << name;
            EXPECT_EQ(Finds(Swings(hertz, 20), 3.0, offset, false, 288), 0) << name;
        }
    }
}

TEST(Shake, PathsThatAreNoShakeFindNothing) {
    const struct {
        const char* name;
        std::function<trail::Point(double)> path;
    } cases[] = {
        {"a circle", Circle(1, 150)},
        {"a fast small circle", Circle(4, 40)},
        {"a fast large circle", Circle(3, 120)},
        {"a zigzag drawn slowly", Swings(1.5, 200, 0, 0.0)},
        {"a zigzag drawn down the screen",
         [](double t) {
             const double phase = std::fmod(t * 2, 1.0);
             return trail::Point{static_cast<int>(640 + 300 * std::fabs(2 * phase - 1)),
                                 static_cast<int>(100 + 200 * t)};
         }},
        {"a fast flick and back",
         [](double t) {
             const double x = t < 0.2 ? 6000 * t : t < 1.0 ? 1200 : t < 1.2 ? 1200 - 6000 * (t - 1.0) : 0;
             return trail::Point{static_cast<int>(x), 400};
         }},
        {"a tremor",
         [](double t) {
             return trail::Point{640 + static_cast<int>(t * 1000) % 7 - 3, 500 + static_cast<int>(t * 700) % 5 - 2};
         }},
        {"a scribble across the screen", Swings(4, 60, 500)},
        {"up and down",
         [](double t) {
             return trail::Point{640, static_cast<int>(500 + 80 * std::sin(2 * kPi * 4 * t))};
         }},
    };
    for (const auto& c : cases)
        for (const double offset : {0.0, 0.025})
            EXPECT_EQ(Finds(c.path, 4.0, offset), 0) << c.name << " from " << offset << " s";
}

}  // namespace
