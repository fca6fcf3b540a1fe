// The hotkey field inside the running settings dialog: what its keyboard
// hook captures, what reaches the system, and that the hook goes with it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "modal_script.h"
#include "resource.h"
#include "test_support.h"

using testing_support::Click;
using testing_support::Fill;
using testing_support::Key;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::RunModal;
using testing_support::Tap;

namespace {

TEST(HotKeyField, CapturesKeysOnlyWhileFocusedIncludingTabEnterAndEsc) {
    CPropatyDlg dialog;
    Fill(dialog);
    const INT_PTR result = RunModal(dialog, [&](HWND d) {
        EXPECT_FALSE(CHotKeyExCtrl::HookInstalled());
        Tap('Q');     // focus on the slider: not captured
        PumpFor(50);  // a key that must not arrive: nothing to wait for
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
        PumpFor(50);  // a key that must not arrive: nothing to wait for
        EXPECT_EQ(dialog.hotKeyCtrl.entry.keyCode, VK_ESCAPE);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(HotKeyField, ReleasesOfKeysPressedBeforeTheFieldReachTheSystem) {
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
        ::SetFocus(::GetDlgItem(d, IDC_HOTKEY));
        ASSERT_TRUE(CHotKeyExCtrl::HookInstalled());
        ASSERT_EQ(dialog.hotKeyCtrl.entry.keyCode, '4');
        for (int repeat = 0; repeat < 2; ++repeat) {
            Key(VK_SHIFT, false);
            Key(VK_CONTROL, false);
        }
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == 0 && dialog.hotKeyCtrl.entry.modifierFlags != 0; },
                  "the repeats in the field");
        Key(VK_SHIFT, true);
        Key(VK_CONTROL, true);
        EXPECT_TRUE(awaitKey(VK_SHIFT, false, "Shift up")) << "the release was swallowed: Shift stays down";
        EXPECT_TRUE(awaitKey(VK_CONTROL, false, "Ctrl up")) << "the release was swallowed: Ctrl stays down";
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.restartEntry == 1; }, "the field to see the releases");

        // A key pressed and released inside the field never reaches the system.
        Key('J', false);
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == 'J'; }, "J in the field");
        PumpFor(60);  // past Wine's key-state cache: a press that must not show
        EXPECT_FALSE(down('J'));
        Key('J', true);
        EXPECT_TRUE(::IsWindow(d));
    });
    // A failure above must not leave a key down for the next test.
    for (const WORD vk : {VK_SHIFT, VK_CONTROL})
        if (down(vk)) Key(vk, true);
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
             PumpFor(50);
         },
         IDCANCEL},
        {"close box",
         [](HWND d) {
             ::PostMessageW(d, WM_CLOSE, 0, 0);
             PumpFor(50);
         },
         IDCANCEL},
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
