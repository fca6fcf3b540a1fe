#include "win/session.h"

#include "win/system_library.h"

namespace win {
namespace {

struct SessionEntries {
    Entry<BOOL(WINAPI*)(HWND, DWORD)> registerWindow{"WTSRegisterSessionNotification"};
    Entry<BOOL(WINAPI*)(HWND)> unregisterWindow{"WTSUnRegisterSessionNotification"};
};

// wtsapi32 is not one of the loader's protected DLLs, so it is bound from System32.
const SessionEntries* BindSessionEntries() noexcept {
    static SessionEntries entries;
    static const bool bound =
        BindAll(LoadSystemLibrary(L"wtsapi32.dll"), entries.registerWindow, entries.unregisterWindow);
    return bound ? &entries : nullptr;
}

constexpr DWORD kNotifyForThisSession = 0;  // NOTIFY_FOR_THIS_SESSION, wtsapi32.h

}  // namespace

bool RegisterSessionNotifications(HWND window) noexcept {
    const SessionEntries* entries = BindSessionEntries();
    return entries && entries->registerWindow.call(window, kNotifyForThisSession);
}

void UnregisterSessionNotifications(HWND window) noexcept {
    if (const SessionEntries* entries = BindSessionEntries()) entries->unregisterWindow.call(window);
}

}  // namespace win
