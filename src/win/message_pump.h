// Delivering a thread's queued messages outside a modal loop: for the tick
// benchmark and the tests, which drive windows without a loop of their own.
#pragma once

#include <windows.h>

namespace win {

// Delivers whatever is queued for this thread's windows.
inline void PumpMessages() noexcept {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Delivers messages for about `ms` milliseconds, so that timers get to fire.
inline void PumpFor(int ms) noexcept {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(ms);
    while (::GetTickCount64() < end) {
        PumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    PumpMessages();
}

}  // namespace win
