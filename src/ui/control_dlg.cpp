#include "ui/control_dlg.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <initializer_list>
#include <iterator>
#include <utility>

#include "resource.h"
#include "settings/settings_file.h"
#include "ui/hotkey_entry.h"
#include "ui/propaty_dlg.h"
#include "win/message_box.h"
#include "win/next_window.h"
#include "win/session.h"

CControlDlg::CControlDlg(settings::SettingsFile file)
    : win::Dialog(IDD_CONTROL),
      backgroundBrush(::CreateSolidBrush(RGB(200, 200, 200))),
      settingsFile(std::move(file)) {}

void CControlDlg::LoadSettings() { settings::LoadSettings(settings, settingsFile.path, settingsFile.readWriteMode); }
namespace {

// Why a save failed, in the words of the program's language; the system's
// own text for the rarer reasons.
std::wstring NotSavedReason(DWORD error) {
    constexpr DWORD kDiskQuotaExceeded = 1295;  // ERROR_DISK_QUOTA_EXCEEDED, missing from MinGW's headers
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_READ_ONLY:
    case ERROR_NETWORK_ACCESS_DENIED: return win::ResourceText(IDS_NOT_SAVED_REFUSED);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kDiskQuotaExceeded: return win::ResourceText(IDS_NOT_SAVED_DISK_FULL);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: return win::ResourceText(IDS_NOT_SAVED_IN_USE);
    default: break;
    }
    wchar_t text[128];
    std::swprintf(text, std::size(text), win::ResourceText(IDS_NOT_SAVED_ERROR).c_str(),
                  static_cast<unsigned long>(error));
    wchar_t* system = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&system), 0, nullptr);
    std::wstring reason = length ? std::wstring(system, length) : std::wstring();
    ::LocalFree(system);
    while (!reason.empty() && std::iswspace(reason.back())) reason.pop_back();
    return reason.empty() ? text : reason + L" (" + text + L")";
}

}  // namespace

void CControlDlg::SaveSettings() {
    const settings::SaveResult result = settings::SaveSettings(settings, settingsFile.path, settingsFile.readWriteMode);
    if (result.saved) return;
    const std::wstring text = win::ResourceText(IDS_NOT_SAVED) + L"\n" + settingsFile.path + L"\n\n" +
                              NotSavedReason(result.error) + L"\n\n" +
                              win::ResourceText(result.pending ? IDS_NOT_SAVED_PENDING : IDS_NOT_SAVED_KEPT);
    win::ShowMessage(text.c_str());
}

void CControlDlg::ApplySettings() {
    trail::TrailStyle style = overlay.style;
    settings::ApplyToStyle(settings, style);
    overlay.SetStyle(style);
}

BOOL CControlDlg::OnInitDialog() {
    win::Dialog::OnInitDialog();
    LoadSettings();
    // Registered before the overlay exists, as the panel has always done.
    if (settings.hotkeyEnabled) RegisterTrailHotkey(IDS_HOTKEY_NOT_REGISTERED);

    overlay.Create(hwnd());
    overlay.panelHwnd = hwnd();
    overlay.ResetOverlay();
    toggleOn = 0;
    overlay.trailOn = 0;
    ApplySettings();
    UpdateData(false);
    ::SetTimer(hwnd(), kTimerId, kTimerPeriodMs, nullptr);
    return TRUE;
}

void CControlDlg::RegisterTrailHotkey(UINT failureMessage) {
    if (registerHotKey(hwnd(), kHotkeyId, hotkey::RegistrationModifiers(settings.hotkeyModifiers),
                       static_cast<UINT>(settings.hotkeyKey)))
        return;
    std::printf("RegisterHotKey() Error=%d\n", static_cast<int>(::GetLastError()));
    std::fflush(stdout);
    win::ShowMessage(failureMessage);
}

void CControlDlg::DoDataExchange(win::DataExchange& dx) { dx.Check(IDC_ONOFF, toggleOn); }

std::optional<LRESULT> CControlDlg::OnCommand(WORD id, WORD code) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_ONOFF: OnBnClickedOnOff(); return 0;
        case IDC_SETTINGS: OnBnClickedSettings(); return 0;
        default: break;
        }
    }
    return win::Dialog::OnCommand(id, code);
}

void CControlDlg::OnBnClickedOnOff() {
    UpdateData(true);
    // A user who switches the trail sees the desktop: an unlock we missed ends here.
    sessionAway_ = false;
    ::SetWindowTextW(Item(IDC_ONOFF), win::ResourceText(toggleOn ? IDS_OFF : IDS_ON).c_str());
    // Pressed while the settings dialog is open (only the hotkey can), the
    // toggle waits for the dialog: minimising the main window would take the
    // dialog, which it owns, along with it.
    if (settingsOpen) return;
    overlay.trailOn = toggleOn;
    if (toggleOn) MinimiseMainWindow();
}

