// The main window: hosts the control panel, carries the maker's link and the
// About entry, and extends the glass frame where composition is on.
#pragma once

#include <windows.h>

#include <atomic>

#include "ui/control_dlg.h"
#include "win/dwm.h"
#include "win/dialog.h"

// The maker's home page, opened by the link controls.
inline constexpr wchar_t kHomePageUrl[] = L"https://www.example.com/brackenwood/";

// Opens the maker's home page for a dialog; shared by the main window and the About box.
void OnLinkClick(HWND dialog, const NMHDR* header, LRESULT* result);
// The WM_NOTIFY filter of the main window and the About box: a click on their
// link control (IDC_LINK) goes to OnLinkClick; anything else is not handled.
std::optional<LRESULT> OnLinkNotify(HWND dialog, const NMHDR* header);

class CLodestarDlg : public win::Dialog {
public:
    CLodestarDlg();
    BOOL DestroyWindow() override;

    // The main window while it exists, for the console handler's thread.
    static inline std::atomic<HWND> liveWindow{nullptr};

    CControlDlg controlPanel;
    BOOL glassEnabled = 0;
    GlassMargins glassMargins{};
    HICON appIcon = nullptr;

protected:
    std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnInitDialog() override;

private:
    std::optional<LRESULT> OnSysCommand(WPARAM id, LPARAM lParam);
    std::optional<LRESULT> OnPaint();
    std::optional<LRESULT> OnCompositionChanged();
    std::optional<LRESULT> OnDpiChanged(int dpi);
    static GlassMargins GlassMarginsAt(int dpi) noexcept;
    HBRUSH OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam);
};
