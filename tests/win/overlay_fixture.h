// The overlay window made from its template, beside a stand-in for the panel.
#pragma once

#include <gtest/gtest.h>

#include "overlay/monitor_win.h"
#include "test_support.h"

inline constexpr RECT kPanelRect{100, 100, 300, 200};

class OverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(panel.hwnd(), nullptr);
        ASSERT_TRUE(overlay.Create(panel.hwnd()));
        overlay.panelHwnd = panel.hwnd();
        overlay.ResetOverlay();
    }
    void TearDown() override { overlay.DestroyWindow(); }

    RECT OverlayRect() const {
        RECT r{};
        ::GetWindowRect(overlay.hwnd(), &r);
        return r;
    }
    bool Visible() const { return ::IsWindowVisible(overlay.hwnd()) != FALSE; }

    // Moves the pointer along a short diagonal ending at (x, y).
    void MoveTo(int x, int y) {
        for (int i = 5; i >= 0; --i) overlay.UpdateTrail(x - 3 * i, y - 2 * i);
    }

    // Thickness of the red line in the middle column after a horizontal movement.
    int LineThickness() {
        overlay.trailOn = 1;
        overlay.style.drawPoints = 0;
        overlay.style.straightLines = 1;
        for (int i = 0; i < trail::kHistoryLength; ++i) overlay.UpdateTrail(500 + 20 * i, 400);
        return testing_support::MiddleColumnCount(overlay.backBuffer, RGB(255, 0, 0));
    }
    SIZE Size() const {
        const RECT r = OverlayRect();
        return {r.right - r.left, r.bottom - r.top};
    }

    testing_support::PlainWindow panel{L"panel", kPanelRect};
    CMonitorWin overlay;
};
