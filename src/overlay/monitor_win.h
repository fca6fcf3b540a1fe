// The layered, click-through popup that shows the pointer trail.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "trail/trail_geometry.h"
#include "trail/trail_style.h"
#include "win/back_buffer.h"
#include "win/dialog.h"
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
    // Hides the overlay over the panel, otherwise puts the newest drawn pixel under the pointer.
    void PlaceWindow();

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

protected:
    std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Sets the layered attributes for the current colour key and opacity.
    void ApplyLayeredAttributes() const noexcept;
    // From the colour key to per-pixel alpha or back.
    void SwitchPresentation() noexcept;
    // A fading tick: the trail at true scale, drawn and shown in one update.
    void ShowFadingTrail() noexcept;
    // Whether the pointer is over the panel, where the overlay hides.
    bool OverPanel() const noexcept;
    // The window above which the overlay keeps itself.
    static HWND InsertAfter() noexcept;
    void OnPaint();
    // Draws the fitted trail into the back buffer at its DPI.
    void DrawTrail();
    // Moved to a monitor of another DPI: the size stays, the drawing takes the new DPI.
    BOOL OnGetDpiScaledSize(SIZE* size) const noexcept;
    void OnDpiChanged(int dpi);
    std::optional<HBRUSH> OnCtlColor(HDC dc, HWND control, UINT kind) override;

    // The window's size for the colour key, from its template.
    SIZE keyedSize_{};
    // Scratch room of the fading drawing, one byte a pixel of the image.
    std::vector<std::uint8_t> claimed_;
};
