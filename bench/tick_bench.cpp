// Cost of one timer tick of the overlay, per drawing mode, at the real
// back-buffer size, against one full clear and one 1:1 blit of that buffer.
// Prints figures; asserts nothing.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <vector>

#include "overlay/monitor_win.h"
#include "overlay/ring_windows.h"
#include "trail/shake.h"
#include "trail/trail_renderer.h"
#include "win/dwm.h"
#include "win/frame_clock.h"
#include "win/message_pump.h"
#include "win/gdiplus_flat.h"

namespace {

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

// Each figure takes at most about this long, so that the whole run ends in
// about a minute even where a call takes tens of milliseconds (a fading tick
// under Wine without a compositor).
constexpr double kSecondsPerFigure = 1.0;
constexpr int kFewestCalls = 10;

// Median time of `run` in microseconds over `count` calls, or over as many as
// fit in the time a figure may take (never fewer than a few).
double MedianMicros(int count, const std::function<void(int)>& run) {
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(count));
    const double began = Now();
    for (int i = 0; i < count; ++i) {
        if (i >= kFewestCalls && Now() - began > kSecondsPerFigure) break;
        const double start = Now();
        run(i);
        samples.push_back((Now() - start) * 1e6);
    }
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace

int wmain() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ULONG_PTR token = 0;
    const gdip::StartupInput input;
    gdip::GdiplusStartup(&token, &input, nullptr);

    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VireonBenchPanel";
    ::RegisterClassW(&wc);
    const HWND panel = ::CreateWindowExW(0, wc.lpszClassName, L"panel", WS_POPUP | WS_VISIBLE, 0, 0, 100, 60, nullptr,
                                         nullptr, wc.hInstance, nullptr);
    {
        CMonitorWin overlay;
        overlay.Create(panel);
        overlay.panelHwnd = panel;
        overlay.ResetOverlay();
        overlay.trailOn = 1;
        const int width = overlay.backBuffer.width();
        const int height = overlay.backBuffer.height();
        std::printf("back buffer %d x %d px\n", width, height);

        constexpr int kTicks = 2000;
        win::BackBuffer& buffer = overlay.backBuffer;
        const double clear = MedianMicros(
            kTicks, [&](int) { trail::ClearImage(win::BufferDC(buffer).get(), buffer, overlay.colorKey); });
        const HDC window = ::GetDC(overlay.hwnd());
        const double blit = MedianMicros(kTicks, [&](int) {
            ::SetStretchBltMode(window, HALFTONE);
            const win::BufferDC image(overlay.backBuffer);
            ::StretchBlt(window, 0, 0, width, height, image.get(), 0, 0, width, height, SRCCOPY);
            ::GdiFlush();
        });
        ::ReleaseDC(overlay.hwnd(), window);
        std::printf("baseline: full clear %.1f us, 1:1 blit %.1f us (medians of up to %d calls or %.0f s a figure)\n",
                    clear, blit, kTicks, kSecondsPerFigure);

        struct Mode {
            const char* name;
            std::int32_t lines, points, straight, tapered;
        };
        const Mode modes[] = {
            {"curve + points", 1, 1, 0, 0},     {"straight + points", 1, 1, 1, 0}, {"tapered + points", 1, 1, 0, 1},
            {"lines only (curve)", 1, 0, 0, 0}, {"points only", 0, 1, 0, 0},
        };
        // A pointer moving along a circle, 40 px a tick: every tick draws.
        const auto along = [](double i) {
            const double a = i * 0.25;
            return POINT{640 + static_cast<int>(300 * std::cos(a)), 500 + static_cast<int>(250 * std::sin(a))};
        };
        // A sample taken while frames run is shown by the frame after it: a
        // tick is both.
        const auto sample = [&](int x, int y) {
            overlay.UpdateTrail(x, y);
            if (overlay.frames.running()) overlay.DrawFrame(x, y);
        };
        const auto moving = [&](int i) {
            const POINT at = along(i);
            sample(at.x, at.y);
        };
        for (const Mode& mode : modes) {
            overlay.style.drawLines = mode.lines;
            overlay.style.drawPoints = mode.points;
            overlay.style.straightLines = mode.straight;
            overlay.style.taperedCurve = mode.tapered;
            for (int i = 0; i < 30; ++i) moving(i);  // warm-up
            const double tick = MedianMicros(kTicks, moving);
            win::PumpMessages();
            // The same tick's drawing alone, without the window calls (placement,
            // painting): with one DC for the tick, as the overlay draws, and with
            // a DC acquired and given back for each step, as it drew before.
            const trail::PointArray fitted = overlay.fittedPoints;
            const trail::TrailStyle& style = overlay.style;
            const double drawing = MedianMicros(kTicks, [&](int) {
                const win::BufferDC dc(buffer);
                trail::ClearImage(dc.get(), buffer, overlay.colorKey);
                trail::DrawLine(dc.get(), buffer, fitted, style);
                trail::DrawPoints(dc.get(), buffer, fitted, style);
                ::GdiFlush();
            });
            // Each temporary BufferDC is given back at the end of its statement.
            const double perStep = MedianMicros(kTicks, [&](int) {
                trail::ClearImage(win::BufferDC(buffer).get(), buffer, overlay.colorKey);
                trail::DrawLine(win::BufferDC(buffer).get(), buffer, fitted, style);
                trail::DrawPoints(win::BufferDC(buffer).get(), buffer, fitted, style);
                ::GdiFlush();
            });
            std::printf(
                "moving tick, %-20s %8.1f us = %6.2f x clear; its drawing alone %8.1f us = %6.2f x clear "
                "(%8.1f us with a DC per step)\n",
                mode.name, tick, tick / clear, drawing, drawing / clear, perStep);
        }

        // Fading: the drawing and the window update together, beside the plain
        // curve's tick on the same circle in the same run, and on a sweep of
        // 1,100 px in 700 ms, wider than the colour-keyed image. The commit
        // charge shows what the image and its scratch room add.
        const auto committed = [] {
            PROCESS_MEMORY_COUNTERS memory{};
            memory.cb = sizeof memory;
            ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
            return static_cast<double>(memory.PagefileUsage) / 1024.0;
        };
        {
            trail::TrailStyle plain = overlay.style;
            plain.drawLines = 1;
            plain.drawPoints = 0;
            plain.straightLines = 0;
            plain.taperedCurve = 0;
            plain.fade = 0;
            overlay.SetStyle(plain);
            for (int i = 0; i < 100; ++i) moving(i);
            const double curveTick = MedianMicros(kTicks, moving);
            const double keyedMemory = committed();
            std::printf("side by side: colour-keyed curve tick %.1f us, committed %.0f KiB\n", curveTick, keyedMemory);
            const auto sweeping = [&](int i) {
                const int phase = i % 28;
                const int step = phase < 14 ? phase : 28 - phase;
                sample(90 + step * 1100 / 14, 500 + (i % 3));
            };
            const Mode fadingModes[] = {
                {"fading curve", 1, 0, 0, 0},
                {"fading straight", 1, 0, 1, 0},
                {"fading tapered", 1, 0, 0, 1},
                {"fading curve + points", 1, 1, 0, 0},
            };
            for (const Mode& mode : fadingModes) {
                trail::TrailStyle fading = plain;
                fading.drawPoints = mode.points;
                fading.straightLines = mode.straight;
                fading.taperedCurve = mode.tapered;
                fading.fade = 1;
                overlay.SetStyle(fading);
                for (int i = 0; i < 30; ++i) moving(i);
                const double tick = MedianMicros(kTicks, moving);
                const double circleMemory = committed();
                // Between two samples on the circle, three frames, the pointer a
                // quarter, a half and three quarters of the way to the next.
                std::vector<double> frameTimes;
                const double framesBegan = Now();
                for (int i = 0; i < kTicks && (i < kFewestCalls || Now() - framesBegan < kSecondsPerFigure); ++i) {
                    moving(i);
                    for (int k = 1; k <= 3; ++k) {
                        const POINT at = along(i + k / 4.0);
                        const double start = Now();
                        overlay.DrawFrame(at.x, at.y);
                        frameTimes.push_back((Now() - start) * 1e6);
                    }
                }
                std::nth_element(frameTimes.begin(),
                                 frameTimes.begin() + static_cast<std::ptrdiff_t>(frameTimes.size() / 2),
                                 frameTimes.end());
                const double frame = frameTimes[frameTimes.size() / 2];
                // The circle's last tick taken apart: the drawing, and the window update.
                const int margin = trail::FadingMargin(buffer, nullptr, overlay.style);
                const trail::TrueScaleFrame sample =
                    trail::FrameTrail(overlay.history, margin, {-100000, -100000, 100000, 100000});
                const trail::Rect region{0, 0, sample.window.right - sample.window.left,
                                         sample.window.bottom - sample.window.top};
                const int w = std::min(region.right, buffer.width());
                const int h = std::min(region.bottom, buffer.height());
                trail::FadingCanvas canvas;
                canvas.Attach(buffer);
                const double drawing =
                    MedianMicros(200, [&](int) { trail::DrawFadingTrail(canvas, region, sample.path, overlay.style); });
                const auto updating = [&](int i, bool resizing) {
                    POINT at{sample.window.left + i % 2, sample.window.top};
                    POINT origin{0, 0};
                    SIZE size{w - resizing * (i % 2) * 7, h - resizing * (i % 2) * 5};
                    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                    ::UpdateLayeredWindow(overlay.hwnd(), nullptr, &at, &size, canvas.dc(), &origin, 0, &blend,
                                          ULW_ALPHA);
                };
                const trail::StrokeSamples head = trail::HeadLine(
                    {sample.path.pixels[0].x + 30, sample.path.pixels[0].y + 10}, sample.path,
                    !overlay.style.straightLines, static_cast<float>(canvas.Pixels(overlay.style.lineWidthPt)));
                const trail::Rect headRect = trail::LineBounds(head, 2.0f);
                const double headDrawing = MedianMicros(200, [&](int) {
                    canvas.Clear(headRect);
                    trail::DrawFadingHead(canvas, headRect, head, sample.path, overlay.style);
                });
                const double update = MedianMicros(200, [&](int i) { updating(i, false); });
                const double resized = MedianMicros(200, [&](int i) { updating(i, true); });
                canvas.Detach();
                const double order = MedianMicros(200, [&](int) {
                    ::SetWindowPos(overlay.hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                                   SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
                });
                std::printf(
                    "  %d x %d px: drawing %.1f us, window update %.1f us (%.1f us resizing), z-order %.1f us; "
                    "a frame between samples %.1f us = %.2f x the sample's tick, its head's drawing %.1f us\n",
                    w, h, drawing, update, resized, order, frame, frame / tick, headDrawing);
                for (int i = 0; i < 30; ++i) sweeping(i);
                const double sweep = MedianMicros(kTicks, sweeping);
                std::printf(
                    "moving tick, %-22s circle %8.1f us = %5.2f x the curve's (+%.0f KiB); sweep %8.1f us, "
                    "image %d x %d (+%.0f KiB)\n",
                    mode.name, tick, tick / curveTick, circleMemory - keyedMemory, sweep, overlay.backBuffer.width(),
                    overlay.backBuffer.height(), committed() - keyedMemory);
                // Back to the colour key and its fixed image before the next mode.
                overlay.SetStyle(plain);
                overlay.UpdateTrail(700, 500);
            }
            // A flick across the whole screen with the fading trail, then two
            // seconds' rest: the memory it took is given back.
            trail::TrailStyle fading = plain;
            fading.fade = 1;
            overlay.SetStyle(fading);
            for (int i = 0; i < 60; ++i) overlay.UpdateTrail(700, 500);
            win::PumpMessages();
            const double beforeFlick = committed();
            const int screenWidth = ::GetSystemMetrics(SM_CXVIRTUALSCREEN);
            const int screenHeight = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
            for (int i = 0; i < trail::kHistoryLength; ++i)
                sample(i * (screenWidth - 1) / 14, i * (screenHeight - 1) / 14);
            const double flicked = committed();
            for (int i = 0; i < 40; ++i) overlay.UpdateTrail(screenWidth - 1, screenHeight - 1);
            win::PumpMessages();
            std::printf("a full-screen flick: committed %.0f KiB, %+.0f KiB during it, %+.0f KiB after 2 s of rest\n",
                        beforeFlick, flicked - beforeFlick, committed() - beforeFlick);
            overlay.SetStyle(plain);
            win::PumpMessages();

            // Click rings: a frame of one ring while it grows and while it
            // only fades (both drawn and presented whole), and what the pool's
            // four windows and images commit.
            static std::int64_t ringTime = 0;
            const double beforeRings = committed();
            RingWindows rings;
            rings.now = []() noexcept { return ringTime; };
            rings.Press({300, 300}, trail::RingButton::Middle, RGB(255, 0, 0), RGB(255, 255, 0), HWND_TOPMOST);
            const double growing = MedianMicros(kTicks, [&](int i) {
                ringTime = i % trail::kRingGrowthMs;
                rings.Frame();
            });
            const double fadingRing = MedianMicros(kTicks, [&](int i) {
                ringTime = trail::kRingGrowthMs + i % (trail::kRingLifeMs - trail::kRingGrowthMs - 1);
                rings.Frame();
            });
            for (int i = 1; i < trail::kRingWindows; ++i)
                rings.Press({300 + 60 * i, 300}, trail::RingButton::Left, RGB(255, 0, 0), 0, HWND_TOPMOST);
            std::printf(
                "click ring: a frame while it grows %.1f us, while it fades %.1f us; four rings commit %+.0f KiB\n",
                growing, fadingRing, committed() - beforeRings);
            // Closing rings after a shake, on a monitor 1,024 px high: a frame
            // (drawn and presented whole, centred on the pointer anew), and
            // what is left once they have closed.
            const double closing = MedianMicros(kTicks, [&](int i) {
                ringTime = i % trail::kFindLifeMs;
                if (ringTime == 0) rings.Find({500, 400}, RGB(255, 0, 0), HWND_TOPMOST);
                rings.Frame();
            });
            // A find from its start to its end, after the first (which made what every find shares).
            const auto find = [&] {
                ringTime = 0;
                rings.Find({500, 400}, RGB(255, 0, 0), HWND_TOPMOST);
                for (ringTime = 0; rings.findWindow(); ringTime += 16) rings.Frame();
                win::PumpMessages();
            };
            find();
            const double beforeFind = committed();
            find();
            const double afterFind = committed() - beforeFind;
            rings.Close();

            // The halo: a frame moves its window with the pixels it has; a
            // change of colour draws it again. And what is left once it is switched off.
            for (int i = 0; i < 30; ++i) moving(i);
            win::PumpMessages();
            const double beforeHalo = committed();
            trail::TrailStyle haloed = plain;
            haloed.halo = 1;
            overlay.SetStyle(haloed);
            for (int i = 0; i < 30; ++i) moving(i);
            const double haloFrame = MedianMicros(kTicks, [&](int i) { overlay.halo.Follow({600 + i % 2 * 9, 500}); });
            const double haloDrawn = MedianMicros(200, [&](int i) {
                overlay.halo.Show({600, 500}, i % 2 ? RGB(255, 255, 0) : RGB(0, 0, 255), 100, overlay.hwnd());
            });
            overlay.SetStyle(plain);
            for (int i = 0; i < 40; ++i) overlay.UpdateTrail(700, 500);
            win::PumpMessages();
            std::printf(
                "closing rings: a frame %.1f us, %+.0f KiB once closed; halo: a frame %.1f us, drawn anew %.1f "
                "us, %+.0f KiB once switched off\n",
                closing, afterFind, haloFrame, haloDrawn, committed() - beforeHalo);
        }

        // Where a moving tick's time goes.
        overlay.style.drawLines = 1;
        overlay.style.drawPoints = 1;
        overlay.style.straightLines = 0;
        overlay.style.taperedCurve = 0;
        const trail::PointArray fitted = overlay.fittedPoints;
        std::printf(
            "parts: curve %.1f us, tapered curve %.1f us, straight %.1f us, dots %.1f us, place %.1f us, find "
            "companion %.1f us, "
            "invalidate %.1f us\n",
            MedianMicros(kTicks,
                         [&](int) { trail::DrawCurve(win::BufferDC(buffer).get(), buffer, fitted, overlay.style); }),
            MedianMicros(
                kTicks,
                [&](int) { trail::DrawTaperedCurve(win::BufferDC(buffer).get(), buffer, fitted, overlay.style); }),
            MedianMicros(
                kTicks,
                [&](int) { trail::DrawStraightLines(win::BufferDC(buffer).get(), buffer, fitted, overlay.style); }),
            MedianMicros(kTicks,
                         [&](int) { trail::DrawPoints(win::BufferDC(buffer).get(), buffer, fitted, overlay.style); }),
            MedianMicros(kTicks,
                         [&](int i) {
                             overlay.history[0] = {600 + (i % 2) * 40, 500};
                             overlay.PlaceWindow();
                         }),
            MedianMicros(kTicks, [&](int) { ::FindWindowW(nullptr, kCompanionWindowTitle); }),
            MedianMicros(kTicks, [&](int) { ::InvalidateRect(overlay.hwnd(), nullptr, TRUE); }));
        win::PumpMessages();

        // The frame clock: the period it asks for, and how often its timer
        // really fires over a second (Windows rounds timers to its clock tick
        // unless asked for a finer one; Wine fires at the period asked).
        {
            win::FrameClock clock;
            const auto framesInASecond = [&] {
                int fired = 0;
                const double began = Now();
                MSG message{};
                while (Now() - began < 1.0 && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
                    if (message.message == WM_TIMER && message.hwnd == panel && message.wParam == 7) ++fired;
                    ::DispatchMessageW(&message);
                }
                return fired;
            };
            clock.Start(panel, 7);
            const int shown = framesInASecond();
            // As while the trail is on: the process's only normal window
            // minimised, which Windows 11 counts as invisible to the user.
            ::ShowWindow(panel, SW_SHOWMINNOACTIVE);
            const int minimised = framesInASecond();
            ::ShowWindow(panel, SW_SHOWNOACTIVATE);
            clock.Stop();
            std::printf(
                "frame clock: display at %.1f Hz, %u ms asked, %d frames in a second, %d with the window "
                "minimised\n",
                win::RefreshRate(), clock.period(), shown, minimised);
        }

        for (int i = 0; i < 20; ++i) overlay.UpdateTrail(700, 700);  // the rest is drawn once
        win::PumpMessages();
        const double resting = MedianMicros(kTicks, [&](int) { overlay.UpdateTrail(700, 700); });
        // The panel's shake recogniser takes every sample, the resting ones too.
        trail::ShakeRecogniser shake;
        const double shaking = MedianMicros(kTicks, [&](int) {
            overlay.UpdateTrail(700, 700);
            shake.Add({700, 700}, false, 96);
        });
        std::printf("resting tick %.2f us  = %.3f x clear; with the shake recogniser %.2f us\n", resting,
                    resting / clear, shaking);
        // The commit charge (PrivateUsage on Windows is the same figure; Wine reports only this one).
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
        std::printf("committed memory at the end: %zu KiB\n", static_cast<size_t>(memory.PagefileUsage / 1024));
        overlay.DestroyWindow();
    }
    ::DestroyWindow(panel);
    gdip::GdiplusShutdown(token);
    return 0;
}
