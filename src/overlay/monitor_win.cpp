#include "overlay/monitor_win.h"

#include <algorithm>

#include "resource.h"
#include "trail/trail_renderer.h"
#include "win/dpi.h"
#include "win/screen.h"

namespace {

// Broadcast to every top-level window when Explorer (re)starts ("Taskbar
// Creation Notification", Microsoft Docs).
UINT TaskbarCreated() noexcept {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

}  // namespace

CMonitorWin::CMonitorWin() noexcept : win::Dialog(IDD_MONITOR) {}

void CMonitorWin::ResetOverlay() {
    const HWND self = hwnd();
    const LONG_PTR exStyle = ::GetWindowLongPtrW(self, GWL_EXSTYLE);
    ::SetWindowLongPtrW(self, GWL_EXSTYLE, exStyle | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    // Run as administrator, the program would not get Explorer's broadcast
    // from a lower integrity level without letting it through.
    ::ChangeWindowMessageFilterEx(self, TaskbarCreated(), MSGFLT_ALLOW, nullptr);

    colorKey = RGB(0, 0, 1);
    dialogBrush.reset(::CreateSolidBrush(colorKey));

    RECT outer{};
    ::GetWindowRect(self, &outer);
    keyedSize_ = {outer.right - outer.left, outer.bottom - outer.top};
    backBuffer.Create(keyedSize_.cx, keyedSize_.cy);
    // The overlay keeps its size on a move to a monitor of another DPI (OnGetDpiScaledSize).
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
    ::SetLayeredWindowAttributes(hwnd(), colorKey, trail::AlphaFromOpacity(style.opacityPercent),
                                 LWA_COLORKEY | LWA_ALPHA);
}

void CMonitorWin::SetStyle(const trail::TrailStyle& newStyle) noexcept {
    const bool switching = (newStyle.fade != 0) != (style.fade != 0);
    style = newStyle;
    if (!style.halo) halo.Close();
    if (switching)
        SwitchPresentation();
    else if (style.fade)
        restDrawn = 0;  // the opacity and colours go with the next update, even at rest
    else
        ApplyLayeredAttributes();
}

void CMonitorWin::SwitchPresentation() noexcept {
    const HWND self = hwnd();
    ::ShowWindow(self, SW_HIDE);
    frames.Stop();
    fading.Release();
    // A window that was given SetLayeredWindowAttributes takes
    // UpdateLayeredWindow only after its layered style has been cleared and
    // set again, and the other way round ("Using Layered Windows", Microsoft Docs).
    const LONG_PTR exStyle = ::GetWindowLongPtrW(self, GWL_EXSTYLE);
    ::SetWindowLongPtrW(self, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    ::SetWindowLongPtrW(self, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    if (!style.fade) {
        // Back to the fixed size the colour key's fitting works in.
        if (backBuffer.width() != keyedSize_.cx || backBuffer.height() != keyedSize_.cy)
            backBuffer.Create(keyedSize_.cx, keyedSize_.cy);
        ::SetWindowPos(self, nullptr, 0, 0, keyedSize_.cx, keyedSize_.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        ApplyLayeredAttributes();
    }
    // The next tick draws in the new way, also for a resting pointer.
    restDrawn = 0;
}

void CMonitorWin::UpdateTrail(int x, int y) {
    if (restart_) {
        history.fill({x, y});
        restart_ = false;
        restDrawn = 0;
    } else {
        trail::ShiftHistory(history, {x, y});
    }
    sampleDue_ = false;
    if (!trailOn) {
        frames.Stop();
        // The fading image and the halo are given back while the trail is off; the colour key's image is kept.
        if (style.fade) fading.Release();
        halo.Close();
        ::ShowWindow(hwnd(), SW_HIDE);
        return;
    }
    restTicks_ = trail::IsAtRest(history) ? restTicks_ + 1 : 0;
    // Frames run while the pointer moves, for the fading trail's head and the
    // halo: from a sample that differs from the one before to one that does not.
    if ((style.fade || style.halo) && history[0] != history[1])
        frames.Start(hwnd(), kFrameTimerId);
    else
        frames.Stop();
    if (style.fade) {
        // A flick's large image is given back once the pointer has rested a
        // while; the resting trail is shown again in a small one.
        if (restTicks_ == kRestTicksBeforeShrinking && fading.shown()) {
            fading.Release();
            ShowFadingTrail(history[0]);
        }
    }
    if (trail::DecideRest(history, restDrawn) == trail::TickDecision::Skip) return;
    if (style.fade) {
        // While frames run, the next frame shows the sample with its head in
        // one pass: a sample presented on its own would show the head twice
        // within a frame, and under Wine every present costs a round of
        // server calls and the window's shape worked out anew from its pixels.
        sampleDue_ = frames.running() && fading.shown();
        if (!sampleDue_) ShowFadingSample(history[0]);
        return;
    }

    trail::FitTrail(history, backBuffer.width(), backBuffer.height(), fittedPoints);
    DrawTrail();
    const int drawnAt = backBuffer.dpi();
    PlaceWindow();
    // The move took the overlay onto a monitor of another DPI (WM_DPICHANGED
    // came inside it): the trail is drawn again at that DPI before anything is
    // shown. The size does not change with the DPI, so the second placement
    // moves it by half a pen's width at most; a DPI change that this brings is
    // drawn at the next tick, never here, so a tick never loops.
    if (backBuffer.dpi() != drawnAt) {
        DrawTrail();
        PlaceWindow();
    }
    // Painted at once, not at the next WM_PAINT: a compositor frame between
    // the move and the repaint would show the old trail at the new place.
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    ::UpdateWindow(hwnd());
}

void CMonitorWin::DrawFrame(int x, int y) {
    if (!trailOn) return;
    const trail::Point pointer{x, y};
    if (OverPanel(pointer)) {
        if (style.fade) fading.Hide(hwnd());
        halo.Hide();
        return;
    }
    if (style.halo) halo.Follow({x, y});
    if (!style.fade) return;
    if (sampleDue_) {
        sampleDue_ = false;
        return ShowFadingSample(pointer);
    }
    fading.ShowFrame(pointer);
}

void CMonitorWin::DrawTrail() {
    // One DC for the whole drawing, given back before the window is painted.
    const win::BufferDC dc(backBuffer);
    trail::ClearImage(dc.get(), backBuffer, colorKey);
    trail::DrawLine(dc.get(), backBuffer, fittedPoints, style);
    newestDrawnPos = trail::DrawPoints(dc.get(), backBuffer, fittedPoints, style);
}

void CMonitorWin::ShowFadingSample(trail::Point pointer) noexcept {
    const int drawnAt = backBuffer.dpi();
    ShowFadingTrail(pointer);
    // As below: moved onto a monitor of another DPI, drawn again at once.
    if (backBuffer.dpi() != drawnAt) ShowFadingTrail(pointer);
}

void CMonitorWin::ShowFadingTrail(trail::Point pointer) noexcept {
    // Nothing is drawn for a window that stays hidden.
    if (OverPanel()) {
        fading.Hide(hwnd());
        halo.Hide();
        return;
    }
    const RECT virtualScreen = win::VirtualScreen();
    const trail::Rect screen{virtualScreen.left, virtualScreen.top, virtualScreen.right, virtualScreen.bottom};
    if (fading.ShowSample(hwnd(), InsertAfter(), history, style, screen, pointer))
        ShowHalo({pointer.x, pointer.y});
    else
        halo.Hide();
    newestDrawnPos = fading.newest();
}

void CMonitorWin::ShowHalo(POINT pointer) noexcept {
    if (style.halo) halo.Show(pointer, style.pointColor, style.opacityPercent, hwnd());
}

bool CMonitorWin::OverPanel() const noexcept { return OverPanel(history[0]); }

bool CMonitorWin::OverPanel(trail::Point pointer) const noexcept {
    RECT panel{};
    return ::GetWindowRect(panelHwnd, &panel) && ::PtInRect(&panel, POINT{pointer.x, pointer.y});
}

HWND CMonitorWin::InsertAfter() noexcept {
    // FindWindowW walks every top-level window (0.75 ms a call under Wine, at
    // every sample): the companion found is kept while its window lives, and
    // while there is none it is looked for at every 20th call, about once a
    // second while the trail moves (a resting trail asks nothing).
    constexpr int kLookupEvery = 20;
    if (companion_ && !::IsWindow(companion_)) companion_ = nullptr;
    if (!companion_ && --companionLookupIn_ < 0) {
        companion_ = ::FindWindowW(nullptr, kCompanionWindowTitle);
        companionLookupIn_ = kLookupEvery - 1;
    }
    return (companion_ && ::IsWindowVisible(companion_)) ? companion_ : HWND_TOPMOST;
}

void CMonitorWin::PlaceWindow() {
    const POINT pointer{history[0].x, history[0].y};
    RECT own{};
    ::GetWindowRect(hwnd(), &own);

    if (OverPanel()) {
        ::ShowWindow(hwnd(), SW_HIDE);
        halo.Hide();
        return;
    }

    const HWND after = InsertAfter();
    // Never activating: an activated overlay would rise above the companion and
    // take the keyboard from whatever the user works in. The old pixels are not
    // copied or redrawn: the whole window is repainted right after the move.
    ::SetWindowPos(hwnd(), after, pointer.x - newestDrawnPos.x, pointer.y - newestDrawnPos.y, own.right - own.left,
                   own.bottom - own.top, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
    ShowHalo(pointer);
}

void CMonitorWin::Suspend() noexcept {
    if (restart_) return;
    restart_ = true;
    sampleDue_ = false;
    frames.Stop();
    fading.Hide(hwnd());
    halo.Hide();
    // The fading image is given back, as while the trail is off; the colour key's is kept.
    if (style.fade) fading.Release();
}

void CMonitorWin::OnDisplayChange() noexcept {
    // A point on no monitor lies where a monitor was unplugged or moved away:
    // the trail would be drawn toward it.
    const bool offEveryMonitor = std::any_of(history.begin(), history.end(), [](trail::Point p) {
        return ::MonitorFromPoint(POINT{p.x, p.y}, MONITOR_DEFAULTTONULL) == nullptr;
    });
    if (offEveryMonitor) return Suspend();
    // The fading image is made again within the new virtual screen at the next tick.
    if (style.fade) fading.Release();
    restDrawn = 0;
}

void CMonitorWin::OnTaskbarCreated() noexcept {
    if (!::IsWindowVisible(hwnd())) return;
    // Each goes just below the companion or on top: the head above the trail, as they are shown.
    const HWND after = InsertAfter();
    constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    ::SetWindowPos(hwnd(), after, 0, 0, 0, 0, kKeepPlace);
    if (style.fade && fading.headWindow() && ::IsWindowVisible(fading.headWindow()))
        ::SetWindowPos(fading.headWindow(), after, 0, 0, 0, 0, kKeepPlace);
    if (halo.shown()) ::SetWindowPos(halo.window(), hwnd(), 0, 0, 0, 0, kKeepPlace);
}

std::optional<LRESULT> CMonitorWin::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const UINT taskbarCreated = TaskbarCreated(); message == taskbarCreated && taskbarCreated != 0) {
        OnTaskbarCreated();
        return 0;
    }
    switch (message) {
    case WM_DISPLAYCHANGE: OnDisplayChange(); break;
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return TRUE;  // OnPaint covers every pixel
    case WM_GETDPISCALEDSIZE: return OnGetDpiScaledSize(reinterpret_cast<SIZE*>(lParam));
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam)); return 0;
    case WM_TIMER:
        if (wParam != kFrameTimerId) break;
        if (POINT pointer{}; ::GetCursorPos(&pointer)) DrawFrame(pointer.x, pointer.y);
        return 0;
    case WM_DESTROY:
        frames.Stop();
        fading.Close();
        halo.Close();
        break;
    default: break;
    }
    return win::Dialog::WindowProc(message, wParam, lParam);
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

// A move onto a monitor of another DPI happens inside PlaceWindow's
// SetWindowPos: Windows asks for the size at the new DPI (WM_GETDPISCALEDSIZE)
// and then suggests a rectangle of that size (WM_DPICHANGED) ("WM_DPICHANGED
// message", Microsoft Docs). The overlay keeps its size in pixels: a window
// that grew or shrank at the border of a 100 % and a 150 % monitor could
// put its larger part back on the first monitor and change DPI again at every
// tick. Only the drawing follows the DPI, so the pens keep their point sizes.
BOOL CMonitorWin::OnGetDpiScaledSize(SIZE* size) const noexcept {
    RECT own{};
    if (!size || !::GetWindowRect(hwnd(), &own)) return FALSE;
    *size = {own.right - own.left, own.bottom - own.top};
    return TRUE;
}

void CMonitorWin::OnDpiChanged(int dpi) {
    // The suggested rectangle is the one the window is being moved to, at the
    // size answered above: taking it would be a second move nested in the
    // first. The tick that moved draws again at the new DPI (UpdateTrail), and
    // a change outside a tick (the monitor's scaling changed) is drawn by the
    // next one, also for a resting pointer.
    backBuffer.SetDpi(dpi);
    restDrawn = 0;
}

std::optional<HBRUSH> CMonitorWin::OnCtlColor(HDC dc, HWND control, UINT kind) {
    const HBRUSH fallback = DefaultCtlColor(dc, control, kind);
    return kind == CTLCOLOR_DLG ? dialogBrush.get() : fallback;
}
