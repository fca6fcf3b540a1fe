// A hundred thousand drawing ticks of the overlay, in every drawing mode (the
// fading ones with frames between them): the
// process's GDI objects and committed memory do not grow once warmed up.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "overlay/monitor_win.h"
#include "test_support.h"

using testing_support::CountGdiObjects;
using testing_support::PlainWindow;
using testing_support::PumpMessages;

namespace {

// The commit charge: PagefileUsage is the same figure as PrivateUsage on
// Windows ("PROCESS_MEMORY_COUNTERS_EX", Microsoft Docs), and Wine reports
// only this one (PrivateUsage is 0 there).
SIZE_T CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// Heap bookkeeping may move by a page or two; a leak of even a few bytes a
// tick shows as hundreds of KiB over a run.
constexpr SIZE_T kSlack = 64 * 1024;

// An overlay drawing ticks in every mode. Most ticks fall on the panel, where
// the overlay is drawn but stays hidden, so a run is not dominated by window
// moves; every 50th tick is placed, every 200th of a fading trail.
class Ticks {
public:
    Ticks() {
        EXPECT_TRUE(overlay_.Create(panel_.hwnd()));
        overlay_.panelHwnd = panel_.hwnd();
        overlay_.ResetOverlay();
        overlay_.trailOn = 1;
        ::GetWindowRect(panel_.hwnd(), &inside_);
    }
    ~Ticks() { overlay_.DestroyWindow(); }

    // `extra` runs after each tick: the place for a fault of the test's own.
    template <class Extra>
    void Run(int count, Extra extra) {
        for (int end = tick_ + count; tick_ < end; ++tick_) {
            // curve+points, straight+points, curve only, points only, tapered curve+points,
            // and fading: curve only, straight+points, tapered curve+points, with frames between the ticks
            const int mode = (tick_ / 97) % 8;
            trail::TrailStyle style = overlay_.style;
            style.drawLines = mode != 3;
            style.drawPoints = mode != 2 && mode != 5;
            style.straightLines = mode == 1 || mode == 6;
            style.taperedCurve = mode == 4 || mode == 7;
            style.fade = mode >= 5;
            if (!(style == overlay_.style)) overlay_.SetStyle(style);
            const double a = tick_ * 0.21;
            int x = 640 + static_cast<int>(400 * std::cos(a));
            const int y = 500 + static_cast<int>(300 * std::sin(a * 1.3));
            // Off the panel: placed and shown (a fading trail less often, as it costs more).
            if (tick_ % (style.fade ? 200 : 50) == 0) x += inside_.right;
            overlay_.UpdateTrail(x, y);
            if (style.fade) overlay_.DrawFrame(x + 9, y + 4);
            extra();
            if (tick_ % 10 == 0) PumpMessages();
        }
        // Counted in a colour-keyed mode, whose image always lives: a fading
        // image lives only while it is shown, and is given back here.
        trail::TrailStyle keyed = overlay_.style;
        keyed.fade = 0;
        overlay_.SetStyle(keyed);
        PumpMessages();
    }
    void Run(int count) {
        Run(count, [] {});
    }
    int tick() const { return tick_; }

private:
    PlainWindow panel_{L"panel", RECT{0, 0, 1280, 1024}};
    CMonitorWin overlay_;
    RECT inside_{};
    int tick_ = 0;
};

// VIREON_SOAK_TICKS shortens the run where time is short (the Windows runner).
int SoakTicks() {
    wchar_t text[16] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VIREON_SOAK_TICKS", text, 16);
    const int ticks = length > 0 && length < 16 ? _wtoi(text) : 0;
    return ticks >= 10000 ? ticks : 100000;
}

TEST(Soak, HundredThousandDrawingTicksLeakNothing) {
    Ticks ticks;
    ticks.Run(5000);
    const int gdiBefore = CountGdiObjects();
    const SIZE_T memoryBefore = CommittedBytes();
    ASSERT_GT(memoryBefore, 0u) << "the system reports no commit charge";
    ticks.Run(SoakTicks() - 5000);
    const int gdiAfter = CountGdiObjects();
    const SIZE_T memoryAfter = CommittedBytes();
    std::printf("after %d ticks: GDI objects %d -> %d, committed memory %zu -> %zu KiB\n", ticks.tick(), gdiBefore,
                gdiAfter, memoryBefore / 1024, memoryAfter / 1024);
    EXPECT_EQ(gdiAfter, gdiBefore);
    EXPECT_LE(memoryAfter, memoryBefore + kSlack);
}

// The check above can fail: ticks that each leave 512 bytes behind exceed its slack.
TEST(Soak, TheMemoryCheckCatchesTicksThatLeak) {
    Ticks ticks;
    ticks.Run(2000);
    std::vector<std::unique_ptr<char[]>> leaked;
    const SIZE_T memoryBefore = CommittedBytes();
    ticks.Run(4000, [&leaked] {
        leaked.emplace_back(new char[512]);
        std::memset(leaked.back().get(), 1, 512);
    });
    const SIZE_T memoryAfter = CommittedBytes();
    std::printf("4000 leaking ticks: committed memory %zu -> %zu KiB\n", memoryBefore / 1024, memoryAfter / 1024);
    EXPECT_GT(memoryAfter, memoryBefore + kSlack);
}

}  // namespace
