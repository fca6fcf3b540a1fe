#include "ui/hotkey_ex_ctrl.h"

#include <commctrl.h>

#include <bitset>

#include "win/gdi.h"
#include "win/growing_text.h"
#include "win/handle.h"

namespace {

// One field captures at a time; both are touched only on the GUI thread,
// which is also the thread the system calls the hook on.
win::Hook hook;
HWND targetWindow = nullptr;
// The keys whose press this hook swallowed. Only their releases are swallowed
// too: the release of a key that went down before the hook (the Shift of
// Shift+Tab into the field, a modifier held while clicking into it) must reach
// the system, or the key stays down in its key state.
std::bitset<256> swallowedPresses;
// The keys the system held down when the hook came. The keyboard repeats a
// held key as further presses without releases, and those repeats must not
// count as presses the hook swallowed: the one release still belongs to the
// system.
std::bitset<256> heldBeforeHook;

constexpr UINT_PTR kSubclassId = 1;

// A virtual key no keyboard has ("Virtual-Key Codes": 0xE8 is unassigned).
constexpr WORD kMaskKey = 0xE8;

// Windows opens the Start menu when Win goes up with no other key between its
// press and its release. Keys typed into the field while a Win held from
// before is down never reach the system, so its release would arrive alone: a
// harmless key goes between, as input tools mask Win.
void MaskWinKey() noexcept {
    INPUT keys[2]{};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = kMaskKey;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof keys[0]);
}

void RemoveHook() noexcept {
    hook.reset();
    swallowedPresses.reset();
    heldBeforeHook.reset();
    targetWindow = nullptr;
}

void NoteKeysHeldNow() noexcept {
    heldBeforeHook.reset();
    for (int vk = 1; vk < 256; ++vk)
        if (::GetAsyncKeyState(vk) & 0x8000) heldBeforeHook.set(static_cast<size_t>(vk));
}

// Posts every key press and release to the field that has the focus and
// swallows the presses and their releases; nothing else happens here, and
// nothing may escape into the system's input thread.
LRESULT CALLBACK CaptureHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code != HC_ACTION) return ::CallNextHookEx(hook.get(), code, wParam, lParam);
    const bool pressed = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
    if (!pressed && wParam != WM_KEYUP && wParam != WM_SYSKEYUP)
        return ::CallNextHookEx(hook.get(), code, wParam, lParam);
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (key->vkCode == kMaskKey && (key->flags & LLKHF_INJECTED))
        return ::CallNextHookEx(hook.get(), code, wParam, lParam);
    ::PostMessageW(targetWindow, pressed ? hotkey::kMsgKeyPressed : hotkey::kMsgKeyReleased, key->vkCode, 0);
    const size_t vk = key->vkCode & 0xFF;
    if (pressed) {
        if (!heldBeforeHook.test(vk)) swallowedPresses.set(vk);
        return 1;
    }
    heldBeforeHook.reset(vk);
    if (!swallowedPresses.test(vk)) return ::CallNextHookEx(hook.get(), code, wParam, lParam);
    swallowedPresses.reset(vk);
    return 1;
}

}  // namespace

std::wstring GetKeyNameString(UINT virtualKey, bool extended) {
    const UINT scan = ::MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    const LONG parameter = static_cast<LONG>((scan << 16) | (extended ? (1u << 24) : 0u));
    return win::GrowingText([parameter](wchar_t* buffer, size_t capacity) {
        return ::GetKeyNameTextW(parameter, buffer, static_cast<int>(capacity));
    });
}

CHotKeyExCtrl::~CHotKeyExCtrl() { Detach(); }

bool CHotKeyExCtrl::HookInstalled() noexcept { return static_cast<bool>(hook); }

void CHotKeyExCtrl::Attach(HWND control) {
    if (hwnd_ || !control) return;
    if (::SetWindowSubclass(control, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) hwnd_ = control;
}

void CHotKeyExCtrl::Detach() noexcept {
    if (!hwnd_) return;
    // A field that goes away while capturing must not leave the hook behind.
    if (targetWindow == hwnd_) RemoveHook();
    ::RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
    hwnd_ = nullptr;
}

LRESULT CALLBACK CHotKeyExCtrl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) {
    try {
        return reinterpret_cast<CHotKeyExCtrl*>(self)->WindowProc(message, wParam, lParam);
    } catch (...) {
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

LRESULT CHotKeyExCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS: {
        const LRESULT result = ::DefSubclassProc(hwnd_, message, wParam, lParam);
        OnSetFocus();
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = ::DefSubclassProc(hwnd_, message, wParam, lParam);
        OnKillFocus();
        return result;
    }
    case WM_PAINT: OnPaint(); return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // A release the hook let through has already been posted to the field;
        // the control's own handling (an Alt release opening the menu) must not follow.
        if (HookInstalled()) return 0;
        return ::DefSubclassProc(hwnd_, message, wParam, lParam);
    case hotkey::kMsgKeyPressed:
    case hotkey::kMsgKeyReleased:
        entry.OnKeyEvent(message == hotkey::kMsgKeyPressed, static_cast<std::uint16_t>(wParam));
        Redraw();
        return 0;
    case WM_NCDESTROY: {
        const HWND window = hwnd_;
        Detach();
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    default: return ::DefSubclassProc(hwnd_, message, wParam, lParam);
    }
}

void CHotKeyExCtrl::OnSetFocus() {
    if (hook) return;
    entry.BeginCapture();
    targetWindow = hwnd_;
    NoteKeysHeldNow();
    if (heldBeforeHook.test(VK_LWIN) || heldBeforeHook.test(VK_RWIN)) MaskWinKey();
    hook.reset(::SetWindowsHookExW(WH_KEYBOARD_LL, CaptureHookProc, ::GetModuleHandleW(nullptr), 0));
    if (!hook) targetWindow = nullptr;
}

void CHotKeyExCtrl::OnKillFocus() { RemoveHook(); }

void CHotKeyExCtrl::Redraw() const noexcept {
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

std::wstring CHotKeyExCtrl::GetHotKeyText() const {
    if (entry.keyCode == 0 && entry.modifierFlags == 0) return {};
    return hotkey::ComposeHotKeyText(entry.keyCode, entry.modifierFlags, GetKeyNameString(VK_CONTROL, false),
                                     GetKeyNameString(VK_SHIFT, false), GetKeyNameString(VK_MENU, false),
                                     GetKeyNameString(entry.keyCode, (entry.modifierFlags & HOTKEYF_EXT) != 0));
}

void CHotKeyExCtrl::OnPaint() {
    const win::PaintScope paint(hwnd_);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(::GetParent(hwnd_), WM_GETFONT, 0, 0));
    ::SetBkMode(paint.dc(), TRANSPARENT);
    const win::SelectScope selected(paint.dc(), font);
    const std::wstring text = GetHotKeyText();
    ::TextOutW(paint.dc(), 1, 1, text.c_str(), static_cast<int>(text.size()));
    SIZE extent{};
    ::GetTextExtentPoint32W(paint.dc(), text.c_str(), static_cast<int>(text.size()), &extent);
    ::SetCaretPos(extent.cx + 1, 1);
    ::SetBkMode(paint.dc(), OPAQUE);
}
