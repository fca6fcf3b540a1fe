// The layered, click-through popup that shows the pointer trail.
#pragma once

#include <windows.h>

#include <cstdint>

#include "overlay/fading_layer.h"
#include "overlay/halo_window.h"
#include "trail/trail_geometry.h"
#include "trail/trail_style.h"
#include "win/back_buffer.h"
#include "win/dialog.h"
#include "win/frame_clock.h"
#include "win/gdi.h"

// Title of the companion program's window that the overlay keeps just below.
inline constexpr wchar_t kCompanionWindowTitle[] = L"_BRACKENWOOD_VEILPAN";

class CMonitorWin : public win::Dialog {
public:
    CMonitorWin() noexcept;

    // Layered style, colour key, back buffer of the window's size, history
    // filled with the current pointer position, first alpha.
    void ResetOverlay();
    // One timer tick with the pointer's screen position.
    void UpdateTrail(int x, int y);
    // A frame between two ticks with the pointer's live position: the fading
    // trail's head drawn on to it, the halo moved to it.
    void DrawFrame(int x, int y);
    // Hides the overlay over the panel, otherwise puts the newest drawn pixel under the pointer.
    void PlaceWindow();
    // Hides the trail (and the halo) and starts its history afresh at the next tick's point:
    // the pointer could not be read (a locked workstation, the secure
    // desktop), the session was locked, or the trail ran to a monitor now gone.
    void Suspend() noexcept;
    // The window above which the overlay keeps itself, and the click rings with it:
    // a visible companion's, else HWND_TOPMOST.
    HWND InsertAfter() noexcept;

    // The drawing style, its opacity included, from the next tick on; a change
    // of fading switches the way the window is shown at once.
    void SetStyle(const trail::TrailStyle& newStyle) noexcept;

    win::BackBuffer backBuffer;
    COLORREF colorKey = 0x00010000;
    win::Brush dialogBrush;
    trail::PointArray fittedPoints{};
    trail::TrailHistory history{};
    trail::Point newestDrawnPos{};
    std::int32_t trailOn = 0;
    trail::TrailStyle style;
    HWND panelHwnd = nullptr;
    std::int32_t restDrawn = 0;
    // The fading trail's window and image, and the clock of its frames.
    FadingLayer fading{backBuffer};
    win::FrameClock frames;
    // The halo around the pointer, shown and hidden with the trail.
    HaloWindow halo;
    static constexpr UINT_PTR kFrameTimerId = 2;
    // Resting ticks after which a fading trail gives its image back.
    static constexpr int kRestTicksBeforeShrinking = 20;

protected:
    std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Sets the layered attributes for the current colour key and opacity.
    void ApplyLayeredAttributes() const noexcept;
    // From the colour key to per-pixel alpha or back.
    void SwitchPresentation() noexcept;
    // A fading tick: the trail at true scale, its head at `pointer`, drawn and shown in one update.
    void ShowFadingTrail(trail::Point pointer) noexcept;
    // The same, and again when that took the trail onto a monitor of another DPI.
    void ShowFadingSample(trail::Point pointer) noexcept;
    // The halo at `pointer` just below the trail's window, when it is chosen.
    void ShowHalo(POINT pointer) noexcept;
    // Whether the pointer is over the panel, where the overlay hides.
    bool OverPanel() const noexcept;
    bool OverPanel(trail::Point pointer) const noexcept;
    void OnPaint();
    // Draws the fitted trail into the back buffer at its DPI.
    void DrawTrail();
    // Moved to a monitor of another DPI: the size stays, the drawing takes the new DPI.
    BOOL OnGetDpiScaledSize(SIZE* size) const noexcept;
    void OnDpiChanged(int dpi);
    std::optional<HBRUSH> OnCtlColor(HDC dc, HWND control, UINT kind) override;
    // A monitor came or went, or the virtual screen changed.
    void OnDisplayChange() noexcept;
    // Explorer made a new taskbar, topmost and above us: the overlay goes on top again.
    void OnTaskbarCreated() noexcept;

    // The window's size for the colour key, from its template.
    SIZE keyedSize_{};
    // Ticks the pointer has rested for.
    int restTicks_ = 0;
    // The next tick fills the history with its point instead of adding it.
    bool restart_ = false;
    // A sample taken while frames run, for the next frame to show with its head.
    bool sampleDue_ = false;
    // The companion's window as last found, and the calls until it is looked for again.
    HWND companion_ = nullptr;
    int companionLookupIn_ = 0;
};