void CControlDlg::MinimiseMainWindow() {
    const HWND mainWindow = ::GetAncestor(hwnd(), GA_ROOT);
    if (::IsIconic(mainWindow)) return;
    // SW_SHOWMINIMIZED would activate the window it minimises and keep the
    // keyboard from the user ("ShowWindow function", Microsoft Docs). After the
    // hotkey the user's window is active and stays so. After a click we are,
    // and the window the user came from, the next one down, gets it back,
    // chosen before the minimise moves us. Windows may already have activated
    // a window of its choice by then; Wine leaves us active. So the keyboard is
    // handed back only while it is still ours.
    const HWND handBack = ::GetForegroundWindow() == mainWindow ? win::NextWindowDown(mainWindow) : nullptr;
    ::ShowWindow(mainWindow, SW_SHOWMINNOACTIVE);
    if (handBack && ::GetForegroundWindow() == mainWindow) ::SetForegroundWindow(handBack);
}

void CControlDlg::OnBnClickedSettings() {
    CPropatyDlg dialog;
    dialog.settings = settings;

    // Hidden while the dialog is open, the closing rings too; the timer and the hotkey go on working.
    overlay.trailOn = 0;
    settingsOpen = true;
    rings.Close();
    const BOOL toggleBefore = toggleOn;
    if (dialog.DoModal(::GetAncestor(hwnd(), GA_ROOT)) == IDOK) {
        settings = dialog.settings;
        ::UnregisterHotKey(hwnd(), kHotkeyId);
        if (settings.hotkeyEnabled) RegisterTrailHotkey(IDS_HOTKEY_DUPLICATE);
        ApplySettings();
        SaveSettings();
    }
    settingsOpen = false;
    overlay.trailOn = toggleOn;
    // Switched on by the hotkey meanwhile: now the main window goes down, as after any switch on.
    if (toggleOn && !toggleBefore) MinimiseMainWindow();
}

void CControlDlg::OnTimer(UINT_PTR id) {
    if (id != kTimerId) return;
    // However the trail was switched (the button, the hotkey, the settings
    // dialog opening or closing), the rings follow within a tick.
    ListenForClicks(overlay.trailOn && settings.clicks);
    // Started with the user's logon, before the session service is up, the
    // registration fails (RPC_S_INVALID_BINDING, "WTSRegisterSessionNotification
    // function"); it is tried again until it takes, ever less often, so that a
    // system without the service is not asked twenty times a second for good.
    if (!sessionNotified_ && --sessionRetryIn_ < 0) {
        sessionNotified_ = registerSession(hwnd());
        sessionRetryIn_ = sessionRetryTicks_;
        sessionRetryTicks_ = std::min(2 * sessionRetryTicks_, static_cast<int>(60'000 / kTimerPeriodMs));
    }
    // The position cannot be read while the workstation is locked, on the
    // secure desktop or in a disconnected session ("GetCursorPos function",
    // Microsoft Docs); such a tick is skipped, or the trail would run from the
    // screen's corner after unlocking.
    // Hidden meanwhile, the trail starts afresh at the first point read
    // again, so that no streak runs from where the pointer was before.
    POINT pointer{};
    if (SessionAway() || !readPointer(&pointer)) {
        // Nothing of ours stays on a screen the user comes back to.
        shake_.Reset();
        rings.Close();
        return overlay.Suspend();
    }
    LookForShake(pointer);
    overlay.UpdateTrail(pointer.x, pointer.y);
}

void CControlDlg::LookForShake(POINT pointer) noexcept {
    // Trail on or off, but not while the settings dialog is open.
    if (!settings.shake || settingsOpen) return shake_.Reset();
    // The DPI is asked only when the pointer moved: a resting tick asks nothing.
    if (pointer.x != shakeAt_.x || pointer.y != shakeAt_.y) {
        shakeDpi_ = monitorDpi(pointer);
        shakeAt_ = pointer;
    }
    if (shake_.Add({pointer.x, pointer.y}, buttonsHeld(), shakeDpi_))
        rings.Find(pointer, overlay.style.lineColor, overlay.InsertAfter());
}

// The physical buttons, whichever of them the user made the primary one
// ("GetAsyncKeyState function", Microsoft Docs: it reads the physical buttons,
// not the logical ones they are mapped to). While an elevated window is in
// front, a program that is not elevated reads no button at all, so there a
// drag may count as a shake.
bool CControlDlg::AnyMouseButtonHeld() noexcept {
    for (const int button : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1, VK_XBUTTON2})
        if (::GetAsyncKeyState(button) & 0x8000) return true;
    return false;
}

// On Windows the pointer cannot be read while the workstation is locked, but
// nothing promises that for every kind of session (a remote one, one
// disconnected): from the lock until the unlock the trail stays hidden
// whatever the read says. Should the unlock never come, the session manager
// is asked once a second, so that the trail cannot stay hidden for good.
bool CControlDlg::SessionAway() noexcept {
    if (!sessionAway_) return false;
    if (++ticksSinceLockQuery_ >= kLockQueryTicks) {
        ticksSinceLockQuery_ = 0;
        if (querySessionLock() == win::SessionLock::Unlocked) sessionAway_ = false;
    }
    return sessionAway_;
}

std::optional<HBRUSH> CControlDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
    const HBRUSH fallback = DefaultCtlColor(dc, control, kind);
    return (kind == CTLCOLOR_BTN || kind == CTLCOLOR_DLG) ? backgroundBrush.get() : fallback;
}

