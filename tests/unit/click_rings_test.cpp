// The click rings' arithmetic: which buttons a report presses, a ring's life,
// its pixels, and which window the next ring takes.
#include "trail/click_rings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ClickRings, ReportsPressTheButtonsAsTheUserKnowsThem) {
    // Down flags 0x1 left, 0x4 right, 0x10 middle; ups and the wheel press nothing.
    const struct {
        std::uint16_t flags;
        bool swapped, left, right, middle;
    } cases[] = {{0x0001, false, true, false, false},  {0x0004, false, false, true, false},
                 {0x0010, false, false, false, true},  {0x0001, true, false, true, false},
                 {0x0004, true, true, false, false},   {0x002A, false, false, false, false},
                 {0x0400, false, false, false, false}, {0x0011, false, true, false, true}};
    for (const auto& c : cases) {
        const trail::Presses p = trail::PressesFrom(c.flags, c.swapped);
        EXPECT_EQ(std::vector<bool>({p.left, p.right, p.middle, p.any()}),
                  std::vector<bool>({c.left, c.right, c.middle, c.left || c.right || c.middle}))
            << c.flags << " " << c.swapped;
    }
}

TEST(ClickRings, ARingGrowsToTwentyFourPointsAcrossThenOnlyFadesAndEndsAtHalfASecond) {
    trail::RingLook last = trail::RingAt(0, 96);
    EXPECT_TRUE(last.alive && last.alpha == 255);
    for (int age = 10; age < trail::kRingLifeMs; age += 10) {
        const trail::RingLook look = trail::RingAt(age, 96);
        ASSERT_TRUE(look.alive) << age;
        EXPECT_TRUE(look.radius >= last.radius && look.alpha < last.alpha) << age;
        last = look;
    }
    EXPECT_NEAR(2 * last.radius + last.width, 32.0, 0.5);  // 24 points at 96 DPI
    EXPECT_LT(trail::RingAt(0, 96).radius, last.radius / 3);
    EXPECT_FALSE(trail::RingAt(trail::kRingLifeMs, 96).alive || trail::RingAt(-1, 96).alive);
    const trail::RingLook large = trail::RingAt(300, 144);
    EXPECT_NEAR(large.radius, 1.5 * trail::RingAt(300, 96).radius, 0.01);
    EXPECT_GE(trail::RingImageSide(144), 2 * large.radius + large.width + 2);
}

TEST(ClickRings, TheRingIsSmoothEdgedPremultipliedAndHollow) {
    const int side = trail::RingImageSide(96);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(side) * side, 0);
    const trail::RingLook look = trail::RingAt(300, 96);
    trail::DrawRing(pixels.data(), side, look.radius, look.width, 0xFF0000, 128);
    const auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * side + x]; };
    const int middle = side / 2;
    EXPECT_EQ(at(middle + static_cast<int>(look.radius), middle), 0x80800000u);  // red at alpha 128, premultiplied
    EXPECT_EQ(at(middle, middle), 0u);                                           // hollow
    EXPECT_EQ(at(0, 0), 0u);                                                     // nothing outside
    bool partial = false;                                                        // some edge pixel only partly covered
    for (std::uint32_t p : pixels) partial = partial || ((p >> 24) > 0 && (p >> 24) < 128);
    EXPECT_TRUE(partial);
}

TEST(ClickRings, APressTakesAWindowWhoseRingEndedElseTheOldest) {
    trail::RingPool pool;
    EXPECT_FALSE(pool.AnyAlive(0));
    std::vector<int> taken(trail::kRingWindows + 2);
    for (int i = 0; i < trail::kRingWindows + 2; ++i) taken[static_cast<size_t>(i)] = pool.Take(100 + i);
    EXPECT_EQ(taken, (std::vector<int>{0, 1, 2, 3, 0, 1})) << "all alive: the oldest";
    EXPECT_FALSE(pool.Alive(2, 102 + trail::kRingLifeMs));
    EXPECT_EQ(pool.Take(102 + trail::kRingLifeMs), 2) << "ended: taken again first";
    EXPECT_FALSE(pool.AnyAlive(200 + 2 * trail::kRingLifeMs));
}

TEST(ClickRings, AfterAShakeTwoRingsCloseFromTheirStartToThePointerAndFade) {
    trail::FindLook last = trail::FindRingsAt(0, 200, 96);
    EXPECT_TRUE(last.alive && last.alpha == 255);
    EXPECT_NEAR(2 * last.outer + last.width, 200.0, 0.5);
    for (int age = 16; age < trail::kFindLifeMs; age += 16) {
        const trail::FindLook look = trail::FindRingsAt(age, 200, 96);
        ASSERT_TRUE(look.alive) << age;
        EXPECT_TRUE(look.outer < last.outer && look.inner < look.outer && look.alpha <= last.alpha) << age;
        last = look;
    }
    EXPECT_LT(last.outer, last.width) << "at the pointer by the end";
    EXPECT_LT(last.alpha, 64);
    EXPECT_FALSE(trail::FindRingsAt(trail::kFindLifeMs, 200, 96).alive || trail::FindRingsAt(-1, 200, 96).alive);
    EXPECT_GE(trail::FindImageSide(200, 144),
              2 * trail::FindRingsAt(0, 200, 144).outer + trail::FindRingsAt(0, 200, 144).width);
}

}  // namespace
