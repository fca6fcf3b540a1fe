// The control panel inside the main window: the ON/OFF toggle, the settings
// button, the 50 ms timer that drives the overlay and the global hotkey.
#pragma once

#include <windows.h>

#include <string>

#include "overlay/monitor_win.h"
#include "overlay/ring_windows.h"
#include "settings/settings_file.h"
#include "settings/trail_settings.h"
#include "trail/shake.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/session.h"

class CControlDlg : public win::Dialog {
public:
    static constexpr UINT_PTR kTimerId = 101;
    static constexpr UINT kTimerPeriodMs = 50;
    static constexpr int kHotkeyId = 103;

    explicit CControlDlg(settings::SettingsFile file);

    void LoadSettings();
    void SaveSettings();
    void ApplySettings();

    win::Brush backgroundBrush;
    CMonitorWin overlay;
    // Rings at mouse presses while the trail is on and they are chosen.
    RingWindows rings;
    settings::TrailSettings settings;
    settings::SettingsFile settingsFile;
    BOOL toggleOn = 0;
    bool settingsOpen = false;
    // Where the timer reads the pointer and how hotkey 103 is registered;
    // tests put their own here.
    BOOL(WINAPI* readPointer)(LPPOINT) = ::GetCursorPos;
    BOOL(WINAPI* registerHotKey)(HWND, int, UINT, UINT) = ::RegisterHotKey;
    win::SessionLock (*querySessionLock)() noexcept = win::QuerySessionLock;
    bool (*registerSession)(HWND) noexcept = win::RegisterSessionNotifications;
    // Whether any mouse button is held down now, and the DPI of the monitor under a point.
    bool (*buttonsHeld)() noexcept = AnyMouseButtonHeld;
    int (*monitorDpi)(POINT) noexcept = win::PointDpi;
    static bool AnyMouseButtonHeld() noexcept;
    // Ticks between two questions whether a locked session still is.
    static constexpr int kLockQueryTicks = 20;

protected:
    std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;
    void DoDataExchange(win::DataExchange& dx) override;
    std::optional<LRESULT> OnCommand(WORD id, WORD code) override;

private:
    void OnBnClickedOnOff();
    void OnBnClickedSettings();
    // Minimised without taking the keyboard; the keyboard handed back to the user's window.
    void MinimiseMainWindow();
    void OnTimer(UINT_PTR id);
    void OnHotKey(WPARAM id);
    void OnDestroy() override;
    std::optional<HBRUSH> OnCtlColor(HDC dc, HWND control, UINT kind) override;
    // Raw mouse input for the panel window, or none; only on a change.
    void ListenForClicks(bool on) noexcept;
    void OnRawInput(HRAWINPUT input) noexcept;
    bool listening_ = false;
    bool sessionNotified_ = false;
    // Ticks until the session notifications are asked for again, and the
    // wait after the next failure: doubled at each, up to a minute.
    int sessionRetryIn_ = 0;
    int sessionRetryTicks_ = 1;
    // From a lock (or a disconnect) until the unlock, a switch of the trail,
    // or the session manager's word that the session is not locked.
    bool sessionAway_ = false;
    int ticksSinceLockQuery_ = 0;
    bool SessionAway() noexcept;
    // Shake to find: the pointer's samples, and the DPI under the last one moved to.
    void LookForShake(POINT pointer) noexcept;
    trail::ShakeRecogniser shake_;
    POINT shakeAt_{};
    int shakeDpi_ = 96;
    // Registers hotkey 103; a failure is printed and shown with the given text.
    void RegisterTrailHotkey(UINT failureMessage);
};
