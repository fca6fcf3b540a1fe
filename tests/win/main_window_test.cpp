// The main window: its template, the hosted panel, the glass branch for the
// system version this process sees, and the modal run's ways out.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "resource.h"
#include "test_support.h"
#include "win/dialog.h"
#include "win/dialog_template.h"
#include "win/dpi.h"
#include "ui/lodestar_dlg.h"

using testing_support::TempFolder;

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    TempFolder folder;
    settings::SettingsFile file{folder.File(L"Vireon.ini"), 1};
};

TEST_F(MainWindowTest, TemplateHostsThePanelAndTheLinkWithTheProgramIcon) {
    CLodestarDlg dialog(file);
    ASSERT_TRUE(dialog.Create(nullptr));
    const HWND main = dialog.hwnd();
    wchar_t title[32] = {};
    ::GetWindowTextW(main, title, 32);
    EXPECT_STREQ(title, L"Vireon");
    EXPECT_NE(::GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
    const LONG_PTR style = ::GetWindowLongPtrW(main, GWL_STYLE);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);

    const HWND link = ::GetDlgItem(main, IDC_LINK);
    wchar_t className[32] = {};
    ::GetClassNameW(link, className, 32);
    EXPECT_STREQ(className, L"SysLink");

    ASSERT_NE(dialog.controlPanel.hwnd(), nullptr);
    EXPECT_EQ(::GetParent(dialog.controlPanel.hwnd()), main);
    EXPECT_TRUE(::IsWindowVisible(dialog.controlPanel.hwnd()));

    // Whole buttons and a whole link: the panel with as much room on its right
    // as on its left (a pixel of rounding apart), the link's text on one line.
    testing_support::ExpectLaidOutInside(main, "the main window");
    RECT client{};
    RECT panel{};
    ::GetClientRect(main, &client);
    ::GetWindowRect(dialog.controlPanel.hwnd(), &panel);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&panel), 2);
    EXPECT_NEAR(client.right - panel.right, panel.left, 1);

    ASSERT_NE(dialog.appIcon, nullptr);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(main, WM_GETICON, ICON_BIG, 0)), dialog.appIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(main, WM_QUERYDRAGICON, 0, 0)), dialog.appIcon);

    const HWND overlay = dialog.controlPanel.overlay.hwnd();
    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_FALSE(::IsWindow(overlay));
    EXPECT_EQ(dialog.controlPanel.hwnd(), nullptr);
}

