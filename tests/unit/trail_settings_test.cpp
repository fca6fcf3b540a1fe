#include "settings/trail_settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string_view>
#include <utility>

using settings::TrailSettings;
using trail::TrailStyle;

namespace {

constexpr std::uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kYellow = 0x00FFFF, kBlack = 0;

void ExpectStyle(const TrailStyle& s, const TrailStyle& want, const char* name) {
    EXPECT_EQ(s.drawLines, want.drawLines) << name;
    EXPECT_EQ(s.drawPoints, want.drawPoints) << name;
    EXPECT_EQ(s.lineWidthPt, want.lineWidthPt) << name;
    EXPECT_EQ(s.pointWidthPt, want.pointWidthPt) << name;
    EXPECT_EQ(s.lineColor, want.lineColor) << name;
    EXPECT_EQ(s.pointColor, want.pointColor) << name;
    EXPECT_EQ(s.opacityPercent, want.opacityPercent) << name;
    EXPECT_EQ(s.straightLines, want.straightLines) << name;
    EXPECT_EQ(s.taperedCurve, want.taperedCurve) << name;
    EXPECT_EQ(s.fade, want.fade) << name;
}

TEST(TrailSettings, ApplyToStyleFromInitialStyle) {
    struct {
        const char* name;
        TrailSettings in;
        TrailStyle want;
    } const cases[] = {
        {"defaults", {}, {1, 0, 5, 5, kRed, kYellow, 70, 0}},
        {"both, tapered, fading", {0, 2, 4, 0, 2, 150, 2, 0, 52, 1, 1}, {1, 1, 2, 10, kBlue, kBlack, 150, 0, 1, 1}},
        {"straight, fading by a hand-edited 5",
         {0, 2, 4, 0, 2, 150, 1, 0, 52, 1, 5},
         {1, 1, 2, 10, kBlue, kBlack, 150, 1, 0, 1}},
        {"a kind of a later version", {0, 2, 4, 0, 2, 150, 3}, {1, 1, 2, 10, kBlue, kBlack, 150, 3, 0}},
        {"points only", {1, 1, 0, 2, 0, -5, -1}, {0, 1, 10, 2, kGreen, kRed, -5, -1}},
        {"out of range", {5, 5, -1, 3, -1, 70, 0}, {1, 1, 5, 5, kRed, kYellow, 70, 0}},
    };
    for (const auto& c : cases) {
        TrailStyle s;
        settings::ApplyToStyle(c.in, s);
        ExpectStyle(s, c.want, c.name);
    }
}

TEST(TrailSettings, OutOfRangeIndexKeepsTheEarlierMapping) {
    TrailStyle s;
    settings::ApplyToStyle({1, 2, 2, 2, 0, 70, 0}, s);
    settings::ApplyToStyle({7, 7, 9, 3, 3, 70, 0}, s);
    ExpectStyle(s, {0, 1, 10, 2, kBlue, kBlue, 70, 0}, "after index 7");
}

TEST(TrailSettings, AlphaFromOpacity) {
    const std::pair<int, int> cases[] = {{0, 0},     {1, 2},     {50, 127}, {70, 178},      {99, 252},
                                         {100, 255}, {101, 255}, {-10, 0},  {INT_MAX, 255}, {INT_MIN, 0}};
    for (auto [in, want] : cases) EXPECT_EQ(int{trail::AlphaFromOpacity(in)}, want) << in;
}

TEST(TrailSettings, FileKeysKeepTheirOrder) {
    const std::pair<std::wstring_view, std::int32_t TrailSettings::*> want[] = {
        {L"DRAWMODE", &TrailSettings::drawMode},
        {L"LINECOLOR", &TrailSettings::lineColorIndex},
        {L"POINTCOLOR", &TrailSettings::pointColorIndex},
        {L"LINEPOINT", &TrailSettings::lineWidthIndex},
        {L"POINTPOINT", &TrailSettings::pointWidthIndex},
        {L"TRANSPARENT", &TrailSettings::opacityPercent},
        {L"LINEKIND", &TrailSettings::lineKind},
        {L"QVHTOKEYFLAG", &TrailSettings::hotkeyEnabled},
        {L"QVHOTKEY", &TrailSettings::hotkeyKey},
        {L"QVMODIFIERS", &TrailSettings::hotkeyModifiers},
        {L"FADE", &TrailSettings::fade},
        {L"CLICKS", &TrailSettings::clicks},
        {L"HALO", &TrailSettings::halo},
        {L"SHAKE", &TrailSettings::shake},
    };
    ASSERT_EQ(settings::kSettingKeys.size(), std::size(want));
    for (std::size_t i = 0; i < settings::kSettingKeys.size(); ++i) {
        EXPECT_TRUE(settings::kSettingKeys[i].name == want[i].first) << i;
        EXPECT_TRUE(settings::kSettingKeys[i].field == want[i].second) << i;
    }
}

}  // namespace
