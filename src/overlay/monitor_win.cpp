#include "overlay/monitor_win.h"

#include "resource.h"
#include "settings/trail_settings.h"
#include "trail/trail_renderer.h"
#include "win/dpi.h"

CMonitorWin::CMonitorWin() noexcept : win::Dialog(IDD_MONITOR) {}

void CMonitorWin::ResetOverlay() {
    const HWND self = hwnd();
    const LONG_PTR exStyle = ::GetWindowLongPtrW(self, GWL_EXSTYLE);
    ::SetWindowLongPtrW(self, GWL_EXSTYLE, exStyle | WS_EX_LAYERED | WS_EX_TRANSPARENT);

    colorKey = RGB(0, 0, 1);
    dialogBrush.reset(::CreateSolidBrush(colorKey));

    RECT outer{};
    ::GetWindowRect(self, &outer);
    backBuffer.Create(outer.right - outer.left, outer.bottom - outer.top);
    // The overlay sizes itself on a move to a monitor of another DPI (OnDpiChanged).
    win::KeepDialogLayoutOnDpiChange(self);
    backBuffer.SetDpi(win::WindowDpi(self));

    POINT cursor{};
    ::GetCursorPos(&cursor);
    history.fill({cursor.x, cursor.y});

    trail::ClearImage(win::BufferDC(backBuffer).get(), backBuffer, colorKey);
    ApplyLayeredAttributes();
    restDrawn = 0;
}

void CMonitorWin::ApplyLayeredAttributes() const noexcept {
    ::SetLayeredWindowAttributes(hwnd(), colorKey, settings::AlphaFromOpacity(style.opacityPercent),
                                 LWA_COLORKEY | LWA_ALPHA);
}

void CMonitorWin::UpdateTrail(int x, int y) {
    trail::ShiftHistory(history, {x, y});
    if (!trailOn) {
        ::ShowWindow(hwnd(), SW_HIDE);
        return;
    }
    if (trail::DecideRest(history, restDrawn) == trail::TickDecision::Skip) return;

    trail::FitTrail(history, backBuffer.width(), backBuffer.height(), fittedPoints);
    {
        // One DC for the whole drawing, given back before the window is painted.
        const win::BufferDC dc(backBuffer);
        trail::ClearImage(dc.get(), backBuffer, colorKey);
        if (style.straightLines)
            trail::DrawStraightLines(dc.get(), backBuffer, fittedPoints, style);
        else
            trail::DrawCurve(dc.get(), backBuffer, fittedPoints, style);
        newestDrawnPos = trail::DrawPoints(dc.get(), backBuffer, fittedPoints, style);
    }
    PlaceWindow();
    // Painted at once, not at the next WM_PAINT: a compositor frame between
    // the move and the repaint would show the old trail at the new place.
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    ::UpdateWindow(hwnd());
}

void CMonitorWin::PlaceWindow() {
    const POINT pointer{history[0].x, history[0].y};
    RECT own{};
    ::GetWindowRect(hwnd(), &own);

    RECT panel{};
    if (::GetWindowRect(panelHwnd, &panel) && ::PtInRect(&panel, pointer)) {
        ::ShowWindow(hwnd(), SW_HIDE);
        return;
    }

    const HWND companion = ::FindWindowW(nullptr, kCompanionWindowTitle);
    const HWND after = (companion && ::IsWindowVisible(companion)) ? companion : HWND_TOPMOST;
    // Never activating: an activated overlay would rise above the companion and
    // take the keyboard from whatever the user works in. The old pixels are not
    // copied or redrawn: the whole window is repainted right after the move.
    ::SetWindowPos(hwnd(), after, pointer.x - newestDrawnPos.x, pointer.y - newestDrawnPos.y, own.right - own.left,
                   own.bottom - own.top, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
}

BOOL CMonitorWin::DestroyWindow() { return win::Dialog::DestroyWindow(); }

std::optional<LRESULT> CMonitorWin::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (win::IsCtlColorMessage(message)) return reinterpret_cast<LRESULT>(OnCtlColor(message, wParam, lParam));
    switch (message) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return TRUE;  // OnPaint covers every pixel
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam)); return 0;
    default: return win::Dialog::WindowProc(message, wParam, lParam);
    }
}

void CMonitorWin::OnPaint() {
    const win::PaintScope paint(hwnd());
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    if (!backBuffer.exists()) {
        const win::Brush key(::CreateSolidBrush(colorKey));
        ::FillRect(paint.dc(), &client, key.get());
        return;
    }
    ::SetStretchBltMode(paint.dc(), HALFTONE);
    const win::BufferDC image(backBuffer);
    ::StretchBlt(paint.dc(), 0, 0, client.right - client.left, client.bottom - client.top, image.get(), 0, 0,
                 backBuffer.width(), backBuffer.height(), SRCCOPY);
}

void CMonitorWin::OnDpiChanged(int dpi) {
    // The template's size at the new DPI, not the system's suggestion: dialog
    // units do not scale in proportion to the DPI. The image keeps mapping 1:1
    // onto the window, and the next tick draws, also for a resting pointer.
    const SIZE size = win::TemplateSizeAtDpi(hwnd(), IDD_MONITOR, dpi);
    if (size.cx <= 0 || size.cy <= 0) return;
    ::SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    backBuffer.Create(size.cx, size.cy);
    backBuffer.SetDpi(dpi);
    trail::ClearImage(win::BufferDC(backBuffer).get(), backBuffer, colorKey);
    restDrawn = 0;
}

HBRUSH CMonitorWin::OnCtlColor(UINT message, WPARAM wParam, LPARAM lParam) {
    const HBRUSH fallback = DefaultCtlColor(message, wParam, lParam);
    return win::CtlColorKind(message) == CTLCOLOR_DLG ? dialogBrush.get() : fallback;
}
