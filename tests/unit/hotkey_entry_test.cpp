#include "ui/hotkey_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

namespace {
using namespace hotkey;
constexpr std::uint16_t S = kFlagShift, C = kFlagControl, A = kFlagAlt, W = kFlagWin;
constexpr std::uint16_t kA = 'A', kB = 'B', kX = 'X', kTab = 0x09, kF1 = 0x70;
constexpr bool P = true, R = false;

// Each step is one captured message followed by the entry it must leave behind.
struct Step {
    bool pressed;
    std::uint16_t vk, key, flags, held;
    int restart;
};
struct Scenario {
    const char* name;
    std::uint16_t key, flags, restart, mask, repl;
    std::vector<Step> steps;
};

TEST(HotKeyEntry, KeySequences) {
    const Scenario cases[] = {
        {"ctrl alone", 0, 0, 0, 0, 0, {{P, kVkControl, 0, C, 0, 0}, {R, kVkControl, 0, 0, 0, 1}}},
        {"ctrl+A kept, B starts anew",
         0,
         0,
         0,
         0,
         0,
         {{P, kVkLControl, 0, C, 0, 0},
          {P, kA, kA, C, kA, 0},
          {R, kA, kA, C, 0, 0},
          {R, kVkLControl, kA, C, 0, 1},
          {P, kB, kB, 0, kB, 0},
          {R, kB, kB, 0, 0, 1}}},
        {"shift joins held ctrl+A",
         0,
         0,
         0,
         0,
         0,
         {{P, kVkRControl, 0, C, 0, 0},
          {P, kA, kA, C, kA, 0},
          {P, kVkRShift, kA, S | C, kA, 0},
          {R, kA, kA, S | C, 0, 0},
          {R, kVkRShift, kA, S | C, 0, 0}}},
        {"ctrl released before A",
         0,
         0,
         0,
         0,
         0,
         {{P, kVkControl, 0, C, 0, 0}, {P, kA, kA, C, kA, 0}, {R, kVkControl, kA, 0, kA, 0}, {R, kA, kA, 0, 0, 1}}},
        {"modifiers after the key leave it",
         0,
         0,
         0,
         0,
         0,
         {{P, kVkControl, 0, C, 0, 0},
          {P, kA, kA, C, kA, 0},
          {R, kA, kA, C, 0, 0},
          {P, kVkLMenu, kA, C, 0, 0},
          {R, kVkControl, kA, C, 0, 0},
          {R, kVkMenu, kA, C, 0, 1}}},
        {"A, B, release A",
         0,
         0,
         0,
         0,
         0,
         {{P, kA, kA, 0, kA, 0},
          {P, kB, kB, 0, kB, 0},
          {R, kA, kB, 0, kB, 0},
          {R, kX, kB, 0, kB, 0},
          {R, kB, kB, 0, 0, 1}}},
        {"both ctrl keys share a bit",
         0,
         0,
         0,
         0,
         0,
         {{P, kVkLControl, 0, C, 0, 0},
          {P, kVkRControl, 0, C, 0, 0},
          {R, kVkRControl, 0, 0, 0, 1},
          {P, kA, kA, 0, kA, 0}}},
        {"apps counts as win",
         0,
         0,
         0,
         0,
         0,
         {{P, kVkApps, 0, W, 0, 0}, {P, kX, kX, W, kX, 0}, {R, kX, kX, W, 0, 0}, {R, kVkApps, kX, W, 0, 1}}},
        {"auto-repeat",
         0,
         0,
         0,
         0,
         0,
         {{P, kVkMenu, 0, A, 0, 0},
          {P, kVkMenu, 0, A, 0, 0},
          {P, kA, kA, A, kA, 0},
          {P, kA, kA, A, kA, 0},
          {P, kVkRMenu, kA, A, kA, 0},
          {R, kA, kA, A, 0, 0}}},
        {"loaded entry cleared by tab release", kF1, C | A, 1, 0, 0, {{R, kTab, 0, 0, 0, 1}, {P, kA, kA, 0, kA, 0}}},
        {"rule on ctrl",
         0,
         0,
         0,
         0x0004,
         C | A,
         {{P, kVkControl, 0, C | A, 0, 0},
          {P, kA, kA, C | A, kA, 0},
          {R, kVkControl, kA, 0, kA, 0},
          {P, kVkShift, kA, S, kA, 0}}},
        {"rule on none needs a held key",
         0,
         0,
         0,
         0x0001,
         A,
         {{P, kA, kA, A, kA, 0}, {R, kA, kA, A, 0, 1}, {P, kVkControl, 0, C, 0, 0}, {R, kVkControl, 0, 0, 0, 1}}},
    };
    for (const auto& c : cases) {
        HotKeyEntry e;
        e.keyCode = c.key, e.modifierFlags = c.flags, e.restartEntry = static_cast<std::uint8_t>(c.restart);
        e.ruleMask = c.mask, e.ruleReplacement = c.repl;
        e.BeginCapture();
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            e.OnKeyEvent(s.pressed, s.vk);
            EXPECT_EQ(std::tuple(e.keyCode, e.modifierFlags, e.heldKey, int{e.restartEntry}),
                      std::tuple(s.key, s.flags, s.held, s.restart))
                << c.name << ", step " << i;
        }
    }
}

