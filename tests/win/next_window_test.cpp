// The window the keyboard is handed back to: the next one down that the user
// could be working in, past every window they cannot.
#include <gtest/gtest.h>

#include "test_support.h"
#include "win/dwm.h"
#include "win/next_window.h"
#include "win/system_library.h"

using testing_support::PlainWindow;

namespace {

// Cloaks a window as the shell cloaks one on another virtual desktop; false
// where the system cannot (no window manager, or Wine, which ignores it).
bool Cloak(HWND window) {
    static const auto set = win::SystemEntry<decltype(&::DwmSetWindowAttribute)>(win::LoadSystemLibrary(L"dwmapi.dll"),
                                                                                 "DwmSetWindowAttribute");
    const BOOL on = TRUE;
    return set && SUCCEEDED(set(window, DWMWA_CLOAK, &on, sizeof on)) && win::IsCloaked(window);
}

TEST(NextWindowDown, PassesOverWindowsTheUserCannotWorkIn) {
    const struct {
        const char* name;
        void (*make)(HWND window);
    } skipped[] = {
        {"hidden", [](HWND w) { ::ShowWindow(w, SW_HIDE); }},
        {"minimised", [](HWND w) { ::ShowWindow(w, SW_SHOWMINNOACTIVE); }},
        {"disabled", [](HWND w) { ::EnableWindow(w, FALSE); }},
        {"a tool window", [](HWND w) { ::SetWindowLongPtrW(w, GWL_EXSTYLE, WS_EX_TOOLWINDOW); }},
        {"one that is never activated", [](HWND w) { ::SetWindowLongPtrW(w, GWL_EXSTYLE, WS_EX_NOACTIVATE); }},
    };
    PlainWindow ours(L"ours", RECT{0, 0, 100, 100});
    PlainWindow user(L"user's program", RECT{300, 300, 400, 400});
    for (const auto& s : skipped) {
        PlainWindow between(L"between", RECT{150, 150, 250, 250});
        s.make(between.hwnd());
        // Z order: ours, the window to pass over, the user's.
        const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
        ::SetWindowPos(user.hwnd(), HWND_TOP, 0, 0, 0, 0, flags);
        ::SetWindowPos(between.hwnd(), HWND_TOP, 0, 0, 0, 0, flags);
        ::SetWindowPos(ours.hwnd(), HWND_TOP, 0, 0, 0, 0, flags);
        ASSERT_EQ(::GetWindow(ours.hwnd(), GW_HWNDNEXT), between.hwnd()) << s.name;
        EXPECT_EQ(win::NextWindowDown(ours.hwnd()), user.hwnd()) << s.name;
    }
    // A visible window the user can work in is the one.
    PlainWindow plain(L"between", RECT{150, 150, 250, 250});
    ::SetWindowPos(plain.hwnd(), ours.hwnd(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(win::NextWindowDown(ours.hwnd()), plain.hwnd());

    // Cloaked: on another virtual desktop, though IsWindowVisible says visible.
    // Wine keeps no cloaked state (it has no window manager to), so the walk is
    // first told the window is cloaked; the Windows runner then cloaks it for real.
    static HWND cloaked;
    cloaked = plain.hwnd();
    EXPECT_EQ(win::NextWindowDown(ours.hwnd(), [](HWND w) { return w == cloaked; }), user.hwnd())
        << "a window the window manager reports cloaked";
    if (!Cloak(plain.hwnd())) GTEST_SKIP() << "this system cannot cloak a window (Wine has no window manager to)";
    EXPECT_TRUE(::IsWindowVisible(plain.hwnd()));
    EXPECT_EQ(win::NextWindowDown(ours.hwnd()), user.hwnd()) << "a cloaked window";
}

}  // namespace
