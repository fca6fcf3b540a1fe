// The hotkey field inside the running settings dialog: what its keyboard
// hook captures, what reaches the system, and that the hook goes with it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include "modal_script.h"
#include "resource.h"
#include "test_support.h"
#include "win/handle.h"

using testing_support::Click;
using testing_support::Fill;
using testing_support::Key;
using testing_support::PumpQueued;
using testing_support::PumpUntil;
using testing_support::RunModal;
using testing_support::Tap;

namespace {

TEST(HotKeyField, CapturesKeysOnlyWhileFocusedIncludingTabEnterAndEsc) {
    CPropatyDlg dialog;
    Fill(dialog);
    const INT_PTR result = RunModal(dialog, [&](HWND d) {
        EXPECT_FALSE(CHotKeyExCtrl::HookInstalled());
        Tap('Q');  // focus on the slider: not captured
        PumpQueued();
        EXPECT_EQ(dialog.hotKeyCtrl.entry.keyCode, '4');

        const HWND field = ::GetDlgItem(d, IDC_HOTKEY);
        ::SetFocus(field);
        EXPECT_TRUE(CHotKeyExCtrl::HookInstalled());
        Key(VK_CONTROL, false);
        Key('H', false);
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == 'H'; }, "Ctrl+H in the field");
        EXPECT_EQ(dialog.hotKeyCtrl.entry.modifierFlags, HOTKEYF_CONTROL);
        EXPECT_EQ(dialog.hotKeyCtrl.GetHotKeyText(),
                  GetKeyNameString(VK_CONTROL, false) + L" + " + GetKeyNameString('H', false));
        Key('H', true);
        Key(VK_CONTROL, true);
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.restartEntry == 1; }, "the entry to end with the releases");

        for (WORD vk : {VK_TAB, VK_RETURN, VK_ESCAPE}) {
            Tap(vk);
            PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == vk; }, "the key in the field");
            EXPECT_EQ(::GetFocus(), field) << vk;
            EXPECT_TRUE(::IsWindow(d)) << vk;
        }

        ::SetFocus(::GetDlgItem(d, IDC_OPACITY));
        EXPECT_FALSE(CHotKeyExCtrl::HookInstalled());
        Tap('Q');
        PumpQueued();
        EXPECT_EQ(dialog.hotKeyCtrl.entry.keyCode, VK_ESCAPE);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// The keys that get past the field's hook to the system: a low-level hook
// installed before the field's is called after it.
struct PassedKeys {
    static inline std::vector<std::pair<DWORD, bool>> keys;  // the key, and whether released
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION)
            keys.emplace_back(reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode,
                              wParam == WM_KEYUP || wParam == WM_SYSKEYUP);
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

