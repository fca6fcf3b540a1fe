// A hundred thousand drawing ticks of the overlay, in every drawing mode: the
// process's GDI objects and private memory do not grow once warmed up.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "overlay/monitor_win.h"
#include "test_support.h"

using testing_support::CountGdiObjects;
using testing_support::PlainWindow;
using testing_support::PumpMessages;

namespace {

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    return counters.PrivateUsage;
}

TEST(Soak, HundredThousandDrawingTicksLeakNothing) {
    // Most ticks fall on the panel, where the overlay is drawn but stays hidden,
    // so the run is not dominated by window moves; every 50th tick is placed.
    PlainWindow panel(L"panel", RECT{0, 0, 1280, 1024});
    CMonitorWin overlay;
    ASSERT_TRUE(overlay.Create(panel.hwnd()));
    overlay.panelHwnd = panel.hwnd();
    overlay.ResetOverlay();
    overlay.trailOn = 1;
    RECT inside{};
    ::GetWindowRect(panel.hwnd(), &inside);

    int tick = 0;
    const auto run = [&](int count) {
        for (int end = tick + count; tick < end; ++tick) {
            const int mode = (tick / 97) % 4;  // curve+points, straight+points, curve only, points only
            overlay.style.drawLines = mode != 3;
            overlay.style.drawPoints = mode != 2;
            overlay.style.straightLines = mode == 1;
            const double a = tick * 0.21;
            int x = 640 + static_cast<int>(400 * std::cos(a));
            int y = 500 + static_cast<int>(300 * std::sin(a * 1.3));
            if (tick % 50 == 0) x += inside.right;  // off the panel: placed and shown
            overlay.UpdateTrail(x, y);
            if (tick % 10 == 0) PumpMessages();
        }
    };
    run(5000);
    const int gdiBefore = CountGdiObjects();
    const SIZE_T memoryBefore = PrivateBytes();
    run(95000);
    PumpMessages();
    const int gdiAfter = CountGdiObjects();
    const SIZE_T memoryAfter = PrivateBytes();
    std::printf("after %d ticks: GDI objects %d -> %d, private memory %zu -> %zu KiB\n", tick, gdiBefore, gdiAfter,
                memoryBefore / 1024, memoryAfter / 1024);
    EXPECT_EQ(gdiAfter, gdiBefore);
    // Heap bookkeeping may move by a page or two; a leak of even a few bytes a
    // tick would show as hundreds of KiB here.
    EXPECT_LE(memoryAfter, memoryBefore + 64 * 1024);
    overlay.DestroyWindow();
}

}  // namespace
