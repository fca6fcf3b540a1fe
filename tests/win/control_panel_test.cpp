// The control panel made from its template inside a stand-in main window:
// start-up state, the toggle, the hotkey, and the settings it loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "resource.h"
#include "test_support.h"
#include "ui/control_dlg.h"
#include "win/session.h"

using settings::TrailSettings;
using testing_support::MessageBoxRecorder;
using testing_support::PlainWindow;
using testing_support::PumpQueued;
using testing_support::PumpUntil;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

std::wstring ButtonText(const CControlDlg& panel) {
    wchar_t text[32] = {};
    ::GetWindowTextW(panel.Item(IDC_ONOFF), text, 32);
    return text;
}

bool Pressed(const CControlDlg& panel) {
    return ::SendMessageW(panel.Item(IDC_ONOFF), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

class ControlPanelTest : public ::testing::Test {
protected:
    // The settings file the start-up code would hand the panel.
    settings::SettingsFile File() const { return {folder.File(L"Vireon.ini"), 1}; }
    void Start(const char* ini = nullptr) {
        if (ini) WriteBytes(folder.File(L"Vireon.ini"), ini);
        panel = std::make_unique<CControlDlg>(File());
        ASSERT_TRUE(panel->Create(mainWindow.hwnd()));
        ::ShowWindow(panel->hwnd(), SW_SHOW);
    }
    void TearDown() override {
        if (panel) panel->DestroyWindow();
    }

    TempFolder folder;
    PlainWindow mainWindow{L"main", RECT{0, 0, 200, 120}};
    std::unique_ptr<CControlDlg> panel;
};

TEST_F(ControlPanelTest, StartsReleasedReadingOnWithTheOverlayHiddenAndTheTimerRunning) {
    Start();
    EXPECT_EQ(panel->settingsFile.path, folder.path() + L"\\Vireon.ini");
    EXPECT_EQ(ButtonText(*panel), L"ON");
    EXPECT_FALSE(Pressed(*panel));
    EXPECT_EQ(panel->overlay.trailOn, 0);
    EXPECT_FALSE(::IsWindowVisible(panel->overlay.hwnd()));
    EXPECT_EQ(panel->overlay.panelHwnd, panel->hwnd());

    ::SetCursorPos(321, 234);
    PumpUntil([&] { return panel->overlay.history[1] == trail::Point{321, 234}; }, "two ticks at the new position");
    EXPECT_EQ(panel->overlay.history[0], (trail::Point{321, 234}));
    EXPECT_EQ(panel->overlay.history[1], (trail::Point{321, 234}));
    EXPECT_FALSE(::IsWindowVisible(panel->overlay.hwnd()));
}

TEST_F(ControlPanelTest, ClickSwitchesOnMinimisingTheMainWindowAndOffLeavesItMinimised) {
    Start();
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
    EXPECT_EQ(ButtonText(*panel), L"OFF");
    EXPECT_TRUE(Pressed(*panel));
    EXPECT_EQ(panel->toggleOn, 1);
    EXPECT_EQ(panel->overlay.trailOn, 1);
    EXPECT_TRUE(::IsIconic(mainWindow.hwnd()));

    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
    EXPECT_EQ(ButtonText(*panel), L"ON");
    EXPECT_EQ(panel->overlay.trailOn, 0);
    EXPECT_TRUE(::IsIconic(mainWindow.hwnd()));
    ::SetCursorPos(345, 256);
    PumpUntil([&] { return panel->overlay.history[0] == trail::Point{345, 256}; }, "a tick");
    EXPECT_FALSE(::IsWindowVisible(panel->overlay.hwnd()));
}

TEST_F(ControlPanelTest, HotkeyMessageActsExactlyAsAClickAndOtherIdsDoNothing) {
    Start();
    ::SendMessageW(panel->hwnd(), WM_HOTKEY, 102, 0);
    ::SendMessageW(panel->hwnd(), WM_TIMER, 7, 0);
    EXPECT_EQ(ButtonText(*panel), L"ON");
    EXPECT_EQ(panel->overlay.trailOn, 0);

    ::SendMessageW(panel->hwnd(), WM_HOTKEY, 103, 0);
    EXPECT_EQ(ButtonText(*panel), L"OFF");
    EXPECT_TRUE(Pressed(*panel));
    EXPECT_EQ(panel->overlay.trailOn, 1);
    EXPECT_TRUE(::IsIconic(mainWindow.hwnd()));

    ::SendMessageW(panel->hwnd(), WM_HOTKEY, 103, 0);
    EXPECT_EQ(ButtonText(*panel), L"ON");
    EXPECT_FALSE(Pressed(*panel));
    EXPECT_EQ(panel->overlay.trailOn, 0);
}

TEST_F(ControlPanelTest, EnabledHotkeyIsRegisteredForThePanel) {
    MessageBoxRecorder boxes;
    Start("[SYSTEM]\r\nQVHTOKEYFLAG=1\r\nQVHOTKEY=120\r\nQVMODIFIERS=3\r\n");  // Ctrl+Alt+F9
    EXPECT_TRUE(boxes.boxes().empty());
    PlainWindow other(L"other", RECT{0, 0, 10, 10});
    EXPECT_FALSE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_ALT, VK_F9));
    EXPECT_EQ(::GetLastError(), 1409u);  // already registered
}

