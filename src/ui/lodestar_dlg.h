// The main window: hosts the control panel, carries the maker's link and the
// About entry, and extends the glass frame where composition is on.
#pragma once

#include <windows.h>

#include <atomic>

#include "settings/settings_file.h"
#include "ui/control_dlg.h"
#include "win/dwm.h"
#include "win/dialog.h"

class CLodestarDlg : public win::Dialog {
public:
    explicit CLodestarDlg(settings::SettingsFile file);

    // The main window while it exists, for the console handler's thread.
    static inline std::atomic<HWND> liveWindow{nullptr};

    CControlDlg controlPanel;
    BOOL glassEnabled = 0;
    win::GlassMargins glassMargins{};
    HICON appIcon = nullptr;

protected:
    std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

private:
    std::optional<LRESULT> OnSysCommand(WPARAM id, LPARAM lParam);
    std::optional<LRESULT> OnPaint();
    std::optional<LRESULT> OnCompositionChanged();
    std::optional<LRESULT> OnDpiChanged(int dpi);
    static win::GlassMargins GlassMarginsAt(int dpi) noexcept;
    std::optional<HBRUSH> OnCtlColor(HDC dc, HWND control, UINT kind) override;
    void OnDestroy() override;
};
