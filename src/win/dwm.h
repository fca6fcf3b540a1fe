// The desktop window manager: the glass frame, used only where the system has
// one, whether a window is cloaked, and how often the display is refreshed.
#pragma once

#include <windows.h>
#include <dwmapi.h>

namespace win {

// The frame's extension into the client area, in pixels.
using GlassMargins = MARGINS;

// -1 when the window manager cannot be used (and *enabled = 0); otherwise the
// result of DwmIsCompositionEnabled, which stores the state on success.
HRESULT QueryGlassComposition(BOOL* enabled);

// -1 when the window manager cannot be used; otherwise the result of DwmExtendFrameIntoClientArea.
HRESULT ExtendGlassFrame(HWND window, const GlassMargins* margins);

// Visible to IsWindowVisible yet not shown: on another virtual desktop, a
// suspended store app, or cloaked by its owner (DWMWA_CLOAKED). False where
// there is no window manager to ask.
bool IsCloaked(HWND window) noexcept;

// How often the display is refreshed, in hertz, as the window manager
// composes it; 60 where it cannot say.
double RefreshRate() noexcept;

}  // namespace win