TEST_F(ControlPanelTest, TakenHotkeyShowsTheMessageAndThePanelStillComesUp) {
    PlainWindow other(L"other", RECT{0, 0, 10, 10});
    ASSERT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_ALT, '4'));
    {
        MessageBoxRecorder boxes;
        Start("[SYSTEM]\r\nQVHTOKEYFLAG=1\r\n");
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text,
                  testing_support::InLanguage(L"ホットキーの登録が失敗しました.他のキーに変更してください.",
                                              L"The hotkey could not be registered. Choose another key."));
        EXPECT_EQ(boxes.boxes()[0].caption, L"win_tests");
    }
    ::UnregisterHotKey(other.hwnd(), 1);
    EXPECT_EQ(panel->settings.hotkeyEnabled, 1);  // kept, so the next start tries again
    EXPECT_EQ(ButtonText(*panel), L"ON");
    EXPECT_NE(panel->overlay.hwnd(), nullptr);
}

TEST_F(ControlPanelTest, SettingsFromTheFileReachTheOverlayAtStart) {
    Start(
        "[SYSTEM]\r\nDRAWMODE=0\r\nLINECOLOR=2\r\nPOINTCOLOR=4\r\nLINEPOINT=2\r\nPOINTPOINT=0\r\n"
        "TRANSPARENT=40\r\nLINEKIND=1\r\n");
    const trail::TrailStyle& style = panel->overlay.style;
    EXPECT_EQ(style.drawLines, 1);
    EXPECT_EQ(style.drawPoints, 1);
    EXPECT_EQ(style.lineColor, RGB(0, 0, 255));
    EXPECT_EQ(style.pointColor, RGB(0, 0, 0));
    EXPECT_EQ(style.lineWidthPt, 10);
    EXPECT_EQ(style.pointWidthPt, 2);
    EXPECT_EQ(style.opacityPercent, 40);
    EXPECT_EQ(style.straightLines, 1);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(panel->overlay.hwnd(), &key, &alpha, &flags));
    EXPECT_EQ(alpha, 102);
    EXPECT_EQ(key, RGB(0, 0, 1));
}

TEST_F(ControlPanelTest, ButtonAndDialogBackgroundsAreTheLightGreyBrush) {
    Start();
    HDC dc = ::GetDC(panel->hwnd());
    const auto ask = [&](UINT message) {
        return reinterpret_cast<HBRUSH>(::SendMessageW(panel->hwnd(), message, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(panel->Item(IDC_ONOFF))));
    };
    EXPECT_EQ(ask(WM_CTLCOLORBTN), panel->backgroundBrush.get());
    EXPECT_EQ(ask(WM_CTLCOLORDLG), panel->backgroundBrush.get());
    EXPECT_NE(ask(WM_CTLCOLORSTATIC), panel->backgroundBrush.get());
    ::ReleaseDC(panel->hwnd(), dc);
    LOGBRUSH brush{};
    ::GetObjectW(panel->backgroundBrush.get(), sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, RGB(200, 200, 200));
}

