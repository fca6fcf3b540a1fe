// The fading trail's windows and frames, and the click rings' windows: shown
// per pixel, presented where they changed, and click-through.
#include <gtest/gtest.h>

#include "overlay/ring_windows.h"
#include "overlay_fixture.h"

#include <cmath>
#include <set>
#include <vector>

using testing_support::PlainWindow;

namespace {

TEST_F(OverlayTest, FadingDrawsAtTrueScaleInAWindowOfTheTrailsSizeAndSwitchesBothWays) {
    overlay.trailOn = 1;
    trail::TrailStyle fading = overlay.style;
    fading.drawPoints = 0;
    fading.fade = 1;
    overlay.SetStyle(fading);
    // A sweep of 1,100 px in 700 ms, wider than the colour-keyed image.
    const auto sweep = [&](int y) {
        for (int i = trail::kHistoryLength - 1; i >= 0; --i) overlay.UpdateTrail(1150 - i * 1100 / 14, y);
    };
    sweep(500);
    // Samples taken while frames run wait for the next frame, which shows the last with its head.
    EXPECT_LT(OverlayRect().left + overlay.newestDrawnPos.x, 1150);
    overlay.DrawFrame(1150, 500);
    ASSERT_TRUE(Visible());
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_FALSE(::GetLayeredWindowAttributes(overlay.hwnd(), &key, &alpha, &flags)) << "shown per pixel";
    EXPECT_EQ(::GetWindowLongPtrW(overlay.hwnd(), GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT),
              WS_EX_LAYERED | WS_EX_TRANSPARENT);
    EXPECT_NE(::GetWindowLongPtrW(overlay.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    // The newest point under the pointer, the trail drawn 1,100 px long: nothing squeezed.
    const RECT r = OverlayRect();
    const trail::Point newest = overlay.newestDrawnPos;
    EXPECT_EQ(r.left + newest.x, 1150);
    EXPECT_EQ(r.top + newest.y, 500);
    int drawn = 0;
    for (int x = 0; x < r.right - r.left; ++x) drawn += (overlay.backBuffer.PixelAt(x, newest.y) >> 24) != 0;
    EXPECT_GE(drawn, 1100);
    EXPECT_TRUE(overlay.frames.running()) << "frames run while the pointer moves";

    // Between samples only the head moves, to the live pointer, at full colour,
    // in its own window: presented in the rectangle it changed.
    static std::vector<RECT> presented;
    static BOOL answer;
    presented.clear();
    answer = TRUE;
    overlay.fading.present = [](HWND window, const UPDATELAYEREDWINDOWINFO* info) -> BOOL {
        presented.push_back(info->prcDirty ? *info->prcDirty : RECT{0, 0, info->psize->cx, info->psize->cy});
        EXPECT_EQ(info->prcDirty == nullptr, info->psize != nullptr) << "a dirty rectangle only where the size holds";
        RECT own{};
        ::GetWindowRect(window, &own);
        if (const RECT* dirty = info->prcDirty) {
            EXPECT_TRUE(dirty->left >= 0 && dirty->top >= 0 && dirty->right <= own.right - own.left &&
                        dirty->bottom <= own.bottom - own.top)
                << "a dirty rectangle outside its window";
        }
        return answer && ::UpdateLayeredWindowIndirect(window, info);
    };
    const auto head = [&](int x, int y) {
        const trail::Rect at = overlay.fading.headPlaced();
        return overlay.fading.headImage().PixelAt(x - at.left, y - at.top);
    };
    for (const int x : {1170, 1190}) {
        overlay.DrawFrame(x, 512);
        EXPECT_GE(head(x, 512) >> 24, 240u) << x;
        EXPECT_EQ(head(x, 512) & 0xFFFFFFu, 0xFF0000u) << x;
        EXPECT_TRUE(::IsWindowVisible(overlay.fading.headWindow()));
        EXPECT_EQ(OverlayRect().left, r.left) << "the trail's window stays put";
    }
    EXPECT_EQ(head(1170, 512), 0u) << "the earlier head is gone";
    ASSERT_EQ(presented.size(), 2u);
    EXPECT_LE((presented[1].right - presented[1].left) * (presented[1].bottom - presented[1].top), 60 * 40)
        << "only the head's rectangle";
    overlay.DrawFrame(1190, 512);
    EXPECT_EQ(presented.size(), 2u) << "a pointer that has not moved presents nothing";
    // A present that fails hides the window, and frames do not try again; the next sample does.
    answer = FALSE;
    overlay.DrawFrame(1200, 512);
    EXPECT_FALSE(Visible() || ::IsWindowVisible(overlay.fading.headWindow()));
    overlay.DrawFrame(1210, 512);
    EXPECT_EQ(presented.size(), 3u);
    answer = TRUE;
    overlay.UpdateTrail(1220, 512);
    EXPECT_TRUE(Visible() && ::IsWindowVisible(overlay.fading.headWindow()));
    // At the screen's right edge the head's window is cut to the screen.
    const int edge = ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1;
    overlay.UpdateTrail(edge, 512);
    for (const int y : {530, 560}) overlay.DrawFrame(edge, y);
    overlay.fading.present = ::UpdateLayeredWindowIndirect;

    // Round and round a circle: after the first round, the window keeps its size.
    std::set<std::pair<LONG, LONG>> sizes;
    for (int i = 0; i < 100; ++i) {
        const int x = 640 + static_cast<int>(300 * std::cos(i * 0.25));
        const int y = 500 + static_cast<int>(250 * std::sin(i * 0.25));
        overlay.UpdateTrail(x, y);
        overlay.DrawFrame(x, y);
        if (i >= 30) sizes.insert({Size().cx, Size().cy});
    }
    EXPECT_EQ(sizes.size(), 1u) << "a window resized within a stroke";
    // At rest: no frames, and after a while the image is given back.
    for (int i = 0; i < trail::kHistoryLength + CMonitorWin::kRestTicksBeforeShrinking; ++i)
        overlay.UpdateTrail(640, 500);
    EXPECT_FALSE(overlay.frames.running()) << "a frame clock at rest";
    EXPECT_LT(overlay.backBuffer.width() * overlay.backBuffer.height(), 400 * 400) << "an image that never shrinks";
    // Over the panel it hides as the colour-keyed overlay does.
    MoveTo(200, 150);
    overlay.DrawFrame(200, 150);
    EXPECT_FALSE(Visible());

    // Back to the colour key: its attributes, its size and its squeezed trail at the next tick.
    fading.fade = 0;
    overlay.SetStyle(fading);
    sweep(520);
    ASSERT_TRUE(Visible());
    ASSERT_TRUE(::GetLayeredWindowAttributes(overlay.hwnd(), &key, &alpha, &flags));
    EXPECT_EQ(key, 0x00010000u);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
    const RECT keyed = OverlayRect();
    EXPECT_EQ(keyed.right - keyed.left, overlay.backBuffer.width());
    EXPECT_LT(overlay.backBuffer.width(), 1100);
    EXPECT_EQ(keyed.left + overlay.newestDrawnPos.x, 1150);
    EXPECT_EQ(testing_support::PixelColor(overlay.backBuffer, overlay.backBuffer.width() / 2, overlay.newestDrawnPos.y),
              RGB(255, 0, 0))
        << "squeezed into the image";
}

// A click ring's window takes no click and no activation, sits centred on the
// press, and its clock runs only while a ring lives.
TEST(ClickRingWindows, ARingIsClickThroughAndItsClockStopsWithIt) {
    static std::int64_t time = 1000;
    PlainWindow below(L"below", RECT{300, 200, 500, 400});
    ::SetForegroundWindow(below.hwnd());
    static POINT asked{};
    RingWindows rings;
    rings.now = []() noexcept { return time; };
    // The DPI is the monitor's under the press, whichever the window's corner lies on.
    rings.monitorDpi = [](POINT at) noexcept {
        asked = at;
        return 144;
    };
    rings.Press({400, 300}, trail::RingButton::Middle, RGB(255, 0, 0), RGB(0, 0, 255), HWND_TOPMOST);
    EXPECT_EQ(asked.x * 10000 + asked.y, 400 * 10000 + 300);
    const HWND ring = rings.window(0);
    ASSERT_TRUE(ring && ::IsWindowVisible(ring));
    EXPECT_TRUE(rings.ticking());
    const LONG_PTR want = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST;
    EXPECT_EQ(::GetWindowLongPtrW(ring, GWL_EXSTYLE) & want, want);
    EXPECT_EQ(::GetForegroundWindow(), below.hwnd());
    EXPECT_EQ(::WindowFromPoint({400, 300}), below.hwnd()) << "a click at the ring reaches the window below";
    RECT placed{};
    ::GetWindowRect(ring, &placed);
    EXPECT_NEAR((placed.left + placed.right) / 2.0, 400, 1);
    EXPECT_NEAR((placed.top + placed.bottom) / 2.0, 300, 1);
    EXPECT_EQ(placed.right - placed.left, trail::RingImageSide(144));

    time += trail::kRingLifeMs - 1;
    rings.Frame();
    EXPECT_TRUE(::IsWindowVisible(ring));
    time += 1;
    rings.Frame();
    EXPECT_FALSE(::IsWindowVisible(ring));
    EXPECT_FALSE(rings.ticking()) << "no ring, no timer";
}

}  // namespace
