#include "ui/glass.h"

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

using IsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
using ExtendFrameFn = HRESULT(WINAPI*)(HWND, const GlassMargins*);

// dwmapi is bound on first use, after the version test: systems before
// version 6 do not have it.
template <class Fn>
Fn DwmEntry(const char* name) {
    static const HMODULE dwmapi = win::LoadSystemLibrary(L"dwmapi.dll");
    return win::SystemEntry<Fn>(dwmapi, name);
}

}  // namespace

HRESULT QueryGlassComposition(BOOL* enabled) {
    const auto fail = [enabled] {
        if (enabled) *enabled = FALSE;
        return static_cast<HRESULT>(-1);
    };
    if (!HasWindowManager()) return fail();
    const auto query = DwmEntry<IsCompositionEnabledFn>("DwmIsCompositionEnabled");
    if (!query) return fail();
    return query(enabled);
}

HRESULT ExtendGlassFrame(HWND window, const GlassMargins* margins) {
    if (!HasWindowManager()) return -1;
    const auto extend = DwmEntry<ExtendFrameFn>("DwmExtendFrameIntoClientArea");
    if (!extend) return -1;
    return extend(window, margins);
}
