// The overlay window made from its template: styles, layered attributes,
// placement under the pointer, hiding over the panel and the Z-order rule.
#include <gtest/gtest.h>

#include "overlay_fixture.h"
#include "test_support.h"
#include "win/dpi.h"

#include <cstdlib>
#include <cstring>

using testing_support::PlainWindow;
using testing_support::PumpMessages;

namespace {

TEST_F(OverlayTest, TemplateMakesAHiddenBorderlessLayeredClickThroughPopup) {
    // The template as stored: extended form, WS_POPUP | DS_SETFONT | DS_FIXEDSYS, 500 x 254 units.
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(140), MAKEINTRESOURCEW(5));
    ASSERT_NE(found, nullptr);
    const auto* words = static_cast<const WORD*>(::LockResource(::LoadResource(nullptr, found)));
    EXPECT_EQ(words[1], 0xFFFF);  // DLGTEMPLATEEX signature
    DWORD templateStyle = 0, templateExStyle = 0;
    std::memcpy(&templateStyle, words + 6, 4);
    std::memcpy(&templateExStyle, words + 4, 4);
    EXPECT_EQ(templateStyle, 0x80000048u);
    EXPECT_EQ(templateExStyle, 0u);
    EXPECT_EQ(words[8], 0);  // no controls
    EXPECT_EQ(words[11], 500);
    EXPECT_EQ(words[12], 254);

    // The system adds WS_CLIPSIBLINGS to top-level windows and DS_3DLOOK to dialogs.
    const LONG_PTR style = ::GetWindowLongPtrW(overlay.hwnd(), GWL_STYLE) & ~(WS_CLIPSIBLINGS | DS_3DLOOK);
    EXPECT_EQ(static_cast<DWORD>(style), 0x80000048u);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(overlay.hwnd(), GWL_EXSTYLE);
    EXPECT_EQ(exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT), WS_EX_LAYERED | WS_EX_TRANSPARENT);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(::GetWindow(overlay.hwnd(), GW_OWNER), panel.hwnd());

    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(overlay.hwnd(), &key, &alpha, &flags));
    EXPECT_EQ(key, 0x00010000u);
    EXPECT_EQ(alpha, 178);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
}

TEST_F(OverlayTest, BackBufferHasTheWindowSizeAndStartsAsTheKey) {
    const RECT r = OverlayRect();
    ASSERT_TRUE(overlay.backBuffer.exists());
    EXPECT_EQ(overlay.backBuffer.width(), r.right - r.left);
    EXPECT_EQ(overlay.backBuffer.height(), r.bottom - r.top);
    EXPECT_GT(overlay.backBuffer.width(), 500);  // 500 dialog units wide
    EXPECT_EQ(testing_support::PixelColor(overlay.backBuffer, 0, 0), RGB(0, 0, 1));

    POINT cursor{};
    ::GetCursorPos(&cursor);
    for (const trail::Point p : overlay.history) EXPECT_EQ(p, (trail::Point{cursor.x, cursor.y}));
    EXPECT_EQ(overlay.restDrawn, 0);
}

