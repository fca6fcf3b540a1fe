#include "ui/control_dlg.h"

#include <cstdio>
#include <utility>

#include "resource.h"
#include "settings/settings_file.h"
#include "ui/hotkey_entry.h"
#include "ui/propaty_dlg.h"
#include "win/message_box.h"
#include "win/next_window.h"

CControlDlg::CControlDlg(settings::SettingsFile file)
    : win::Dialog(IDD_CONTROL),
      backgroundBrush(::CreateSolidBrush(RGB(200, 200, 200))),
      settingsFile(std::move(file)) {}

void CControlDlg::LoadSettings() { settings::LoadSettings(settings, settingsFile.path, settingsFile.readWriteMode); }
void CControlDlg::SaveSettings() { settings::SaveSettings(settings, settingsFile.path, settingsFile.readWriteMode); }

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
    overlay.trailOn = toggleOn;
    if (!toggleOn) {
        ::SetWindowTextW(Item(IDC_ONOFF), win::ResourceText(IDS_ON).c_str());
        return;
    }
    ::SetWindowTextW(Item(IDC_ONOFF), win::ResourceText(IDS_OFF).c_str());
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

    // Hidden while the dialog is open; the timer and the hotkey go on working.
    overlay.trailOn = 0;
    if (dialog.DoModal(::GetAncestor(hwnd(), GA_ROOT)) == IDOK) {
        settings = dialog.settings;
        ::UnregisterHotKey(hwnd(), kHotkeyId);
        if (settings.hotkeyEnabled) RegisterTrailHotkey(IDS_HOTKEY_DUPLICATE);
        ApplySettings();
        SaveSettings();
    }
    overlay.trailOn = toggleOn;
}

void CControlDlg::OnTimer(UINT_PTR id) {
    if (id != kTimerId) return;
    // The position cannot be read while the workstation is locked, on the
    // secure desktop or in a disconnected session ("GetCursorPos function",
    // Microsoft Docs); such a tick is skipped, or the trail would run from the
    // screen's corner after unlocking.
    POINT pointer{};
    if (!readPointer(&pointer)) return;
    overlay.UpdateTrail(pointer.x, pointer.y);
}

std::optional<HBRUSH> CControlDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
    const HBRUSH fallback = DefaultCtlColor(dc, control, kind);
    return (kind == CTLCOLOR_BTN || kind == CTLCOLOR_DLG) ? backgroundBrush.get() : fallback;
}

std::optional<LRESULT> CControlDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: OnTimer(wParam); return std::nullopt;  // default processing follows
    case WM_HOTKEY: OnHotKey(wParam); return 0;
    default: return win::Dialog::WindowProc(message, wParam, lParam);
    }
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
    overlay.DestroyWindow();
}
