#include "ui/lodestar_dlg.h"

#include <commctrl.h>

#include <utility>

#include "resource.h"
#include "ui/about_dlg.h"
#include "ui/home_page_link.h"
#include "win/dpi.h"
#include "win/gdi.h"

#ifndef WM_DWMCOMPOSITIONCHANGED
#define WM_DWMCOMPOSITIONCHANGED 0x031E
#endif

CLodestarDlg::CLodestarDlg(settings::SettingsFile file)
    : win::Dialog(IDD_MAIN),
      controlPanel(std::move(file)),
      appIcon(::LoadIconW(win::ResourceModule(), MAKEINTRESOURCEW(IDI_APP))) {}

BOOL CLodestarDlg::OnInitDialog() {
    win::Dialog::OnInitDialog();
    liveWindow.store(hwnd());
    AddAboutMenuItem(hwnd());
    ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon));
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon));

    controlPanel.Create(hwnd());
    ::ShowWindow(controlPanel.hwnd(), SW_SHOW);

    win::QueryGlassComposition(&glassEnabled);
    glassMargins = GlassMarginsAt(win::WindowDpi(hwnd()));
    if (glassEnabled) win::ExtendGlassFrame(hwnd(), &glassMargins);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    return TRUE;
}

// The band is 8, 9, 24 and 5 pixels at 96 DPI; a per-monitor-aware window
// keeps its pixels on a 150 % monitor unless they are scaled with it.
win::GlassMargins CLodestarDlg::GlassMarginsAt(int dpi) noexcept {
    return {::MulDiv(8, dpi, USER_DEFAULT_SCREEN_DPI), ::MulDiv(9, dpi, USER_DEFAULT_SCREEN_DPI),
            ::MulDiv(24, dpi, USER_DEFAULT_SCREEN_DPI), ::MulDiv(5, dpi, USER_DEFAULT_SCREEN_DPI)};
}

std::optional<LRESULT> CLodestarDlg::OnDpiChanged(int dpi) {
    glassMargins = GlassMarginsAt(dpi);
    if (glassEnabled) win::ExtendGlassFrame(hwnd(), &glassMargins);
    return std::nullopt;  // the dialog manager lays the window out at the new DPI
}

std::optional<LRESULT> CLodestarDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND: return OnSysCommand(wParam, lParam);
    case WM_PAINT: return OnPaint();
    case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(appIcon);
    case WM_NOTIFY: return OnLinkNotify(hwnd(), reinterpret_cast<const NMHDR*>(lParam));
    case WM_DWMCOMPOSITIONCHANGED: return OnCompositionChanged();
    case WM_DPICHANGED: return OnDpiChanged(HIWORD(wParam));
    default: return win::Dialog::WindowProc(message, wParam, lParam);
    }
}

std::optional<LRESULT> CLodestarDlg::OnSysCommand(WPARAM id, LPARAM) {
    if ((id & 0xFFF0) != IDM_ABOUTBOX) return std::nullopt;
    CAboutDlg about;
    about.DoModal(hwnd());
    return 0;
}

std::optional<LRESULT> CLodestarDlg::OnPaint() {
    if (!::IsIconic(hwnd())) return std::nullopt;
    const win::PaintScope paint(hwnd());
    ::SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.dc()), 0);
    const int cx = ::GetSystemMetrics(SM_CXICON);
    const int cy = ::GetSystemMetrics(SM_CYICON);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const int x = (client.right - client.left - cx + 1) / 2;
    const int y = (client.bottom - client.top - cy + 1) / 2;
    ::DrawIcon(paint.dc(), x, y, appIcon);
    return 0;
}

std::optional<LRESULT> CLodestarDlg::OnCompositionChanged() {
    win::QueryGlassComposition(&glassEnabled);
    if (glassEnabled) win::ExtendGlassFrame(hwnd(), &glassMargins);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    return std::nullopt;
}

std::optional<HBRUSH> CLodestarDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
    const HBRUSH fallback = DefaultCtlColor(dc, control, kind);
    if (!glassEnabled) return fallback;
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
}

// The panel goes first, before the system destroys the main window's other
// children, so that its timer stops while the window it sits in still exists.
// The overlay is already gone: the system destroys windows the main window
// owns before this runs ("DestroyWindow function").
void CLodestarDlg::OnDestroy() {
    liveWindow.store(nullptr);
    controlPanel.DestroyWindow();
}