// Looks at the panel right after it handled WM_DESTROY, while its window still exists.
struct AtDestroy {
    static inline HWND panel = nullptr;
    static inline HWND overlay = nullptr;
    static inline bool timerRunning = false;
    static inline bool overlayThere = false;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->message == WM_DESTROY && sent->hwnd == panel) {
            // KillTimer finds the timer only if the panel left it running.
            timerRunning = ::KillTimer(panel, CControlDlg::kTimerId) != FALSE;
            overlayThere = ::IsWindow(overlay) != FALSE;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

// The overlay is a popup made with the panel as its parent, so its owner is
// the panel's top-level window ("Window Features", Owned Windows): the panel
// must take it down itself when only the panel goes, and when the main window
// goes the system destroys the overlay first, as a window it owns
// ("DestroyWindow function").
TEST_F(ControlPanelTest, HoweverThePanelGoesItsTimerStopsAndItsOverlayGoesWithIt) {
    const struct {
        const char* name;
        void (*destroy)(CControlDlg& panel, HWND parent);
    } ways[] = {
        {"its own DestroyWindow", [](CControlDlg& p, HWND) { p.DestroyWindow(); }},
        {"the system's DestroyWindow", [](CControlDlg& p, HWND) { ::DestroyWindow(p.hwnd()); }},
        {"its parent's destruction", [](CControlDlg&, HWND parent) { ::DestroyWindow(parent); }},
    };
    for (const auto& way : ways) {
        PlainWindow parent(L"main", RECT{0, 0, 200, 120});
        CControlDlg dying(File());
        ASSERT_TRUE(dying.Create(parent.hwnd()));
        ASSERT_EQ(::GetWindow(dying.overlay.hwnd(), GW_OWNER), parent.hwnd());
        AtDestroy::panel = dying.hwnd();
        AtDestroy::overlay = dying.overlay.hwnd();
        AtDestroy::timerRunning = AtDestroy::overlayThere = true;
        const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, AtDestroy::Hook, nullptr, ::GetCurrentThreadId());
        way.destroy(dying, parent.hwnd());
        ::UnhookWindowsHookEx(hook);
        EXPECT_FALSE(AtDestroy::timerRunning) << way.name;
        EXPECT_FALSE(AtDestroy::overlayThere) << way.name;  // only the panel's teardown removes it in the first two
        EXPECT_FALSE(::IsWindow(AtDestroy::overlay)) << way.name;
        EXPECT_EQ(dying.hwnd(), nullptr) << way.name;
    }
}

// A pointer source that fails on demand, as GetCursorPos does on the lock screen.
struct FakePointer {
    static inline bool readable = true;
    static inline POINT position{};
    static BOOL WINAPI Read(LPPOINT point) {
        if (!readable) return FALSE;
        *point = position;
        return TRUE;
    }
};

