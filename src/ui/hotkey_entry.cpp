#include "ui/hotkey_entry.h"

namespace hotkey {

std::uint16_t ModifiersToHotKeyFlags(std::uint32_t systemModifiers) noexcept {
    const auto m = static_cast<std::uint16_t>(systemModifiers & 0xFFFFu);
    std::uint16_t flags = 0;
    if (m & kModAlt) flags |= kFlagAlt;
    if (m & kModControl) flags |= kFlagControl;
    if (m & kModShift) flags |= kFlagShift;
    if (m & kModWin) flags |= kFlagWin;
    return flags;
}

std::uint16_t HotKeyFlagsToModifiers(std::uint16_t flags) noexcept {
    std::uint16_t mods = 0;
    if (flags & kFlagAlt) mods |= kModAlt;
    if (flags & kFlagControl) mods |= kModControl;
    if (flags & kFlagShift) mods |= kModShift;
    if (flags & kFlagWin) mods |= kModWin;
    return mods;
}

std::uint16_t ModifierBitOf(std::uint16_t vk) noexcept {
    switch (vk) {
    case kVkShift:
    case kVkLShift:
    case kVkRShift: return kFlagShift;
    case kVkControl:
    case kVkLControl:
    case kVkRControl: return kFlagControl;
    case kVkMenu:
    case kVkLMenu:
    case kVkRMenu: return kFlagAlt;
    // The Applications key sits beside the Win keys and is treated as one of them.
    case kVkLWin:
    case kVkRWin:
    case kVkApps: return kFlagWin;
    default: return 0;
    }
}

std::uint16_t CombinationClassOf(std::uint16_t held) noexcept {
    // Rows follow the common control's HKCOMB_* values, where Shift+Ctrl and Alt are out of index
    // order; the Win rows repeat them shifted left by 8.
    static constexpr std::uint16_t kBase[8] = {0x0001, 0x0002, 0x0004, 0x0010, 0x0008, 0x0020, 0x0040, 0x0080};
    if (held < 0x08) return kBase[held];
    if (held >= 0x10 && held <= 0x17) return static_cast<std::uint16_t>(kBase[held - 0x10] << 8);
    return 0;
}

void HotKeyEntry::BeginCapture() noexcept {
    heldKey = 0;
    heldModifiers = 0;
}

std::uint16_t HotKeyEntry::ApplyRules(std::uint16_t held) const noexcept {
    return (CombinationClassOf(held) & ruleMask) != 0 ? ruleReplacement : held;
}

void HotKeyEntry::OnKeyEvent(bool pressed, std::uint16_t vk) noexcept {
    if (const std::uint16_t bit = ModifierBitOf(vk)) {
        // Left and right keys share one bit, so releasing either one clears it.
        if (pressed)
            heldModifiers = static_cast<std::uint16_t>(heldModifiers | bit);
        else
            heldModifiers = static_cast<std::uint16_t>(heldModifiers & ~bit);
    } else if (pressed) {
        heldKey = vk;
    } else if (heldKey == vk) {
        heldKey = 0;
    }

    const std::uint16_t effective = (heldKey == 0 && heldModifiers == 0) ? 0 : ApplyRules(heldModifiers);

    if (restartEntry) {
        keyCode = 0;
        modifierFlags = 0;
        restartEntry = 0;
    }

    if (heldKey != 0) {
        keyCode = heldKey;
        modifierFlags = effective;
    } else if (keyCode == 0) {
        modifierFlags = effective;
    }
    // Otherwise a key was entered and released: the entry keeps the modifiers it had with it.

    if (heldKey == 0 && heldModifiers == 0) restartEntry = 1;
}

std::wstring ComposeHotKeyText(std::uint16_t keyCode, std::uint16_t flags, std::wstring_view ctrlName,
                               std::wstring_view shiftName, std::wstring_view altName, std::wstring_view keyName) {
    std::wstring text;
    if (keyCode == 0 && flags == 0) return text;
    constexpr std::wstring_view kSeparator = L" + ";
    const auto part = [&](std::wstring_view name) {
        text += name;
        text += kSeparator;
    };
    if (flags & kFlagControl) part(ctrlName);
    if (flags & kFlagShift) part(shiftName);
    if (flags & kFlagAlt) part(altName);
    if (flags & kFlagWin) part(L"Win");
    text += keyName;
    return text;
}

}  // namespace hotkey