std::optional<LRESULT> CControlDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: OnTimer(wParam); return std::nullopt;  // default processing follows
    case WM_HOTKEY: OnHotKey(wParam); return 0;
    case WM_INPUT:
        OnRawInput(reinterpret_cast<HRAWINPUT>(lParam));
        return std::nullopt;  // the system's own clean-up follows
    case WM_WTSSESSION_CHANGE:
        // Locked or switched away: nothing of the trail stays on the screen
        // the user comes back to, and it starts afresh there.
        if (win::SessionSwitched(wParam)) {
            overlay.Suspend();
            // Connected again to a session that is still locked, it stays away.
            sessionAway_ = win::SessionWentAway(wParam) ||
                           (wParam != WTS_SESSION_UNLOCK && querySessionLock() == win::SessionLock::Locked);
            ticksSinceLockQuery_ = 0;
        }
        return 0;
    default: return win::Dialog::WindowProc(message, wParam, lParam);
    }
}

// Raw input rather than polling the buttons (a 50 ms poll misses short clicks,
// and GetAsyncKeyState's "pressed since" bit is shared with every program that
// polls) or a low-level mouse hook (it would hold up every program's clicks
// while this thread is busy). RIDEV_INPUTSINK: reports come while other
// programs have the focus ("RAWINPUTDEVICE structure", Microsoft Docs).
void CControlDlg::ListenForClicks(bool on) noexcept {
    if (on == listening_) return;
    const RAWINPUTDEVICE mouse{0x01, 0x02, on ? static_cast<DWORD>(RIDEV_INPUTSINK) : static_cast<DWORD>(RIDEV_REMOVE),
                               on ? hwnd() : nullptr};
    if (::RegisterRawInputDevices(&mouse, 1, sizeof mouse) || !on) listening_ = on;
}

void CControlDlg::OnRawInput(HRAWINPUT input) noexcept {
    RAWINPUT report{};
    UINT size = sizeof report;
    if (::GetRawInputData(input, RID_INPUT, &report, &size, sizeof report.header) == static_cast<UINT>(-1) ||
        report.header.dwType != RIM_TYPEMOUSE)
        return;
    const trail::Presses presses =
        trail::PressesFrom(report.data.mouse.usButtonFlags, ::GetSystemMetrics(SM_SWAPBUTTON) != 0);
    if (!presses.any() || !listening_) return;
    // Not on the secure desktop or a locked workstation, where the pointer cannot be read.
    POINT live{};
    if (sessionAway_ || !readPointer(&live)) return;
    // Where the button went down: the message's own position ("GetMessagePos
    // function", Microsoft Docs), not the pointer's now, which a fast drag has
    // taken on by the time a busy tick lets the message through. Wine 8 gives
    // WM_INPUT the pointer's position at the press as well.
    const DWORD pos = ::GetMessagePos();
    const POINT at{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    // Not over our own panel and dialogs. The overlay and the rings take no
    // clicks, so the system's hit test passes through them.
    DWORD process = 0;
    const HWND hit = ::WindowFromPoint(at);
    if (hit && ::GetWindowThreadProcessId(hit, &process) && process == ::GetCurrentProcessId() &&
        !(::GetWindowLongPtrW(::GetAncestor(hit, GA_ROOT), GWL_EXSTYLE) & WS_EX_TRANSPARENT))
        return;
    const HWND after = overlay.InsertAfter();
    const COLORREF line = overlay.style.lineColor;
    const COLORREF point = overlay.style.pointColor;
    if (presses.left) rings.Press(at, trail::RingButton::Left, line, point, after);
    if (presses.right) rings.Press(at, trail::RingButton::Right, line, point, after);
    if (presses.middle) rings.Press(at, trail::RingButton::Middle, line, point, after);
}

void CControlDlg::OnHotKey(WPARAM id) {
    if (id != kHotkeyId) return;
    toggleOn = toggleOn ? 0 : 1;
    UpdateData(false);
    OnBnClickedOnOff();
}

// Whenever the panel's window goes, its timer stops and the overlay it drives
// goes with it. The overlay's owner is the main window, not the panel: when the
// main window goes, the system has destroyed the overlay before this runs
// ("DestroyWindow function": owned windows first), and only the timer is left.
void CControlDlg::OnDestroy() {
    ::KillTimer(hwnd(), kTimerId);
    ListenForClicks(false);
    rings.Close();
    if (sessionNotified_) win::UnregisterSessionNotifications(hwnd());
    overlay.DestroyWindow();
}