// The lock screen, the secure desktop, a switched-away session: the trail
// hides, and starts afresh where the pointer is found again, with no streak
// from where it was before.
TEST_F(ControlPanelTest, AfterFailedPointerReadsOrALockTheTrailStartsAfreshAtTheFirstGoodPoint) {
    Start();
    ::KillTimer(panel->hwnd(), CControlDlg::kTimerId);  // ticks come from the test only
    panel->readPointer = FakePointer::Read;
    const auto tick = [&] { ::SendMessageW(panel->hwnd(), WM_TIMER, CControlDlg::kTimerId, 0); };
    const auto afresh = [&](trail::Point at) {
        return std::all_of(panel->overlay.history.begin(), panel->overlay.history.end(),
                           [at](trail::Point p) { return p == at; });
    };
    FakePointer::readable = true;
    FakePointer::position = {600, 500};
    // Without the session service (at logon), the notifications are asked for
    // ever less often, until they take.
    static int asked = 0;
    static bool registered = false;
    panel->registerSession = [](HWND) noexcept { return ++asked, registered; };
    for (int i = 0; i < 200; ++i) tick();
    EXPECT_LE(asked, 10) << "asked for twenty times a second";
    const int failed = asked;
    registered = true;
    for (int i = 0; i < 800; ++i) tick();
    EXPECT_GT(asked, failed) << "never asked again";
    panel->overlay.trailOn = 1;
    tick();
    ASSERT_TRUE(::IsWindowVisible(panel->overlay.hwnd()));

    FakePointer::readable = false;  // locked
    for (int i = 0; i < 5; ++i) tick();
    EXPECT_FALSE(::IsWindowVisible(panel->overlay.hwnd()));
    FakePointer::readable = true;  // unlocked, the pointer elsewhere
    FakePointer::position = {900, 700};
    tick();
    EXPECT_TRUE(afresh({900, 700}));
    EXPECT_TRUE(::IsWindowVisible(panel->overlay.hwnd()));

    // Windows sends session notifications, before any read fails; Wine's
    // registration says yes and sends none, so the test sends one.
    // Where the pointer can still be read while locked (a remote session),
    // the trail stays hidden until the unlock, in every drawing mode, and
    // starts afresh there.
    EXPECT_TRUE(win::RegisterSessionNotifications(panel->hwnd())) << "wtsapi32 bound from System32";
    static win::SessionLock answer = win::SessionLock::Unknown;
    panel->querySessionLock = []() noexcept { return answer; };
    const auto session = [&](WPARAM code) { ::SendMessageW(panel->hwnd(), WM_WTSSESSION_CHANGE, code, 0); };
    panel->overlay.trailOn = 0;
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);  // on, as a user switches it
    const auto shown = [&] {
        return ::IsWindowVisible(panel->overlay.hwnd()) &&
               (!panel->overlay.style.fade || ::IsWindowVisible(panel->overlay.fading.headWindow())) &&
               ::IsWindowVisible(panel->overlay.halo.window());
    };
    // Nothing of ours on the screen: no trail, head, halo or closing rings.
    const auto hidden = [&] {
        return !::IsWindowVisible(panel->overlay.hwnd()) && !::IsWindowVisible(panel->overlay.fading.headWindow()) &&
               !::IsWindowVisible(panel->overlay.halo.window()) && !panel->rings.findWindow();
    };
    panel->settings.halo = panel->settings.shake = 1;
    for (const int fade : {0, 1}) {
        for (const int kind : {0, 1, 2}) {
            const std::string mode = "fade " + std::to_string(fade) + ", line kind " + std::to_string(kind);
            panel->settings.fade = fade;
            panel->settings.lineKind = kind;
            panel->ApplySettings();
            const auto walk = [&](trail::Point at) {
                FakePointer::position = {at.x, at.y};
                tick();
                FakePointer::position = {at.x + 40, at.y + 10};
                tick();
            };
            walk({600, 500});
            EXPECT_TRUE(shown()) << mode;
            panel->rings.Find({600, 500}, RGB(255, 0, 0), HWND_TOPMOST);  // a shake just before
            session(WTS_SESSION_LOCK);
            EXPECT_FALSE(shown()) << mode << ": at the lock";
            walk({300, 200});
            EXPECT_TRUE(hidden()) << mode << ": locked, the pointer read";
            session(WTS_SESSION_UNLOCK);
            FakePointer::position = {400, 300};
            tick();
            EXPECT_TRUE(afresh({400, 300})) << mode << ": a streak from before the lock";
            walk({400, 300});
            EXPECT_TRUE(shown()) << mode << ": after the unlock";
        }
    }
    // A missed unlock ends with a switch of the trail, or once the session
    // manager says the session is not locked; a session still locked stays hidden.
    session(WTS_REMOTE_DISCONNECT);
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
    tick();
    EXPECT_TRUE(shown()) << "switched off and on after a missed unlock";
    answer = win::SessionLock::Locked;
    session(WTS_REMOTE_CONNECT);
    for (int i = 0; i < 2 * CControlDlg::kLockQueryTicks; ++i) tick();
    EXPECT_TRUE(hidden()) << "connected to a session still locked";
    answer = win::SessionLock::Unlocked;
    for (int i = 0; i < 2 * CControlDlg::kLockQueryTicks; ++i) tick();
    EXPECT_TRUE(shown()) << "the session manager says unlocked";
    panel->overlay.trailOn = 0;
}