TEST_F(OverlayTest, NewestDrawnPixelLiesUnderThePointer) {
    overlay.trailOn = 1;
    MoveTo(600, 500);
    ASSERT_TRUE(Visible());
    const RECT r = OverlayRect();
    EXPECT_EQ(r.left, 600 - overlay.newestDrawnPos.x);
    EXPECT_EQ(r.top, 500 - overlay.newestDrawnPos.y);
    EXPECT_EQ(r.right - r.left, overlay.backBuffer.width());
    EXPECT_NE(::GetWindowLongPtrW(overlay.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    // Points and lines before any settings: the newest sample is a yellow dot.
    EXPECT_EQ(testing_support::PixelColor(overlay.backBuffer, overlay.newestDrawnPos.x, overlay.newestDrawnPos.y),
              RGB(255, 255, 0));
}

TEST_F(OverlayTest, TrailOffOnlyShiftsTheHistoryAndHides) {
    overlay.trailOn = 1;
    MoveTo(600, 500);
    ASSERT_TRUE(Visible());
    overlay.trailOn = 0;
    overlay.UpdateTrail(700, 450);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(overlay.history[0], (trail::Point{700, 450}));
    EXPECT_EQ(overlay.history[1], (trail::Point{600, 500}));
}

TEST_F(OverlayTest, HiddenOverThePanelAndShownOnItsRightAndBottomEdges) {
    overlay.trailOn = 1;
    MoveTo(200, 150);
    EXPECT_FALSE(Visible());
    // Still drawn into the image while hidden.
    EXPECT_EQ(testing_support::PixelColor(overlay.backBuffer, overlay.newestDrawnPos.x, overlay.newestDrawnPos.y),
              RGB(255, 255, 0));

    MoveTo(kPanelRect.right, 150);
    EXPECT_TRUE(Visible());
    MoveTo(200, kPanelRect.bottom - 1);
    EXPECT_FALSE(Visible());
    MoveTo(200, kPanelRect.bottom);
    EXPECT_TRUE(Visible());
    MoveTo(kPanelRect.left, kPanelRect.top);
    EXPECT_FALSE(Visible());
}

TEST_F(OverlayTest, KeepsDirectlyBelowAVisibleCompanionWindowElseTopmost) {
    overlay.trailOn = 1;
    PlainWindow companion(kCompanionWindowTitle, RECT{900, 10, 1000, 60});
    ::SetActiveWindow(panel.hwnd());
    MoveTo(600, 500);
    EXPECT_EQ(::GetWindow(companion.hwnd(), GW_HWNDNEXT), overlay.hwnd());
    // Following the pointer never takes the activation (and with it the Z-order) from other windows.
    EXPECT_EQ(::GetActiveWindow(), panel.hwnd());

    ::ShowWindow(companion.hwnd(), SW_HIDE);
    MoveTo(620, 520);
    EXPECT_NE(::GetWindowLongPtrW(overlay.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(::GetWindow(overlay.hwnd(), GW_HWNDFIRST), overlay.hwnd());

    // Explorer restarted while the pointer rests: its new taskbar is topmost
    // and above us until the broadcast puts the trail back on top, the
    // fading trail's head above its body.
    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    for (const bool fade : {false, true}) {
        trail::TrailStyle style = overlay.style;
        style.fade = fade;
        overlay.SetStyle(style);
        MoveTo(640, 540);
        PlainWindow taskbar(L"taskbar", RECT{0, 980, 1280, 1024});
        ::SetWindowPos(taskbar.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ASSERT_EQ(::GetWindow(overlay.hwnd(), GW_HWNDFIRST), taskbar.hwnd());
        ::SendMessageW(overlay.hwnd(), taskbarCreated, 0, 0);
        const HWND top = fade ? overlay.fading.headWindow() : overlay.hwnd();
        EXPECT_EQ(::GetWindow(overlay.hwnd(), GW_HWNDFIRST), top) << fade;
        EXPECT_EQ(::GetWindow(top, GW_HWNDNEXT), fade ? overlay.hwnd() : taskbar.hwnd()) << fade;
    }
}

// The halo: centred on the pointer, just under the trail, in the point colour
// and never denser than 40 %; moved by frames, still at rest, and hidden
// wherever the trail hides.
TEST_F(OverlayTest, TheHaloFollowsThePointerUnderTheTrailAndHidesWithIt) {
    overlay.trailOn = 1;
    for (const bool fade : {false, true}) {
        trail::TrailStyle style = overlay.style;
        style.fade = fade;
        style.halo = 1;
        style.opacityPercent = 100;
        overlay.SetStyle(style);
        const auto centredOn = [&](int x, int y) {
            RECT r{};
            ::GetWindowRect(overlay.halo.window(), &r);
            return ::IsWindowVisible(overlay.halo.window()) && std::abs((r.left + r.right) / 2 - x) <= 1 &&
                   std::abs((r.top + r.bottom) / 2 - y) <= 1;
        };
        MoveTo(600, 500);
        overlay.DrawFrame(600, 500);
        EXPECT_TRUE(centredOn(600, 500)) << fade;
        EXPECT_EQ(::GetWindow(overlay.halo.window(), GW_HWNDPREV), overlay.hwnd()) << "under the trail " << fade;
        const int side = overlay.halo.side();
        EXPECT_NEAR(side, 53, 3);  // 40 points at 96 DPI
        const std::uint32_t middle = overlay.halo.PixelAt(side / 2, side / 2);
        const std::uint32_t rim = overlay.halo.PixelAt(3, side / 2);
        EXPECT_TRUE((middle >> 24) > 40 && (middle >> 24) < (rim >> 24) && (rim >> 24) <= 102) << std::hex << rim;
        EXPECT_EQ(overlay.halo.PixelAt(0, 0), 0u) << "round";
        // Yellow, premultiplied: red and green as strong as the alpha, no blue.
        EXPECT_EQ(rim & 0xFFFFFFu, ((rim >> 24) << 16) | ((rim >> 24) << 8));
        overlay.DrawFrame(630, 520);
        EXPECT_TRUE(centredOn(630, 520)) << fade;
        for (int i = 0; i < trail::kHistoryLength + 2; ++i) overlay.UpdateTrail(640, 530);
        EXPECT_TRUE(centredOn(640, 530) && !overlay.frames.running()) << "still, with no clock, at rest " << fade;
        MoveTo(200, 150);
        overlay.DrawFrame(200, 150);
        EXPECT_FALSE(::IsWindowVisible(overlay.halo.window())) << "over the panel " << fade;
        MoveTo(600, 500);
        overlay.Suspend();
        EXPECT_FALSE(::IsWindowVisible(overlay.halo.window())) << "a lock " << fade;
        overlay.trailOn = 0;
        overlay.UpdateTrail(600, 500);
        EXPECT_EQ(overlay.halo.window(), nullptr) << "given back with the trail off " << fade;
        overlay.trailOn = 1;
    }
}

// A monitor unplugged: a trail that ran onto it starts afresh at the pointer
// instead of being drawn toward where the monitor was; one that lies on the
// monitors left goes on. (Wine sends no WM_DISPLAYCHANGE when its monitors
// change; Windows sends it to every top-level window.)
TEST_F(OverlayTest, AfterADisplayChangeATrailOffEveryMonitorStartsAfresh) {
    overlay.trailOn = 1;
    MoveTo(600, 500);
    ::SendMessageW(overlay.hwnd(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
    overlay.UpdateTrail(610, 505);
    EXPECT_EQ(overlay.history[1], (trail::Point{600, 500})) << "on a monitor still: the trail goes on";

    overlay.history[7] = {-30000, 500};  // where the left monitor was
    ::SendMessageW(overlay.hwnd(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
    EXPECT_FALSE(Visible());
    overlay.UpdateTrail(620, 510);
    for (const trail::Point& p : overlay.history) EXPECT_EQ(p, (trail::Point{620, 510}));
    EXPECT_TRUE(Visible());
}

TEST_F(OverlayTest, RestingPointerIsDrawnOnceAndThenLeftAlone) {
    overlay.trailOn = 1;
    overlay.style.drawPoints = 1;
    for (int i = 0; i < trail::kHistoryLength; ++i) overlay.UpdateTrail(640, 480);
    EXPECT_EQ(overlay.restDrawn, 1);
    ASSERT_TRUE(Visible());
    const RECT r = OverlayRect();
    // The collapsed trail is one dot at the image centre, under the pointer.
    EXPECT_EQ(r.left, 640 - overlay.backBuffer.width() / 2);
    EXPECT_EQ(r.top, 480 - overlay.backBuffer.height() / 2);

    ::SetWindowPos(overlay.hwnd(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    overlay.UpdateTrail(640, 480);
    EXPECT_EQ(OverlayRect().left, 5);  // a resting tick neither moves nor redraws

    // Switching off and on does not clear the flag: still nothing until it moves.
    overlay.trailOn = 0;
    overlay.UpdateTrail(640, 480);
    overlay.trailOn = 1;
    overlay.UpdateTrail(640, 480);
    EXPECT_FALSE(Visible());
    overlay.UpdateTrail(650, 480);
    EXPECT_EQ(overlay.restDrawn, 0);
    EXPECT_TRUE(Visible());
}

TEST_F(OverlayTest, DialogBackgroundIsTheKeyBrushAndErasingIsSkipped) {
    HDC dc = ::GetDC(overlay.hwnd());
    const auto dlg = ::SendMessageW(overlay.hwnd(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(overlay.hwnd()));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(dlg), overlay.dialogBrush.get());
    const auto btn = ::SendMessageW(overlay.hwnd(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(overlay.hwnd()));
    EXPECT_NE(reinterpret_cast<HBRUSH>(btn), overlay.dialogBrush.get());
    EXPECT_EQ(::SendMessageW(overlay.hwnd(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), TRUE);
    ::ReleaseDC(overlay.hwnd(), dc);

    LOGBRUSH brush{};
    ASSERT_TRUE(::GetObjectW(overlay.dialogBrush.get(), sizeof brush, &brush));
    EXPECT_EQ(brush.lbColor, RGB(0, 0, 1));
}

// Plays Windows' part in a move onto a monitor of another DPI: from inside
// the SetWindowPos that moved the overlay, WM_GETDPISCALEDSIZE with the size
// scaled in proportion, then WM_DPICHANGED with a rectangle of the size
// answered ("WM_GETDPISCALEDSIZE message", "WM_DPICHANGED message").
struct MonitorBorder {
    static inline HWND overlay = nullptr;
    static inline int (*dpiAfterMove)(int move) = nullptr;
    static inline int dpi = 96;
    static inline int moves = 0;
    static inline int changes = 0;
    static inline BOOL answered = FALSE;
    static inline SIZE answer{};
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->hwnd == overlay && sent->message == WM_WINDOWPOSCHANGED &&
            !(reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_NOMOVE)) {
            const int now = dpiAfterMove(++moves);
            if (now != dpi) {
                RECT r{};
                ::GetWindowRect(overlay, &r);
                answer = {::MulDiv(r.right - r.left, now, dpi), ::MulDiv(r.bottom - r.top, now, dpi)};
                answered = static_cast<BOOL>(
                    ::SendMessageW(overlay, WM_GETDPISCALEDSIZE, now, reinterpret_cast<LPARAM>(&answer)));
                RECT suggested{r.left, r.top, r.left + answer.cx, r.top + answer.cy};
                dpi = now;
                ++changes;
                ::SendMessageW(overlay, WM_DPICHANGED, MAKEWPARAM(now, now), reinterpret_cast<LPARAM>(&suggested));
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

TEST_F(OverlayTest, AMoveOntoAMonitorOfAnotherDpiSettlesInOneTickAtTheNewDpi) {
    if (win::WindowDpi(overlay.hwnd()) != 96) GTEST_SKIP() << "starts from 96 DPI";
    const SIZE at96 = Size();
    ASSERT_EQ(LineThickness(), 7);  // 5 points
    MonitorBorder::overlay = overlay.hwnd();
    MonitorBorder::dpi = 96;
    const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, MonitorBorder::Hook, nullptr, ::GetCurrentThreadId());

    // Every move from now on lands on a 150 % monitor.
    MonitorBorder::dpiAfterMove = [](int) { return 144; };
    MonitorBorder::moves = MonitorBorder::changes = 0;
    overlay.UpdateTrail(520, 410);
    EXPECT_EQ(MonitorBorder::changes, 1);
    EXPECT_LE(MonitorBorder::moves, 2) << "placed once more at most";
    EXPECT_TRUE(MonitorBorder::answered);
    EXPECT_EQ(MonitorBorder::answer.cx, at96.cx) << "the size stays";
    EXPECT_EQ(MonitorBorder::answer.cy, at96.cy);
    EXPECT_EQ(Size().cx, at96.cx);
    EXPECT_EQ(Size().cy, at96.cy);
    EXPECT_EQ(overlay.backBuffer.dpi(), 144);
    EXPECT_GT(testing_support::MiddleColumnCount(overlay.backBuffer, RGB(255, 0, 0)), 0) << "the tick showed no trail";
    EXPECT_EQ(LineThickness(), 10) << "drawn at the new DPI";

    // A border the overlay straddles, with each move flipping it over: every
    // tick still ends, with at most one redraw.
    MonitorBorder::dpiAfterMove = [](int move) { return move % 2 ? 96 : 144; };
    for (int tick = 0; tick < 4; ++tick) {
        MonitorBorder::moves = MonitorBorder::changes = 0;
        overlay.UpdateTrail(560 + 7 * tick, 420);
        EXPECT_LE(MonitorBorder::moves, 2) << tick;
        EXPECT_EQ(Size().cx, at96.cx) << tick;
    }
    ::UnhookWindowsHookEx(hook);
}

TEST_F(OverlayTest, ADrawingTickHasPaintedTheWindowWhenItReturns) {
    overlay.trailOn = 1;
    MoveTo(640, 480);
    ASSERT_TRUE(Visible());
    // Nothing is left for a later WM_PAINT: the move and its pixels go out together.
    EXPECT_FALSE(::GetUpdateRect(overlay.hwnd(), nullptr, FALSE));
}

TEST_F(OverlayTest, PaintingPutsTheImageOntoTheWindowPixelForPixel) {
    overlay.trailOn = 1;
    for (int i = 0; i < 30; ++i) overlay.UpdateTrail(500 + 7 * i, 400 + (i % 5) * 9);
    PumpMessages();
    ASSERT_TRUE(Visible());

    // What the window shows, read back through its own DC.
    const int width = overlay.backBuffer.width();
    const int height = overlay.backBuffer.height();
    win::BackBuffer shown;
    ASSERT_TRUE(shown.Create(width, height));
    const HDC window = ::GetDC(overlay.hwnd());
    ::BitBlt(win::BufferDC(shown).get(), 0, 0, width, height, window, 0, 0, SRCCOPY);
    ::ReleaseDC(overlay.hwnd(), window);

    int drawn = 0;
    int different = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF image = testing_support::PixelColor(overlay.backBuffer, x, y);
            drawn += image != RGB(0, 0, 1);
            different += testing_support::PixelColor(shown, x, y) != image;
        }
    }
    EXPECT_GT(drawn, 100) << "the trail is in the image";
    EXPECT_EQ(different, 0) << "the window shows the image 1:1";
}

TEST_F(OverlayTest, ThousandTicksWithPaintingLeaveNoGdiObjectBehind) {
    overlay.trailOn = 1;
    auto run = [&](int from, int count) {
        for (int t = from; t < from + count; ++t) {
            // Fading in runs, as a user switches it; the other choices at every tick.
            if (const bool fade = (t / 25) % 8 == 1; fade != (overlay.style.fade != 0)) {
                trail::TrailStyle style = overlay.style;
                style.fade = fade;
                overlay.SetStyle(style);
            }
            overlay.style.straightLines = t % 2;
            overlay.style.drawPoints = (t / 2) % 2;
            overlay.style.taperedCurve = (t / 4) % 2;
            overlay.UpdateTrail(400 + (t * 37) % 500, 300 + (t * 53) % 400);
            overlay.DrawFrame(410 + (t * 37) % 500, 300 + (t * 53) % 400);
            PumpMessages();
        }
        // Counted with the colour key, whose image always lives; a fading one is given back.
        trail::TrailStyle keyed = overlay.style;
        keyed.fade = 0;
        overlay.SetStyle(keyed);
    };
    run(0, 50);
    const int before = testing_support::CountGdiObjects();
    run(50, 1000);
    EXPECT_EQ(testing_support::CountGdiObjects(), before);
}

TEST(OverlayLifetime, DestroyingTheWindowDetachesTheObject) {
    PlainWindow panel(L"panel", kPanelRect);
    CMonitorWin overlay;
    ASSERT_TRUE(overlay.Create(panel.hwnd()));
    const HWND hwnd = overlay.hwnd();
    EXPECT_TRUE(overlay.DestroyWindow());
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(overlay.hwnd(), nullptr);
}

}  // namespace
