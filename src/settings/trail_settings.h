// The persisted settings, their file keys and their mapping to the drawing style.
#pragma once

#include <array>
#include <cstdint>

#include "trail/trail_style.h"

namespace settings {

struct TrailSettings {
    std::int32_t drawMode = 2;         // 0 points and lines, 1 points only, 2 lines only
    std::int32_t lineColorIndex = 0;   // red
    std::int32_t pointColorIndex = 3;  // yellow
    std::int32_t lineWidthIndex = 1;   // 5 points
    std::int32_t pointWidthIndex = 1;  // 5 points
    std::int32_t opacityPercent = 70;
    std::int32_t lineKind = 0;  // 0 curve, 2 tapered curve, anything else straight
    std::int32_t hotkeyEnabled = 0;
    std::int32_t hotkeyKey = 52;       // '4'
    std::int32_t hotkeyModifiers = 1;  // MOD_ALT
    std::int32_t fade = 0;             // any value but 0 is on
    std::int32_t clicks = 0;           // rings at mouse presses; any value but 0 is on
    std::int32_t halo = 0;             // a halo around the pointer; any value but 0 is on
    std::int32_t shake = 0;            // a shake of the mouse shows the pointer; any value but 0 is on
    friend constexpr bool operator==(const TrailSettings&, const TrailSettings&) = default;
};

inline constexpr wchar_t kSection[] = L"SYSTEM";
inline constexpr wchar_t kFileName[] = L"Vireon.ini";

struct SettingKey {
    const wchar_t* name;
    std::int32_t TrailSettings::*field;
};

// File order, which is also the order of reads and writes. FADE, CLICKS,
// HALO and SHAKE came after the first ten: a reader that knows only those
// leaves them alone.
inline constexpr std::array<SettingKey, 14> kSettingKeys{{
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
}};

// Derives every style field; an out-of-range index leaves its field as it was.
void ApplyToStyle(const TrailSettings& settings, trail::TrailStyle& style) noexcept;

}  // namespace settings