// A press is ringed where the button went down, though the pointer has moved
// on by the time the panel reads it (a fast drag, a busy tick).
TEST_F(ControlPanelTest, SwitchingOnWithClicksRingsWhereTheButtonWentDown) {
    Start("[SYSTEM]\r\nCLICKS=1\r\n");
    panel->readPointer = FakePointer::Read;
    FakePointer::readable = true;
    FakePointer::position = {640, 560};
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
    ::SendMessageW(panel->hwnd(), WM_TIMER, CControlDlg::kTimerId, 0);  // listening from this tick on
    ::SetCursorPos(420, 330);
    INPUT press[2]{};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(::SendInput(2, press, sizeof(INPUT)), 2u);
    ASSERT_TRUE(
        PumpUntil([&] { return panel->rings.window(0) && ::IsWindowVisible(panel->rings.window(0)); }, "a ring"));
    RECT placed{};
    ::GetWindowRect(panel->rings.window(0), &placed);
    EXPECT_NEAR((placed.left + placed.right) / 2.0, 420, 1);
    EXPECT_NEAR((placed.top + placed.bottom) / 2.0, 330, 1);
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
}

// The user's program stands beside Vireon's main window; switching on must leave the keyboard with it.
TEST_F(ControlPanelTest, SwitchingOnByClickGivesTheActivationToTheNextWindow) {
    PlainWindow user(L"user's program", RECT{300, 300, 500, 400});
    Start();
    ::SetWindowPos(mainWindow.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(mainWindow.hwnd());
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == mainWindow.hwnd(); }, "the main window in front"));
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
    EXPECT_TRUE(::IsIconic(mainWindow.hwnd()));
    PumpUntil([&] { return ::GetForegroundWindow() == user.hwnd(); }, "the user's program in front");
}

// Windows activating a window of its own choice as ours is minimised.
struct ActivateOnMinimise {
    static inline HWND other = nullptr;
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_MINMAX && LOWORD(lParam) == SW_SHOWMINNOACTIVE) ::SetForegroundWindow(other);
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

TEST_F(ControlPanelTest, SwitchingOnByClickLeavesTheKeyboardWhereWindowsPutItOnMinimising) {
    // Z order: the main window, the user's program, then the other.
    PlainWindow other(L"another program", RECT{600, 300, 700, 400});
    PlainWindow user(L"user's program", RECT{300, 300, 500, 400});
    Start();
    ::SetWindowPos(mainWindow.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(mainWindow.hwnd());
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == mainWindow.hwnd(); }, "the main window in front"));
    ActivateOnMinimise::other = other.hwnd();
    const HHOOK hook = ::SetWindowsHookExW(WH_CBT, ActivateOnMinimise::Hook, nullptr, ::GetCurrentThreadId());
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
    ::UnhookWindowsHookEx(hook);
    PumpUntil([&] { return ::GetForegroundWindow() == other.hwnd(); }, "the window Windows chose in front");
    PumpQueued();  // a second activation, which must not come
    EXPECT_EQ(::GetForegroundWindow(), other.hwnd());
}