// Run under several reported system versions (the test executable is copied
// under other names that the prefix maps to older versions).
TEST_F(MainWindowTest, GlassFollowsTheSystemVersionAndTheCompositionState) {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)  // what the program itself asks, deprecated or not
#endif
    ASSERT_TRUE(::GetVersionExW(&version));
    CLodestarDlg dialog(file);
    ASSERT_TRUE(dialog.Create(nullptr));
    // 8, 9, 24 and 5 pixels at 96 DPI, as many at the window's own.
    const int dpi = win::WindowDpi(dialog.hwnd());
    EXPECT_EQ(dialog.glassMargins.cxLeftWidth, ::MulDiv(8, dpi, 96));
    EXPECT_EQ(dialog.glassMargins.cxRightWidth, ::MulDiv(9, dpi, 96));
    EXPECT_EQ(dialog.glassMargins.cyTopHeight, ::MulDiv(24, dpi, 96));
    EXPECT_EQ(dialog.glassMargins.cyBottomHeight, ::MulDiv(5, dpi, 96));

    // From Windows 8 (6.2) on composition is always on; before version 6 there
    // is no window manager; on Vista and 7 it is the user's choice, so only
    // there the window manager's own answer is the reference.
    BOOL composition = FALSE;
    const HRESULT status = win::QueryGlassComposition(&composition);
    const DWORD system = version.dwMajorVersion * 100 + version.dwMinorVersion;
    if (system < 600) {
        EXPECT_EQ(status, -1);
        EXPECT_EQ(::GetModuleHandleW(L"dwmapi.dll"), nullptr) << "never loaded before version 6";
        EXPECT_FALSE(dialog.glassEnabled);
    } else if (system >= 602) {
        EXPECT_TRUE(dialog.glassEnabled);
    } else {
        EXPECT_EQ(dialog.glassEnabled, composition);
    }
    std::printf("system %lu.%lu, composition %d\n", version.dwMajorVersion, version.dwMinorVersion, composition);

    HDC dc = ::GetDC(dialog.hwnd());
    const auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
        dialog.hwnd(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog.hwnd())));
    if (composition) {
        EXPECT_EQ(brush, ::GetStockObject(BLACK_BRUSH));
        EXPECT_EQ(::GetBkMode(dc), TRANSPARENT);
    } else {
        EXPECT_NE(brush, ::GetStockObject(BLACK_BRUSH));
    }
    ::ReleaseDC(dialog.hwnd(), dc);

    // A composition change is followed without losing the margins.
    ::SendMessageW(dialog.hwnd(), 0x031E /* WM_DWMCOMPOSITIONCHANGED */, 0, 0);
    EXPECT_EQ(dialog.glassEnabled, composition);
    EXPECT_EQ(dialog.glassMargins.cyTopHeight, ::MulDiv(24, dpi, 96));

    // The band meets the frame at any scale: its pixels follow the window's DPI.
    RECT r{};
    ::GetWindowRect(dialog.hwnd(), &r);
    ::SendMessageW(dialog.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi * 3 / 2, dpi * 3 / 2), reinterpret_cast<LPARAM>(&r));
    const win::GlassMargins scaled{::MulDiv(8, dpi * 3 / 2, 96), ::MulDiv(9, dpi * 3 / 2, 96),
                                   ::MulDiv(24, dpi * 3 / 2, 96), ::MulDiv(5, dpi * 3 / 2, 96)};
    EXPECT_EQ(std::memcmp(&dialog.glassMargins, &scaled, sizeof scaled), 0) << dialog.glassMargins.cyTopHeight;
    dialog.DestroyWindow();
}

// Posts `message` to the running main window from inside its modal loop.
UINT postMessage = 0;
WPARAM postWParam = 0;
void CALLBACK PostToMain(HWND, UINT, UINT_PTR id, DWORD) {
    if (const HWND main = CLodestarDlg::liveWindow.load()) {
        ::KillTimer(nullptr, id);
        ::PostMessageW(main, postMessage, postWParam, 0);
    }
}

struct WayOut {
    const char* name;
    UINT message;
    WPARAM wParam;
    INT_PTR result;
};

TEST_F(MainWindowTest, ModalRunEndsOnCloseBoxEscSystemCloseAndOk) {
    const WayOut ways[] = {
        {"close box", WM_CLOSE, 0, IDCANCEL},
        {"system menu close", WM_SYSCOMMAND, SC_CLOSE, IDCANCEL},
        {"Esc", WM_KEYDOWN, VK_ESCAPE, IDCANCEL},
        {"OK command", WM_COMMAND, IDOK, IDOK},
    };
    for (const WayOut& way : ways) {
        postMessage = way.message;
        postWParam = way.wParam;
        ::SetTimer(nullptr, 0, 150, PostToMain);
        CLodestarDlg dialog(file);
        EXPECT_EQ(dialog.DoModal(), way.result) << way.name;
        EXPECT_EQ(dialog.hwnd(), nullptr) << way.name;
        EXPECT_EQ(dialog.controlPanel.hwnd(), nullptr) << way.name;
        EXPECT_EQ(dialog.controlPanel.overlay.hwnd(), nullptr) << way.name;
        EXPECT_EQ(CLodestarDlg::liveWindow.load(), nullptr);
    }
}

// Closes the running main window once its panel's tick has read the pointer
// at `point`, or after five seconds without that tick.
struct CloseAfterTick {
    static inline const CLodestarDlg* dialog = nullptr;
    static inline trail::Point point{};
    static inline ULONGLONG deadline = 0;
    static void CALLBACK Check(HWND, UINT, UINT_PTR id, DWORD) {
        const HWND main = CLodestarDlg::liveWindow.load();
        if (!main || (dialog->controlPanel.overlay.history[0] != point && ::GetTickCount64() < deadline)) return;
        ::KillTimer(nullptr, id);
        ::PostMessageW(main, WM_CLOSE, 0, 0);
    }
};

