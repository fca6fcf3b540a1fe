// The window the user was working in, to hand the keyboard back to.
#pragma once

#include <windows.h>

#include "win/dwm.h"

namespace win {

// The top-level window below `window` in Z order that the user could be
// working in: visible and not cloaked, not minimised, enabled, activatable and
// not one of `window`'s own. `isCloaked` answers for the window manager.
HWND NextWindowDown(HWND window, bool (*isCloaked)(HWND) = IsCloaked) noexcept;

}  // namespace win
