#include "win/session.h"

#include <cstddef>
#include <cstring>

#include "win/system_library.h"

namespace win {
namespace {

struct SessionEntries {
    Entry<BOOL(WINAPI*)(HWND, DWORD)> registerWindow{"WTSRegisterSessionNotification"};
    Entry<BOOL(WINAPI*)(HWND)> unregisterWindow{"WTSUnRegisterSessionNotification"};
    Entry<BOOL(WINAPI*)(HANDLE, DWORD, int, LPWSTR*, DWORD*)> query{"WTSQuerySessionInformationW"};
    Entry<void(WINAPI*)(PVOID)> free{"WTSFreeMemory"};
};

// wtsapi32 is not one of the loader's protected DLLs, so it is bound from System32.
const SessionEntries* BindSessionEntries() noexcept {
    static SessionEntries entries;
    static const bool bound = BindAll(LoadSystemLibrary(L"wtsapi32.dll"), entries.registerWindow,
                                      entries.unregisterWindow, entries.query, entries.free);
    return bound ? &entries : nullptr;
}

constexpr DWORD kNotifyForThisSession = 0;  // NOTIFY_FOR_THIS_SESSION, wtsapi32.h

// The head of WTSINFOEXW with its WTSINFOEX_LEVEL1_W, which MinGW's headers
// lack; only these fields are read. The level's union holds LARGE_INTEGERs
// further on, so it starts 8-byte aligned, after four bytes of padding.
struct SessionInfoHead {
    DWORD level;
    alignas(8) ULONG sessionId;
    int sessionState;
    LONG sessionFlags;
};
constexpr int kSessionInfoEx = 25;            // WTSSessionInfoEx
constexpr LONG kSessionStateLock = 0;         // WTS_SESSIONSTATE_LOCK
constexpr LONG kSessionStateUnlock = 1;       // WTS_SESSIONSTATE_UNLOCK
constexpr DWORD kCurrentSession = ~DWORD{0};  // WTS_CURRENT_SESSION

}  // namespace

bool RegisterSessionNotifications(HWND window) noexcept {
    const SessionEntries* entries = BindSessionEntries();
    return entries && entries->registerWindow.call(window, kNotifyForThisSession);
}

void UnregisterSessionNotifications(HWND window) noexcept {
    if (const SessionEntries* entries = BindSessionEntries()) entries->unregisterWindow.call(window);
}

// "On Windows Server 2008 R2 and Windows 7, due to a code defect, the usage of
// the WTS_SESSIONSTATE_LOCK and WTS_SESSIONSTATE_UNLOCK flags is reversed"
// ("WTSINFOEX_LEVEL1_W structure", Microsoft Docs); there the answer counts
// as unknown rather than be guessed.
SessionLock QuerySessionLock() noexcept {
    const SessionEntries* entries = BindSessionEntries();
    if (!entries) return SessionLock::Unknown;
    OSVERSIONINFOEXW windows8{};
    windows8.dwOSVersionInfoSize = sizeof windows8;
    windows8.dwMajorVersion = 6;
    windows8.dwMinorVersion = 2;
    const DWORDLONG atLeast = ::VerSetConditionMask(::VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL),
                                                    VER_MINORVERSION, VER_GREATER_EQUAL);
    if (!::VerifyVersionInfoW(&windows8, VER_MAJORVERSION | VER_MINORVERSION, atLeast)) return SessionLock::Unknown;
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    if (!entries->query.call(nullptr /* this server */, kCurrentSession, kSessionInfoEx, &buffer, &bytes) || !buffer)
        return SessionLock::Unknown;
    static_assert(offsetof(SessionInfoHead, sessionFlags) == 16, "WTSINFOEXW's layout");
    SessionInfoHead head{};
    if (bytes >= sizeof head) std::memcpy(&head, buffer, sizeof head);
    entries->free.call(buffer);
    if (head.level != 1) return SessionLock::Unknown;
    return head.sessionFlags == kSessionStateLock     ? SessionLock::Locked
           : head.sessionFlags == kSessionStateUnlock ? SessionLock::Unlocked
                                                      : SessionLock::Unknown;
}

}  // namespace win
