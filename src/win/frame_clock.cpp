#include "win/frame_clock.h"

#include <algorithm>
#include <cmath>

#include "win/dwm.h"
#include "win/system_library.h"

namespace win {
namespace {

// winmm is not one of the loader's protected DLLs, so it is bound from System32.
struct TimerResolution {
    Entry<UINT(WINAPI*)(UINT)> begin{"timeBeginPeriod"};
    Entry<UINT(WINAPI*)(UINT)> end{"timeEndPeriod"};
};

const TimerResolution* BindTimerResolution() noexcept {
    static TimerResolution entries;
    static const bool bound = BindAll(LoadSystemLibrary(L"winmm.dll"), entries.begin, entries.end);
    return bound ? &entries : nullptr;
}

constexpr UINT kFinestMs = 1;
constexpr UINT kLongestMs = 50;

}  // namespace

UINT FrameClock::PeriodFor(double hertz) noexcept {
    if (!(hertz > 0)) hertz = 60;
    return std::clamp(static_cast<UINT>(std::floor(1000.0 / hertz)), static_cast<UINT>(USER_TIMER_MINIMUM), kLongestMs);
}

namespace {

// Windows 11 may ignore a finer timer asked for by a process that is "fully
// occluded, minimized, or otherwise invisible or inaudible to the end user"
// ("timeBeginPeriod function", Microsoft Docs), which Vireon is whenever the
// trail is on: its only normal window is minimised. The process opts out of
// that throttling ("SetProcessInformation function": ProcessPowerThrottling
// with PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION in the control mask
// and not in the state mask, "always honor timer resolution requests").
// Chosen over a high-resolution waitable timer or the compositor's clock on a
// thread of its own: the frames stay WM_TIMER, which every modal loop (menus,
// message boxes, dialogs) dispatches, nothing runs at rest, and no thread is
// added. The flag costs nothing by itself; it only keeps the request below
// honoured. Where the call is missing (before Windows 8) or refused, nothing
// is lost but the finer timer while minimised.
void HonourTimerResolutionWhenHidden() noexcept {
    struct PowerThrottlingState {  // PROCESS_POWER_THROTTLING_STATE
        ULONG version, controlMask, stateMask;
    };
    constexpr int kProcessPowerThrottling = 4;     // PROCESS_INFORMATION_CLASS
    constexpr ULONG kIgnoreTimerResolution = 0x4;  // PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION
    using SetInformation = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
    static const bool asked = [] {
        const auto set = SystemEntry<SetInformation>(::GetModuleHandleW(L"kernel32.dll"), "SetProcessInformation");
        PowerThrottlingState state{1, kIgnoreTimerResolution, 0};
        return set && set(::GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state);
    }();
    (void)asked;
}

}  // namespace

// Windows rounds a timer up to the system's clock tick, 15.6 ms unless a
// program asks for a finer one ("SetTimer function", "timeBeginPeriod
// function", Microsoft Docs): a 16 ms frame would come every second tick,
// 32 times a second. So while frames run, and only then, the process asks for
// a 1 ms tick; since Windows 10 version 2004 that request holds for this
// process alone, and it is given back the moment the pointer rests. Wine
// fires timers at the period asked and ignores the request.
void FrameClock::Start(HWND window, UINT_PTR id) noexcept {
    if (window_) return;
    period_ = PeriodFor(RefreshRate());
    if (!::SetTimer(window, id, period_, nullptr)) return;
    window_ = window;
    id_ = id;
    HonourTimerResolutionWhenHidden();
    const TimerResolution* resolution = BindTimerResolution();
    finerTimer_ = resolution && resolution->begin.call(kFinestMs) == 0;  // TIMERR_NOERROR
}

void FrameClock::Stop() noexcept {
    if (!window_) return;
    ::KillTimer(window_, id_);
    if (finerTimer_) BindTimerResolution()->end.call(kFinestMs);
    finerTimer_ = false;
    window_ = nullptr;
}

}  // namespace win
