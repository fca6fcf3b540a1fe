#include "win/next_window.h"

#include "win/dwm.h"

namespace win {

HWND NextWindowDown(HWND window) noexcept {
    for (HWND next = ::GetWindow(window, GW_HWNDNEXT); next; next = ::GetWindow(next, GW_HWNDNEXT)) {
        const LONG_PTR exStyle = ::GetWindowLongPtrW(next, GWL_EXSTYLE);
        // IsWindowVisible is true for a window on another virtual desktop:
        // activating it would switch the user's desktop.
        if (::IsWindowVisible(next) && !::IsIconic(next) && ::IsWindowEnabled(next) &&
            !(exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) && ::GetAncestor(next, GA_ROOTOWNER) != window &&
            !IsCloaked(next))
            return next;
    }
    return nullptr;
}

}  // namespace win