TEST_F(MainWindowTest, ModalRunKeepsThePanelTimerGoingAndHandsOnAQuitRequest) {
    ::SetCursorPos(111, 222);
    struct Watch : CLodestarDlg {
        using CLodestarDlg::CLodestarDlg;
        trail::Point seen{};
        std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_CLOSE) seen = controlPanel.overlay.history[0];
            return CLodestarDlg::WindowProc(message, wParam, lParam);
        }
    } dialog(file);
    // cppcheck-suppress danglingLifetime ; cleared again before the dialog goes
    CloseAfterTick::dialog = &dialog;
    CloseAfterTick::point = {111, 222};
    CloseAfterTick::deadline = ::GetTickCount64() + 5000;
    ::SetTimer(nullptr, 0, 30, CloseAfterTick::Check);
    dialog.DoModal();
    CloseAfterTick::dialog = nullptr;
    EXPECT_EQ(dialog.seen, (trail::Point{111, 222})) << "no tick inside the modal run";

    // A quit request inside a modal run ends it and is posted again for the loop outside.
    struct QuitInside : CLodestarDlg {
        using CLodestarDlg::CLodestarDlg;
        BOOL OnInitDialog() override {
            CLodestarDlg::OnInitDialog();
            ::PostQuitMessage(7);
            return TRUE;
        }
    } quitting(file);
    quitting.DoModal();
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace

// What the framework's font rule yields on this system. On Japanese Windows the
// stock GUI font is MS UI Gothic 9 pt, so the panel, the settings dialog and
// the overlay get MS UI Gothic 9 pt (the overlay 750 x 381 px at 96 DPI);
// under Wine in a Japanese locale its face is "MS Shell Dlg" at 9 pt, which the
// locale maps to MS UI Gothic as well; a system without double-byte character
// sets keeps every template as it is.
TEST(FrameworkFont, DoubleByteSystemsGiveTheOldShellFacesTheGuiFont) {
    LOGFONTW gui{};
    ASSERT_TRUE(::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui));
    const bool dbcs = ::GetSystemMetrics(SM_DBCSENABLED) != 0;
    std::printf("DBCS %d, GUI font %ls, height %ld\n", dbcs, gui.lfFaceName, gui.lfHeight);
    for (const UINT id : {IDD_CONTROL, IDD_SETTINGS, IDD_MONITOR}) {
        const std::vector<std::uint8_t> given = win::FrameworkTemplate(id);
        if (!dbcs) {
            EXPECT_TRUE(given.empty()) << id;
            continue;
        }
        const auto read = win::ReadDialogTemplate(given.data(), given.size());
        ASSERT_TRUE(read && read->font) << id;
        EXPECT_EQ(std::wstring(read->font->face.begin(), read->font->face.end()), gui.lfFaceName) << id;
        const HDC screen = ::GetDC(nullptr);
        EXPECT_EQ(read->font->points, ::MulDiv(-gui.lfHeight, 72, ::GetDeviceCaps(screen, LOGPIXELSY))) << id;
        ::ReleaseDC(nullptr, screen);
        EXPECT_EQ(read->controls, testing_support::StoredTemplate(id).controls) << id;
    }
    // Templates in their own face keep it: the main window and the About box.
    EXPECT_TRUE(win::FrameworkTemplate(IDD_MAIN).empty());
    EXPECT_TRUE(win::FrameworkTemplate(IDD_ABOUTBOX).empty());
}

// A handler that throws: the exception stops at the dialog procedure, is told
// on the debug console, and the dialog goes on.
TEST(DialogLayer, AnExceptionInAHandlerIsToldOnTheConsoleAndStoppedThere) {
    struct Throwing : win::Dialog {
        Throwing() : win::Dialog(IDD_ABOUTBOX) {}
        std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_APP) throw std::runtime_error("out of cheese");
            return win::Dialog::WindowProc(message, wParam, lParam);
        }
    } dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(::SendMessageW(dialog.hwnd(), WM_APP, 0, 0), 0);
    const std::string console = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(console.find("WindowProc(0x8000) stopped an exception: out of cheese"), std::string::npos) << console;
    EXPECT_TRUE(::IsWindow(dialog.hwnd()));
    dialog.DestroyWindow();
}
