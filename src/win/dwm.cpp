#include "win/dwm.h"

#include "win/system_library.h"

namespace {

struct OsVersionCache {
    BOOL filled = FALSE;
    OSVERSIONINFOW info{};
};
OsVersionCache osVersionCache;

// The system's version, read until a read succeeds and then kept.
bool HasWindowManager() {
    if (!osVersionCache.filled) {
        osVersionCache.info = {};
        osVersionCache.info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // the manifest declares the systems we know, so the answer is truthful
#endif
        if (::GetVersionExW(&osVersionCache.info) == 1) osVersionCache.filled = TRUE;
    }
    return osVersionCache.filled && osVersionCache.info.dwMajorVersion >= 6;
}

// dwmapi is bound on first use, after the version test: systems before
// version 6 do not have it.
struct DwmEntries {
    win::Entry<decltype(&::DwmIsCompositionEnabled)> isCompositionEnabled{"DwmIsCompositionEnabled"};
    win::Entry<decltype(&::DwmExtendFrameIntoClientArea)> extendFrame{"DwmExtendFrameIntoClientArea"};
    win::Entry<decltype(&::DwmGetWindowAttribute)> getAttribute{"DwmGetWindowAttribute"};
    win::Entry<decltype(&::DwmGetCompositionTimingInfo)> getTimingInfo{"DwmGetCompositionTimingInfo"};
};

const DwmEntries* BindDwm() noexcept {
    if (!HasWindowManager()) return nullptr;
    static DwmEntries entries;
    static const bool bound = win::BindAll(win::LoadSystemLibrary(L"dwmapi.dll"), entries.isCompositionEnabled,
                                           entries.extendFrame, entries.getAttribute, entries.getTimingInfo);
    return bound ? &entries : nullptr;
}

}  // namespace

namespace win {

HRESULT QueryGlassComposition(BOOL* enabled) {
    const DwmEntries* dwm = BindDwm();
    if (!dwm) {
        if (enabled) *enabled = FALSE;
        return -1;
    }
    return dwm->isCompositionEnabled.call(enabled);
}

HRESULT ExtendGlassFrame(HWND window, const GlassMargins* margins) {
    const DwmEntries* dwm = BindDwm();
    return dwm ? dwm->extendFrame.call(window, margins) : -1;
}

bool IsCloaked(HWND window) noexcept {
    const DwmEntries* dwm = BindDwm();
    DWORD cloaked = 0;
    return dwm && SUCCEEDED(dwm->getAttribute.call(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

double RefreshRate() noexcept {
    constexpr double kUnknown = 60.0;
    const DwmEntries* dwm = BindDwm();
    DWM_TIMING_INFO timing{};
    timing.cbSize = sizeof timing;
    // The window must be null from Windows 8.1 on ("DwmGetCompositionTimingInfo function").
    if (!dwm || FAILED(dwm->getTimingInfo.call(nullptr, &timing)) || timing.rateRefresh.uiDenominator == 0 ||
        timing.rateRefresh.uiNumerator == 0)
        return kUnknown;
    return static_cast<double>(timing.rateRefresh.uiNumerator) / timing.rateRefresh.uiDenominator;
}

}  // namespace win
