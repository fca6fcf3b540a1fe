// The platform-free core of the hotkey entry field: the entry state machine run on the captured
// key messages, the modifier encodings and the display text. The window class supplies the key
// names, the hook and the repaint.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hotkey {

// Control encoding (HOTKEYF_*), plus a Win bit the common control does not have.
inline constexpr std::uint16_t kFlagShift = 0x01, kFlagControl = 0x02, kFlagAlt = 0x04, kFlagExt = 0x08,
                               kFlagWin = 0x10;
// System encoding (MOD_*), as stored in the settings and passed to RegisterHotKey.
inline constexpr std::uint16_t kModAlt = 0x0001, kModControl = 0x0002, kModShift = 0x0004, kModWin = 0x0008;
inline constexpr std::uint32_t kModNoRepeat = 0x4000;

// The modifiers to register a stored hotkey with: held down, a combination
// toggles once and not with every auto-repeat (MOD_NOREPEAT, from Windows 7
// on: "RegisterHotKey function", Microsoft Docs). What is stored never
// carries the bit.
constexpr std::uint32_t RegistrationModifiers(std::int32_t stored) noexcept {
    return static_cast<std::uint32_t>(stored) | kModNoRepeat;
}

// Virtual-key codes the entry logic and the caller need.
inline constexpr std::uint16_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12;
inline constexpr std::uint16_t kVkLWin = 0x5B, kVkRWin = 0x5C, kVkApps = 0x5D;
inline constexpr std::uint16_t kVkLShift = 0xA0, kVkRShift = 0xA1, kVkLControl = 0xA2, kVkRControl = 0xA3,
                               kVkLMenu = 0xA4, kVkRMenu = 0xA5;

// Private messages the hook posts to the field: a key pressed, a key released
// (WM_USER + WM_KEYDOWN and WM_USER + WM_KEYUP).
inline constexpr std::uint32_t kMsgKeyPressed = 0x400 + 0x100, kMsgKeyReleased = 0x400 + 0x101;

std::uint16_t ModifiersToHotKeyFlags(std::uint32_t systemModifiers) noexcept;
std::uint16_t HotKeyFlagsToModifiers(std::uint16_t flags) noexcept;

// The control-encoding bit a virtual-key code stands for; 0 for a non-modifier key.
std::uint16_t ModifierBitOf(std::uint16_t vk) noexcept;

// The combination-class bit of a held-modifier set (0 for sets that cannot occur).
std::uint16_t CombinationClassOf(std::uint16_t held) noexcept;

struct HotKeyEntry {
    std::uint16_t keyCode = 0;
    std::uint16_t modifierFlags = 0;
    std::uint16_t heldKey = 0;
    std::uint16_t heldModifiers = 0;
    std::uint8_t restartEntry = 0;
    std::uint16_t ruleMask = 0;
    std::uint16_t ruleReplacement = 0;

    // Keys pressed before the hook existed were never seen, so nothing counts as held.
    void BeginCapture() noexcept;
    // One captured key message; the caller repaints afterwards.
    void OnKeyEvent(bool pressed, std::uint16_t vk) noexcept;
    std::uint16_t ApplyRules(std::uint16_t held) const noexcept;
};

// The text shown in the field. The modifier names come from the keyboard layout, so they are
// passed in; the order is fixed and never depends on the order of the presses.
std::wstring ComposeHotKeyText(std::uint16_t keyCode, std::uint16_t flags, std::wstring_view ctrlName,
                               std::wstring_view shiftName, std::wstring_view altName, std::wstring_view keyName);

}  // namespace hotkey