TEST(HotKeyField, ReleasesOfKeysPressedBeforeTheFieldReachTheSystem) {
    PassedKeys::keys.clear();
    const win::Hook passed(::SetWindowsHookExW(WH_KEYBOARD_LL, PassedKeys::Hook, ::GetModuleHandleW(nullptr), 0));
    ASSERT_TRUE(passed);
    const auto down = [](int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; };
    // Wine keeps the asynchronous key state for 50 ms between reads, so a
    // change shows only after a wait; one that does not come fails the test.
    const auto awaitKey = [&](int vk, bool pressed, const char* what) {
        return PumpUntil([&] { return down(vk) == pressed; }, what, 2000);
    };
    // Wine puts its modifiers back to the X server's state when a window
    // gains the X focus, which nothing here can see coming and which undoes a
    // press made just before it: such a press is made again, as a held key
    // repeats.
    const auto hold = [&](WORD vk) {
        for (int press = 0; press < 10 && !down(vk); ++press) {
            Key(vk, false);
            testing_support::PumpWhileNot([&] { return down(vk); }, 200);
        }
        return down(vk);
    };
    CPropatyDlg dialog;
    Fill(dialog);
    RunModal(dialog, [&](HWND d) {
        PumpUntil([&] { return ::GetForegroundWindow() == d && ::GetActiveWindow() == d; }, "the dialog active");
        // Shift and Ctrl held while the focus comes into the field, as with
        // Shift+Tab; held on, the keyboard repeats them inside the field.
        ASSERT_TRUE(hold(VK_SHIFT)) << "Shift down";
        ASSERT_TRUE(hold(VK_CONTROL)) << "Ctrl down";
        ASSERT_TRUE(hold(VK_LWIN)) << "Win down";
        ::SetFocus(::GetDlgItem(d, IDC_HOTKEY));
        ASSERT_TRUE(CHotKeyExCtrl::HookInstalled());
        ASSERT_EQ(dialog.hotKeyCtrl.entry.keyCode, '4');
        for (int repeat = 0; repeat < 2; ++repeat) {
            Key(VK_SHIFT, false);
            Key(VK_CONTROL, false);
        }
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == 0 && dialog.hotKeyCtrl.entry.modifierFlags != 0; },
                  "the repeats in the field");
        // A key pressed and released inside the field never reaches the system.
        Key('J', false);
        Key('J', true);
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == 'J'; }, "J in the field");
        Key(VK_SHIFT, true);
        Key(VK_CONTROL, true);
        Key(VK_LWIN, true);
        EXPECT_TRUE(awaitKey(VK_SHIFT, false, "Shift up")) << "the release was swallowed: Shift stays down";
        EXPECT_TRUE(awaitKey(VK_CONTROL, false, "Ctrl up")) << "the release was swallowed: Ctrl stays down";
        EXPECT_TRUE(awaitKey(VK_LWIN, false, "Win up")) << "the release was swallowed: Win stays down";
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.restartEntry == 1; }, "the field to see the releases");
        EXPECT_TRUE(::IsWindow(d));
    });
    // A failure above must not leave a key down for the next test.
    for (const WORD vk : {VK_SHIFT, VK_CONTROL, VK_LWIN})
        if (down(vk)) Key(vk, true);

    const auto& keys = PassedKeys::keys;
    EXPECT_EQ(std::count_if(keys.begin(), keys.end(), [](const auto& k) { return k.first == 'J'; }), 0)
        << "J reached the system";
    // Win's release reaches the system, but not alone: Windows would open the Start menu.
    const auto winUp = std::find(keys.begin(), keys.end(), std::pair<DWORD, bool>{VK_LWIN, true});
    ASSERT_NE(winUp, keys.end()) << "Win's release never reached the system";
    const auto winDown =
        std::find(std::make_reverse_iterator(winUp), keys.rend(), std::pair<DWORD, bool>{VK_LWIN, false});
    ASSERT_NE(winDown, keys.rend());
    const auto anotherPress = [](const std::pair<DWORD, bool>& k) {
        for (const DWORD held : {VK_LWIN, VK_SHIFT, VK_LSHIFT, VK_CONTROL, VK_LCONTROL})
            if (k.first == held) return false;
        return !k.second;
    };
    EXPECT_NE(std::find_if(winDown.base(), winUp, anotherPress), winUp)
        << "no key pressed between Win's press and release";
}

TEST(HotKeyField, HookIsGoneAfterEveryWayOutOfTheDialog) {
    struct Way {
        const char* name;
        std::function<void(HWND)> close;
        INT_PTR result;
    };
    const Way ways[] = {
        {"OK", [](HWND d) { Click(d, IDOK); }, IDOK},
        {"Cancel", [](HWND d) { Click(d, IDCANCEL); }, IDCANCEL},
        {"Esc",
         [](HWND d) {
             ::SetFocus(::GetDlgItem(d, IDC_OPACITY));
             Tap(VK_ESCAPE);
         },
         IDCANCEL},
        {"close box", [](HWND d) { ::PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
    };
    for (const Way& way : ways) {
        CPropatyDlg dialog;
        Fill(dialog);
        const INT_PTR result = RunModal(dialog, [&](HWND d) {
            ::SetFocus(::GetDlgItem(d, IDC_HOTKEY));
            EXPECT_TRUE(CHotKeyExCtrl::HookInstalled()) << way.name;
            way.close(d);
        });
        EXPECT_EQ(result, way.result) << way.name;
        EXPECT_FALSE(CHotKeyExCtrl::HookInstalled()) << way.name;
    }
}

}  // namespace
