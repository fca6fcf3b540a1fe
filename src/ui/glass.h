// The desktop window manager's glass frame, used only where the system has one.
#pragma once

#include <windows.h>

struct GlassMargins {
    int cxLeftWidth;
    int cxRightWidth;
    int cyTopHeight;
    int cyBottomHeight;
};

// -1 when the window manager cannot be used (and *enabled = 0); otherwise the
// result of DwmIsCompositionEnabled, which stores the state on success.
HRESULT QueryGlassComposition(BOOL* enabled);

// -1 when the window manager cannot be used; otherwise the result of DwmExtendFrameIntoClientArea.
HRESULT ExtendGlassFrame(HWND window, const GlassMargins* margins);
