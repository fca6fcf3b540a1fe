// At 150 % (144 DPI), as a per-monitor-aware program sees it on Windows: sharp
// pens of the right width, and the overlay and the dialogs laid out at that
// DPI. Runs in the 144 DPI Wine prefix; skips itself anywhere else.
#include <gtest/gtest.h>

#include "overlay/monitor_win.h"
#include "resource.h"
#include "test_support.h"
#include "trail/trail_renderer.h"
#include "ui/about_dlg.h"
#include "ui/lodestar_dlg.h"
#include "ui/propaty_dlg.h"
#include "win/dpi.h"

using testing_support::PlainWindow;

namespace {

class HighDpi : public ::testing::Test {
protected:
    void SetUp() override {
        if (win::WindowDpi(panel.hwnd()) != 144) GTEST_SKIP() << "runs in the 144 DPI prefix";
        ASSERT_TRUE(overlay.Create(panel.hwnd()));
        overlay.panelHwnd = panel.hwnd();
        overlay.ResetOverlay();
    }
    void TearDown() override {
        if (overlay.hwnd()) overlay.DestroyWindow();
    }

    PlainWindow panel{L"panel", RECT{0, 0, 50, 50}};
    CMonitorWin overlay;
};

SIZE ClientSize(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    return {r.right, r.bottom};
}

TEST_F(HighDpi, PenWidthsAreTheirPointsAtTheMonitorDpi) {
    trail::PointArray path{};
    for (int i = 0; i < trail::kHistoryLength; ++i) path[i] = {-140 + 20 * i, 0};
    trail::TrailStyle style;
    style.drawPoints = 0;
    style.lineColor = RGB(255, 0, 0);
    for (const auto& [points, pixels] : {std::pair{2, 4}, std::pair{5, 10}, std::pair{10, 20}}) {
        style.lineWidthPt = points;
        trail::ClearImage(win::BufferDC(overlay.backBuffer).get(), overlay.backBuffer, overlay.colorKey);
        trail::DrawStraightLines(win::BufferDC(overlay.backBuffer).get(), overlay.backBuffer, path, style);
        EXPECT_EQ(testing_support::MiddleColumnCount(overlay.backBuffer, RGB(255, 0, 0)), pixels)
            << points << " points";
    }
}

TEST_F(HighDpi, OverlayIsItsTemplateAtTheDpiAndTheEdgeMarginFollowsThePen) {
    RECT r{};
    ::GetWindowRect(overlay.hwnd(), &r);
    const SIZE expected = testing_support::TemplateSizeAtDpi(overlay.hwnd(), IDD_MONITOR, 144);
    EXPECT_EQ(r.right - r.left, expected.cx);
    EXPECT_EQ(r.bottom - r.top, expected.cy);
    EXPECT_EQ(overlay.backBuffer.width(), expected.cx);
    EXPECT_EQ(overlay.backBuffer.height(), expected.cy);
    EXPECT_EQ(overlay.backBuffer.dpi(), 144);

    // A point far to the left and above, drawn as a 5-point dot: 10 px, margin 30 + 5.
    trail::PointArray distant{};
    distant.fill({-100000, -100000});
    trail::TrailStyle style;
    style.drawLines = 0;
    style.pointWidthPt = 5;
    const trail::Point newest =
        trail::DrawPoints(win::BufferDC(overlay.backBuffer).get(), overlay.backBuffer, distant, style);
    EXPECT_EQ(newest.x, 35);
    EXPECT_EQ(newest.y, 35);
}

TEST_F(HighDpi, DialogsAreLaidOutAtTheDpiNotStretchedAndHoldTheirControls) {
    // Each template at 144 DPI through its own font, as the dialog manager lays it out.
    CPropatyDlg settingsDialog;
    ASSERT_TRUE(settingsDialog.Create(nullptr));
    const SIZE settingsSize = ClientSize(settingsDialog.hwnd());
    EXPECT_EQ(settingsSize.cx, testing_support::TemplateSizeAtDpi(settingsDialog.hwnd(), IDD_SETTINGS, 144).cx);
    EXPECT_EQ(settingsSize.cy, testing_support::TemplateSizeAtDpi(settingsDialog.hwnd(), IDD_SETTINGS, 144).cy);
    testing_support::ExpectLaidOutInside(settingsDialog.hwnd(), "the settings dialog");
    testing_support::ExpectInsideGroupBox(settingsDialog.hwnd(), testing_support::InLanguage(L"描画方法", L"Style"),
                                          {IDC_CURVE, IDC_STRAIGHT, IDC_TAPERED});
    testing_support::ExpectInsideGroupBox(settingsDialog.hwnd(), testing_support::InLanguage(L"描画対象", L"Draw"),
                                          {IDC_DRAW_BOTH, IDC_DRAW_POINTS, IDC_DRAW_LINES, IDC_CLICKS, IDC_HALO});
    testing_support::ExpectInsideGroupBox(settingsDialog.hwnd(),
                                          testing_support::InLanguage(L"透明度(薄い⇔濃い)", L"Opacity (light - dark)"),
                                          {IDC_OPACITY, IDC_FADE, IDC_SHAKE});
    settingsDialog.DestroyWindow();

    CAboutDlg about;
    ASSERT_TRUE(about.Create(nullptr));
    EXPECT_EQ(ClientSize(about.hwnd()).cx, testing_support::TemplateSizeAtDpi(about.hwnd(), IDD_ABOUTBOX, 144).cx);
    EXPECT_EQ(ClientSize(about.hwnd()).cy, testing_support::TemplateSizeAtDpi(about.hwnd(), IDD_ABOUTBOX, 144).cy);
    testing_support::ExpectLaidOutInside(about.hwnd(), "the About box");
    about.DestroyWindow();

    CLodestarDlg main(settings::SettingsFile{L"", 0});  // touches no file
    ASSERT_TRUE(main.Create(nullptr));
    EXPECT_EQ(ClientSize(main.hwnd()).cx, testing_support::TemplateSizeAtDpi(main.hwnd(), IDD_MAIN, 144).cx);
    testing_support::ExpectLaidOutInside(main.hwnd(), "the main window");
    main.DestroyWindow();
}

}  // namespace