TEST(HotKeyEntry, ModifierBitOfKeyCodes) {
    // Raw codes on purpose: a mistyped key constant must not be checked against itself.
    struct {
        std::uint16_t vk, bit;
    } const cases[] = {{0x10, S}, {0xA0, S}, {0xA1, S}, {0x11, C}, {0xA2, C},  {0xA3, C}, {0x12, A},
                       {0xA4, A}, {0xA5, A}, {0x5B, W}, {0x5C, W}, {0x5D, W},  {0x00, 0}, {0x13, 0},
                       {0x5A, 0}, {0x5E, 0}, {0x9F, 0}, {0xA6, 0}, {0x0110, 0}};
    for (const auto& c : cases) EXPECT_EQ(ModifierBitOf(c.vk), c.bit) << c.vk;
}

TEST(HotKeyEntry, ApplyRulesClassBits) {
    const std::uint16_t classOf[0x19] = {0x0001, 0x0002, 0x0004, 0x0010, 0x0008, 0x0020, 0x0040, 0x0080, 0,
                                         0,      0,      0,      0,      0,      0,      0,      0x0100, 0x0200,
                                         0x0400, 0x1000, 0x0800, 0x2000, 0x4000, 0x8000, 0};
    for (std::uint16_t held = 0; held < 0x19; ++held) {
        HotKeyEntry e;
        e.ruleReplacement = 0x1234;
        EXPECT_EQ(e.ApplyRules(held), held) << held;
        e.ruleMask = static_cast<std::uint16_t>(~classOf[held]);
        EXPECT_EQ(e.ApplyRules(held), held) << held;
        e.ruleMask = classOf[held];
        EXPECT_EQ(e.ApplyRules(held), classOf[held] ? 0x1234 : held) << held;
    }
}

TEST(HotKeyEntry, ModifierConversions) {
    struct {
        std::uint32_t mods;
        std::uint16_t flags;
    } const toFlags[] = {{0x0001, A},    {0x0002, C}, {0x0004, S},        {0x0008, W},       {0x0003, 0x06},
                         {0x000C, 0x11}, {0x4010, 0}, {0x0001000F, 0x17}, {0xFFFFFFFF, 0x17}};
    for (const auto& c : toFlags) EXPECT_EQ(ModifiersToHotKeyFlags(c.mods), c.flags) << c.mods;
    struct {
        std::uint16_t flags, mods;
    } const toMods[] = {{0x06, 0x0003}, {0x11, 0x000C}, {0x04, kModAlt}, {0x1F, 0x000F}, {kFlagExt, 0}, {0xFFE0, 0}};
    for (const auto& c : toMods) EXPECT_EQ(HotKeyFlagsToModifiers(c.flags), c.mods) << c.flags;
    for (std::uint16_t m = 0; m < 16; ++m) EXPECT_EQ(HotKeyFlagsToModifiers(ModifiersToHotKeyFlags(m)), m);
}

TEST(HotKeyEntry, ComposeText) {
    struct {
        std::uint16_t key, flags;
        std::wstring_view name, want;
    } const cases[] = {{0, 0, L"", L""},
                       {kA, 0, L"A", L"A"},
                       {0, C, L"", L"Strg + "},
                       {kX, W, L"X", L"Win + X"},
                       {kA, W | A | S | C | kFlagExt, L"A", L"Strg + Umschalt + Alt + Win + A"},
                       {0x2D, S | A, L"Num 0", L"Umschalt + Alt + Num 0"}};
    for (const auto& c : cases)
        EXPECT_EQ(ComposeHotKeyText(c.key, c.flags, L"Strg", L"Umschalt", L"Alt", c.name), c.want) << c.flags;
}

}  // namespace
