// Notifications of the session: the workstation locked and unlocked, the
// session disconnected and connected again.
#pragma once

#include <windows.h>

namespace win {

// WM_WTSSESSION_CHANGE for this session to `window`, until Unregister is
// called (before the window goes). False where the system has no such
// service; Wine's always says yes and never sends one.
bool RegisterSessionNotifications(HWND window) noexcept;
void UnregisterSessionNotifications(HWND window) noexcept;

// Whether this session's workstation is locked, as the session manager says now.
enum class SessionLock { Unknown, Locked, Unlocked };
SessionLock QuerySessionLock() noexcept;

// Whether a WM_WTSSESSION_CHANGE code means the session's desktop went out of
// the user's sight (locked, disconnected) or came back (unlocked, connected);
// logons, logoffs and remote control mean neither.
constexpr bool SessionSwitched(WPARAM code) noexcept {
    return code == WTS_SESSION_LOCK || code == WTS_SESSION_UNLOCK ||
           (code >= WTS_CONSOLE_CONNECT && code <= WTS_REMOTE_DISCONNECT);
}
// Of those, the ones after which the user no longer sees the desktop.
constexpr bool SessionWentAway(WPARAM code) noexcept {
    return code == WTS_SESSION_LOCK || code == WTS_CONSOLE_DISCONNECT || code == WTS_REMOTE_DISCONNECT;
}

}  // namespace win