TEST_F(ControlPanelTest, SwitchingOnByHotkeyLeavesTheActivationWhereItIs) {
    PlainWindow user(L"user's program", RECT{300, 300, 500, 400});
    Start();
    ::SetForegroundWindow(user.hwnd());
    ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == user.hwnd(); }, "the user's program in front"));
    ::SendMessageW(panel->hwnd(), WM_HOTKEY, CControlDlg::kHotkeyId, 0);
    PumpQueued();  // an activation, which must not come
    EXPECT_TRUE(::IsIconic(mainWindow.hwnd()));
    EXPECT_EQ(::GetForegroundWindow(), user.hwnd());
    EXPECT_EQ(::GetActiveWindow(), user.hwnd());
}

// Wine repeats WM_HOTKEY for every auto-repeat even with MOD_NOREPEAT (measured
// here: four for four), so what can be checked is what the panel asks for.
TEST_F(ControlPanelTest, TheHotkeyIsRegisteredWithoutRepeatAndStoredWithout) {
    WriteBytes(folder.File(L"Vireon.ini"), "[SYSTEM]\r\nQVHTOKEYFLAG=1\r\nQVHOTKEY=120\r\nQVMODIFIERS=3\r\n");
    panel = std::make_unique<CControlDlg>(File());
    testing_support::RecordedRegistration::calls.clear();
    panel->registerHotKey = testing_support::RecordedRegistration::Register;
    ASSERT_TRUE(panel->Create(mainWindow.hwnd()));
    const std::vector<std::pair<int, UINT>> expected{{103, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT}};
    EXPECT_EQ(testing_support::RecordedRegistration::calls, expected);

    panel->SaveSettings();
    EXPECT_EQ(::GetPrivateProfileIntW(L"SYSTEM", L"QVMODIFIERS", -1, panel->settingsFile.path.c_str()), 3);
    EXPECT_EQ(panel->settings.hotkeyModifiers, 3);
}

// The settings reaching the overlay, where the panel hands them over.
class ApplySettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(overlay.Create(panel.hwnd()));
        overlay.panelHwnd = panel.hwnd();
        overlay.ResetOverlay();
    }
    void TearDown() override { overlay.DestroyWindow(); }
    // As the panel hands them over.
    void Apply(const TrailSettings& s) {
        trail::TrailStyle style = overlay.style;
        settings::ApplyToStyle(s, style);
        overlay.SetStyle(style);
    }
    BYTE Alpha() const {
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ::GetLayeredWindowAttributes(overlay.hwnd(), &key, &alpha, &flags);
        EXPECT_EQ(key, RGB(0, 0, 1));
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
        return alpha;
    }

    testing_support::PlainWindow panel{L"panel", RECT{0, 0, 50, 50}};
    CMonitorWin overlay;
};

TEST_F(ApplySettingsTest, StyleAndAlphaFollowTheSettings) {
    TrailSettings s;
    s.opacityPercent = 40;
    Apply(s);
    EXPECT_EQ(Alpha(), 102);
    EXPECT_EQ(overlay.style.drawLines, 1);
    EXPECT_EQ(overlay.style.drawPoints, 0);
    EXPECT_EQ(overlay.style.opacityPercent, 40);

    s.drawMode = 0;
    s.lineColorIndex = 2;
    s.lineKind = 1;
    Apply(s);
    EXPECT_EQ(overlay.style.drawPoints, 1);
    EXPECT_EQ(overlay.style.lineColor, RGB(0, 0, 255));
    EXPECT_EQ(overlay.style.straightLines, 1);

    s.lineColorIndex = 7;  // out of range: blue stays
    Apply(s);
    EXPECT_EQ(overlay.style.lineColor, RGB(0, 0, 255));
}

TEST_F(ApplySettingsTest, OpacityOutsideThePercentRangeIsClampedForTheAlphaOnly) {
    TrailSettings s;
    s.opacityPercent = 101;
    Apply(s);
    EXPECT_EQ(Alpha(), 255);
    EXPECT_EQ(overlay.style.opacityPercent, 101);
    s.opacityPercent = -10;
    Apply(s);
    EXPECT_EQ(Alpha(), 0);
    s.opacityPercent = 1;
    Apply(s);
    EXPECT_EQ(Alpha(), 2);
}

}  // namespace
