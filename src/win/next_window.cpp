#include "win/next_window.h"

namespace win {

// GetWindow in a loop can run forever or reach a window destroyed meanwhile,
// as the Z order changes under it ("GetWindow function"): the walk is bounded.
// A destroyed window ends it, as GetWindow then returns no window.
constexpr int kMostWindowsWalked = 4096;

HWND NextWindowDown(HWND window, bool (*isCloaked)(HWND)) noexcept {
    int walked = 0;
    for (HWND next = ::GetWindow(window, GW_HWNDNEXT); next && walked < kMostWindowsWalked;
         next = ::GetWindow(next, GW_HWNDNEXT), ++walked) {
        const LONG_PTR exStyle = ::GetWindowLongPtrW(next, GWL_EXSTYLE);
        // IsWindowVisible is true for a window on another virtual desktop:
        // activating it would switch the user's desktop.
        if (::IsWindowVisible(next) && !::IsIconic(next) && ::IsWindowEnabled(next) &&
            !(exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) && ::GetAncestor(next, GA_ROOTOWNER) != window &&
            !isCloaked(next))
            return next;
    }
    return nullptr;
}

}  // namespace win
