// The settings dialog made from its template and run modally, driven from
// inside its own modal loop: data exchange, the hotkey tests, the capture hook
// and the panel's exchange with it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/process_modes.h"
#include "resource.h"
#include "test_support.h"
#include "ui/control_dlg.h"
#include "ui/propaty_dlg.h"

using testing_support::MessageBoxRecorder;
using testing_support::PlainWindow;
using testing_support::PumpFor;
using testing_support::PumpUntil;
using testing_support::ReadBytes;
using testing_support::TempFolder;

namespace {

// Runs `script` once from inside the modal loop of whatever dialog `find`
// returns, as soon as it exists; if the script leaves the dialog open it is
// cancelled afterwards, so that a failing test cannot hang.
std::function<HWND()> scriptFind;
std::function<void(HWND)> scriptBody;
void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND dialog = scriptFind();
    if (!dialog) return;
    ::KillTimer(nullptr, id);
    scriptBody(dialog);
    if (::IsWindow(dialog)) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}
void Schedule(std::function<HWND()> find, std::function<void(HWND)> body) {
    scriptFind = std::move(find);
    scriptBody = std::move(body);
    ::SetTimer(nullptr, 0, 30, RunScript);
}

INT_PTR RunModal(CPropatyDlg& dialog, std::function<void(HWND)> body) {
    Schedule([&dialog] { return dialog.hwnd(); }, std::move(body));
    return dialog.DoModal();
}

void Click(HWND dialog, int id) { ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool Checked(HWND dialog, int id) { return ::SendMessageW(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof input);
}
void Tap(WORD vk) {
    Key(vk, false);
    Key(vk, true);
}

// Settings as the panel hands them over: points and lines, blue lines, black
// 10-point dots, 40 % opaque, straight lines, hotkey Alt+4 enabled.
void Fill(CPropatyDlg& d) {
    d.settings.drawMode = 0;
    d.settings.lineColorIndex = 2;
    d.settings.pointColorIndex = 4;
    d.settings.lineWidthIndex = 0;
    d.settings.pointWidthIndex = 2;
    d.settings.opacityPercent = 40;
    d.settings.lineKind = 1;
    d.settings.hotkeyEnabled = 1;
    d.settings.hotkeyKey = '4';
    d.settings.hotkeyModifiers = MOD_ALT;
}

TEST(SettingsDialog, TemplateHoldsTheControlsInOrderWithSixTabStops) {
    struct Expected {
        int id;
        const wchar_t* className;
        bool group;
        bool tabStop;
    };
    const Expected controls[] = {
        {-1, L"Button", false, false},      {1006, L"Button", true, false},  {1007, L"Button", false, false},
        {1008, L"Button", false, false},    {-1, L"Button", false, false},   {1024, TRACKBAR_CLASSW, false, true},
        {-1, L"Button", false, false},      {-1, L"Button", false, false},   {1009, L"Button", true, false},
        {1010, L"Button", false, false},    {1011, L"Button", false, false}, {1012, L"Button", false, false},
        {1013, L"Button", false, false},    {-1, L"Button", false, false},   {1014, L"Button", true, false},
        {1015, L"Button", false, false},    {1016, L"Button", false, false}, {-1, L"Button", false, false},
        {1026, L"Button", true, false},     {1027, L"Button", false, false}, {-1, L"Button", false, false},
        {-1, L"Button", false, false},      {1017, L"Button", true, false},  {1018, L"Button", false, false},
        {1019, L"Button", false, false},    {1020, L"Button", false, false}, {1021, L"Button", false, false},
        {-1, L"Button", false, false},      {1022, L"Button", true, false},  {1023, L"Button", false, false},
        {1025, L"Button", false, false},    {-1, L"Button", false, false},   {1030, L"Button", false, true},
        {1028, HOTKEY_CLASSW, false, true}, {1029, L"Button", false, true},  {IDOK, L"Button", false, true},
        {IDCANCEL, L"Button", false, true},
    };
    CPropatyDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    wchar_t caption[16] = {};
    ::GetWindowTextW(dialog.hwnd(), caption, 16);
    EXPECT_STREQ(caption, L"設定");

    // The template as stored: the dialog manager and the controls add styles of their own later.
    const std::vector<win::TemplateControl> items = testing_support::StoredTemplate(IDD_SETTINGS).controls;
    ASSERT_EQ(items.size(), std::size(controls));
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].id, controls[i].id) << i;
        EXPECT_EQ((items[i].style & WS_GROUP) != 0, controls[i].group) << i;
        EXPECT_EQ((items[i].style & WS_TABSTOP) != 0, controls[i].tabStop) << i;
        EXPECT_EQ(items[i].style & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE)) << i;
        EXPECT_EQ(items[i].exStyle, 0u) << i;
    }
    EXPECT_EQ(items[5].style & 0xFFFF, static_cast<DWORD>(TBS_BOTH | TBS_NOTICKS));
    EXPECT_EQ(items[33].style & WS_BORDER, static_cast<DWORD>(WS_BORDER));
    EXPECT_EQ(items[35].style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(items[36].text, u"キャンセル");
    EXPECT_EQ(items[4].text, u"透明度(薄い⇔濃い)");
    EXPECT_EQ(items[31].text, u"HotKey(On/Off)");
    EXPECT_EQ((items[30].x), 270);
    EXPECT_EQ((items[30].cx), 42);

    std::vector<HWND> children;
    for (HWND c = ::GetWindow(dialog.hwnd(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    ASSERT_EQ(children.size(), std::size(controls));
    for (size_t i = 0; i < children.size(); ++i) {
        const HWND c = children[i];
        wchar_t className[64] = {};
        ::GetClassNameW(c, className, 64);
        const LONG_PTR style = ::GetWindowLongPtrW(c, GWL_STYLE);
        EXPECT_EQ(static_cast<int>(static_cast<short>(::GetDlgCtrlID(c))), controls[i].id) << i;
        EXPECT_EQ(_wcsicmp(className, controls[i].className), 0) << i;
        EXPECT_EQ((style & WS_GROUP) != 0, controls[i].group) << i;
    }
    // Two rectangles in dialog units, converted as the dialog manager does.
    const auto placed = [&](int id) {
        RECT r{};
        ::GetWindowRect(dialog.Item(id), &r);
        ::MapWindowPoints(nullptr, dialog.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT hotkey{180, 150, 180 + 78, 150 + 14};
    ::MapDialogRect(dialog.hwnd(), &hotkey);
    EXPECT_EQ(placed(IDC_HOTKEY).left, hotkey.left);
    EXPECT_EQ(placed(IDC_HOTKEY).bottom, hotkey.bottom);
    RECT black{288, 78, 288 + 24, 78 + 10};
    ::MapDialogRect(dialog.hwnd(), &black);
    EXPECT_EQ(placed(IDC_POINT_BLACK).left, black.left);
    EXPECT_EQ(placed(IDC_POINT_BLACK).top, black.top);
    testing_support::ExpectLaidOutInside(dialog.hwnd(), "the settings dialog");
    dialog.DestroyWindow();
}

TEST(SettingsDialog, ShowsTheStoredValuesWithFocusOnTheSliderAndHandsThemBack) {
    CPropatyDlg dialog;
    Fill(dialog);
    const INT_PTR result = RunModal(dialog, [&](HWND d) {
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDC_OPACITY));
        EXPECT_TRUE(Checked(d, IDC_DRAW_BOTH));
        EXPECT_FALSE(Checked(d, IDC_DRAW_LINES));
        EXPECT_TRUE(Checked(d, IDC_LINE_BLUE));
        EXPECT_TRUE(Checked(d, IDC_POINT_BLACK));
        EXPECT_TRUE(Checked(d, IDC_LINE_2PT));
        EXPECT_TRUE(Checked(d, IDC_POINT_10PT));
        EXPECT_TRUE(Checked(d, IDC_STRAIGHT));
        EXPECT_TRUE(Checked(d, IDC_HOTKEY_ENABLED));
        EXPECT_EQ(::SendMessageW(::GetDlgItem(d, IDC_OPACITY), TBM_GETPOS, 0, 0), 40);
        EXPECT_EQ(dialog.hotKeyCtrl.GetHotKeyText(),
                  GetKeyNameString(VK_MENU, false) + L" + " + GetKeyNameString('4', false));
        EXPECT_EQ(dialog.hotKeyCtrl.entry.restartEntry, 1);
        Click(d, IDC_POINT_GREEN);
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.settings.pointColorIndex, 1);
    EXPECT_EQ(dialog.settings.lineColorIndex, 2);
    EXPECT_EQ(dialog.settings.pointWidthIndex, 2);
    EXPECT_EQ(dialog.settings.opacityPercent, 40);
    EXPECT_EQ(dialog.settings.lineKind, 1);
    EXPECT_EQ(dialog.settings.hotkeyKey, '4');
    EXPECT_EQ(dialog.settings.hotkeyModifiers, MOD_ALT);
}

TEST(SettingsDialog, OutOfRangeValuesSelectNothingAndComeBackAsMinusOneOrTheSliderEnd) {
    CPropatyDlg dialog;
    Fill(dialog);
    dialog.settings.lineColorIndex = 7;
    dialog.settings.drawMode = -1;
    dialog.settings.opacityPercent = 150;
    const INT_PTR result = RunModal(dialog, [](HWND d) {
        for (int id = IDC_LINE_RED; id <= IDC_LINE_BLACK; ++id) EXPECT_FALSE(Checked(d, id)) << id;
        for (int id = IDC_DRAW_BOTH; id <= IDC_DRAW_LINES; ++id) EXPECT_FALSE(Checked(d, id)) << id;
        Click(d, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.settings.lineColorIndex, -1);
    EXPECT_EQ(dialog.settings.drawMode, -1);
    EXPECT_EQ(dialog.settings.opacityPercent, 100);
}

// The entry typed into the field, as the hook would leave it.
void Enter(CPropatyDlg& dialog, WORD key, std::uint16_t flags) {
    dialog.hotKeyCtrl.entry.keyCode = key;
    dialog.hotKeyCtrl.entry.modifierFlags = flags;
}

TEST(SettingsDialog, OkTestsOnlyAnEnabledChangedCombination) {
    PlainWindow other(L"other", RECT{0, 0, 10, 10});
    ASSERT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_ALT, 'T'));  // taken by someone else

    {  // Disabled: whatever was entered is dropped, nothing is tested.
        MessageBoxRecorder boxes;
        CPropatyDlg dialog;
        Fill(dialog);
        dialog.settings.hotkeyEnabled = 0;
        EXPECT_EQ(RunModal(dialog,
                           [&](HWND d) {
                               Enter(dialog, 'T', HOTKEYF_CONTROL | HOTKEYF_ALT);
                               Click(d, IDOK);
                           }),
                  IDOK);
        EXPECT_EQ(dialog.settings.hotkeyKey, '4');
        EXPECT_EQ(dialog.settings.hotkeyModifiers, MOD_ALT);
        EXPECT_TRUE(boxes.boxes().empty());
    }
    {  // Enabled and unchanged: accepted without a test.
        MessageBoxRecorder boxes;
        CPropatyDlg dialog;
        Fill(dialog);
        EXPECT_EQ(RunModal(dialog, [](HWND d) { Click(d, IDOK); }), IDOK);
        EXPECT_TRUE(boxes.boxes().empty());
    }
    {  // Enabled, changed and free: taken over.
        MessageBoxRecorder boxes;
        CPropatyDlg dialog;
        Fill(dialog);
        EXPECT_EQ(RunModal(dialog,
                           [&](HWND d) {
                               Enter(dialog, VK_F9, HOTKEYF_SHIFT | hotkey::kFlagWin);
                               Click(d, IDOK);
                           }),
                  IDOK);
        EXPECT_EQ(dialog.settings.hotkeyKey, VK_F9);
        EXPECT_EQ(dialog.settings.hotkeyModifiers, MOD_SHIFT | MOD_WIN);
        EXPECT_TRUE(boxes.boxes().empty());
        EXPECT_TRUE(::RegisterHotKey(other.hwnd(), 2, MOD_SHIFT | MOD_WIN, VK_F9))
            << "the test registration was released";
        ::UnregisterHotKey(other.hwnd(), 2);
    }
    {  // Enabled, changed and taken: refused with a message, the dialog stays open.
        MessageBoxRecorder boxes;
        CPropatyDlg dialog;
        Fill(dialog);
        bool stayedOpen = false;
        const INT_PTR result = RunModal(dialog, [&](HWND d) {
            Enter(dialog, 'T', HOTKEYF_CONTROL | HOTKEYF_ALT);
            Click(d, IDOK);
            PumpFor(50);
            stayedOpen = ::IsWindow(d) && dialog.hwnd() == d;
            Click(d, IDCANCEL);
        });
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text,
                  L"HotKey設定は既に他のアプリケーションで使用されています。他の組み合わせに変更してください.");
        EXPECT_EQ(dialog.settings.hotkeyKey, '4');
    }
    ::UnregisterHotKey(other.hwnd(), 1);
}

TEST(SettingsDialog, DuplicateCheckReportsCurrentFreeOrTakenAndChangesNothing) {
    PlainWindow other(L"other", RECT{0, 0, 10, 10});
    ASSERT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_ALT, 'T'));
    MessageBoxRecorder boxes;
    CPropatyDlg dialog;
    Fill(dialog);
    dialog.settings.hotkeyEnabled = 0;
    testing_support::RecordedRegistration::calls.clear();
    dialog.registerHotKey = testing_support::RecordedRegistration::Register;
    EXPECT_EQ(RunModal(dialog,
                       [&](HWND d) {
                           Click(d, IDC_DUPLICATE_CHECK);
                           Enter(dialog, VK_F9, HOTKEYF_SHIFT);
                           Click(d, IDC_DUPLICATE_CHECK);
                           Enter(dialog, 'T', HOTKEYF_CONTROL | HOTKEYF_ALT);
                           Click(d, IDC_DUPLICATE_CHECK);
                           Click(d, IDCANCEL);
                       }),
              IDCANCEL);
    ASSERT_EQ(boxes.boxes().size(), 3u);
    EXPECT_EQ(boxes.boxes()[0].text, L"現在の設定です。");
    EXPECT_EQ(boxes.boxes()[1].text, L"設定可能です.");
    EXPECT_EQ(boxes.boxes()[2].text,
              L"このキーの組み合わせは既に他のアプリケーションで使用されています。他の組み合わせに変更してください.");
    EXPECT_EQ(dialog.settings.hotkeyKey, '4');
    EXPECT_EQ(dialog.settings.hotkeyModifiers, MOD_ALT);
    // The test registrations ask not to repeat, as the real one does.
    const std::vector<std::pair<int, UINT>> tried{{102, MOD_SHIFT | MOD_NOREPEAT},
                                                  {102, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT}};
    EXPECT_EQ(testing_support::RecordedRegistration::calls, tried);
    ::UnregisterHotKey(other.hwnd(), 1);
}

TEST(HotKeyField, CapturesKeysOnlyWhileFocusedIncludingTabEnterAndEsc) {
    CPropatyDlg dialog;
    Fill(dialog);
    const INT_PTR result = RunModal(dialog, [&](HWND d) {
        EXPECT_FALSE(CHotKeyExCtrl::HookInstalled());
        Tap('Q');     // focus on the slider: not captured
        PumpFor(50);  // a key that must not arrive: nothing to wait for
        EXPECT_EQ(dialog.hotKeyCtrl.entry.keyCode, '4');

        const HWND field = ::GetDlgItem(d, IDC_HOTKEY);
        ::SetFocus(field);
        EXPECT_TRUE(CHotKeyExCtrl::HookInstalled());
        Key(VK_CONTROL, false);
        Key('H', false);
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == 'H'; }, "Ctrl+H in the field");
        EXPECT_EQ(dialog.hotKeyCtrl.entry.modifierFlags, HOTKEYF_CONTROL);
        EXPECT_EQ(dialog.hotKeyCtrl.GetHotKeyText(),
                  GetKeyNameString(VK_CONTROL, false) + L" + " + GetKeyNameString('H', false));
        Key('H', true);
        Key(VK_CONTROL, true);
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.restartEntry == 1; }, "the entry to end with the releases");

        for (WORD vk : {VK_TAB, VK_RETURN, VK_ESCAPE}) {
            Tap(vk);
            PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == vk; }, "the key in the field");
            EXPECT_EQ(::GetFocus(), field) << vk;
            EXPECT_TRUE(::IsWindow(d)) << vk;
        }

        ::SetFocus(::GetDlgItem(d, IDC_OPACITY));
        EXPECT_FALSE(CHotKeyExCtrl::HookInstalled());
        Tap('Q');
        PumpFor(50);  // a key that must not arrive: nothing to wait for
        EXPECT_EQ(dialog.hotKeyCtrl.entry.keyCode, VK_ESCAPE);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST(HotKeyField, ReleasesOfKeysPressedBeforeTheFieldReachTheSystem) {
    const auto down = [](int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; };
    // Wine keeps the asynchronous key state for 50 ms between reads, so a
    // change shows only after a wait; one that does not come fails the test.
    const auto awaitKey = [&](int vk, bool pressed, const char* what) {
        return PumpUntil([&] { return down(vk) == pressed; }, what, 2000);
    };
    // Wine puts its modifiers back to the X server's state when a window
    // gains the X focus, which nothing here can see coming and which undoes a
    // press made just before it: such a press is made again, as a held key
    // repeats.
    const auto hold = [&](WORD vk) {
        for (int press = 0; press < 10 && !down(vk); ++press) {
            Key(vk, false);
            testing_support::PumpWhileNot([&] { return down(vk); }, 200);
        }
        return down(vk);
    };
    CPropatyDlg dialog;
    Fill(dialog);
    RunModal(dialog, [&](HWND d) {
        PumpUntil([&] { return ::GetForegroundWindow() == d && ::GetActiveWindow() == d; }, "the dialog active");
        // Shift and Ctrl held while the focus comes into the field, as with
        // Shift+Tab; held on, the keyboard repeats them inside the field.
        ASSERT_TRUE(hold(VK_SHIFT)) << "Shift down";
        ASSERT_TRUE(hold(VK_CONTROL)) << "Ctrl down";
        ::SetFocus(::GetDlgItem(d, IDC_HOTKEY));
        ASSERT_TRUE(CHotKeyExCtrl::HookInstalled());
        ASSERT_EQ(dialog.hotKeyCtrl.entry.keyCode, '4');
        for (int repeat = 0; repeat < 2; ++repeat) {
            Key(VK_SHIFT, false);
            Key(VK_CONTROL, false);
        }
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == 0 && dialog.hotKeyCtrl.entry.modifierFlags != 0; },
                  "the repeats in the field");
        Key(VK_SHIFT, true);
        Key(VK_CONTROL, true);
        EXPECT_TRUE(awaitKey(VK_SHIFT, false, "Shift up")) << "the release was swallowed: Shift stays down";
        EXPECT_TRUE(awaitKey(VK_CONTROL, false, "Ctrl up")) << "the release was swallowed: Ctrl stays down";
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.restartEntry == 1; }, "the field to see the releases");

        // A key pressed and released inside the field never reaches the system.
        Key('J', false);
        PumpUntil([&] { return dialog.hotKeyCtrl.entry.keyCode == 'J'; }, "J in the field");
        PumpFor(60);  // past Wine's key-state cache: a press that must not show
        EXPECT_FALSE(down('J'));
        Key('J', true);
        EXPECT_TRUE(::IsWindow(d));
    });
    // A failure above must not leave a key down for the next test.
    for (const WORD vk : {VK_SHIFT, VK_CONTROL})
        if (down(vk)) Key(vk, true);
}

TEST(HotKeyField, HookIsGoneAfterEveryWayOutOfTheDialog) {
    struct Way {
        const char* name;
        std::function<void(HWND)> close;
        INT_PTR result;
    };
    const Way ways[] = {
        {"OK", [](HWND d) { Click(d, IDOK); }, IDOK},
        {"Cancel", [](HWND d) { Click(d, IDCANCEL); }, IDCANCEL},
        {"Esc",
         [](HWND d) {
             ::SetFocus(::GetDlgItem(d, IDC_OPACITY));
             Tap(VK_ESCAPE);
             PumpFor(50);
         },
         IDCANCEL},
        {"close box",
         [](HWND d) {
             ::PostMessageW(d, WM_CLOSE, 0, 0);
             PumpFor(50);
         },
         IDCANCEL},
    };
    for (const Way& way : ways) {
        CPropatyDlg dialog;
        Fill(dialog);
        const INT_PTR result = RunModal(dialog, [&](HWND d) {
            ::SetFocus(::GetDlgItem(d, IDC_HOTKEY));
            EXPECT_TRUE(CHotKeyExCtrl::HookInstalled()) << way.name;
            way.close(d);
        });
        EXPECT_EQ(result, way.result) << way.name;
        EXPECT_FALSE(CHotKeyExCtrl::HookInstalled()) << way.name;
    }
}

class PanelSettingsTest : public ::testing::Test {
protected:
    // The panel takes its settings path from the application folder when it is made.
    void SetUp() override {
        app::appFolder = folder.path();
        panel = std::make_unique<CControlDlg>();
        ASSERT_TRUE(panel->Create(mainWindow.hwnd()));
    }
    void TearDown() override {
        panel->DestroyWindow();
        app::appFolder.clear();
    }
    // Presses the settings button and runs `body` inside the dialog.
    void Settings(std::function<void(HWND)> body) {
        Schedule([] { return ::FindWindowW(L"#32770", L"設定"); }, std::move(body));
        ::SendMessageW(panel->Item(IDC_SETTINGS), BM_CLICK, 0, 0);
    }
    std::string File() const { return ReadBytes(folder.File(L"Vireon.ini")); }

    TempFolder folder;
    PlainWindow mainWindow{L"main", RECT{0, 0, 200, 120}};
    std::unique_ptr<CControlDlg> panel;
};

TEST_F(PanelSettingsTest, CancelChangesNothingAndWritesNothingAndTheTrailComesBack) {
    ::SendMessageW(panel->Item(IDC_ONOFF), BM_CLICK, 0, 0);
    std::int32_t trailWhileOpen = -1;
    Settings([&](HWND d) {
        trailWhileOpen = panel->overlay.trailOn;
        EXPECT_FALSE(::IsWindowEnabled(mainWindow.hwnd()));
        Click(d, IDC_LINE_BLUE);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(trailWhileOpen, 0);
    EXPECT_EQ(panel->overlay.trailOn, 1);
    EXPECT_TRUE(::IsWindowEnabled(mainWindow.hwnd()));
    EXPECT_EQ(panel->settings, settings::TrailSettings{});
    EXPECT_EQ(File(), "");
}

TEST_F(PanelSettingsTest, OkTakesTheValuesRegistersTheHotkeyAppliesAndSaves) {
    Settings([&](HWND d) {
        Click(d, IDC_LINE_BLUE);
        Click(d, IDC_HOTKEY_ENABLED);
        ::SendMessageW(::GetDlgItem(d, IDC_OPACITY), TBM_SETPOS, TRUE, 55);
        auto* dialog = reinterpret_cast<CPropatyDlg*>(::GetWindowLongPtrW(d, GWLP_USERDATA));
        Enter(*dialog, VK_F9, HOTKEYF_CONTROL | HOTKEYF_ALT);
        Click(d, IDOK);
    });
    EXPECT_EQ(panel->settings.lineColorIndex, 2);
    EXPECT_EQ(panel->settings.opacityPercent, 55);
    EXPECT_EQ(panel->settings.hotkeyEnabled, 1);
    EXPECT_EQ(panel->settings.hotkeyKey, VK_F9);
    EXPECT_EQ(panel->settings.hotkeyModifiers, MOD_CONTROL | MOD_ALT);
    EXPECT_EQ(panel->overlay.style.lineColor, RGB(0, 0, 255));
    EXPECT_EQ(File(),
              "[SYSTEM]\r\nDRAWMODE=2\r\nLINECOLOR=2\r\nPOINTCOLOR=3\r\nLINEPOINT=1\r\nPOINTPOINT=1\r\n"
              "TRANSPARENT=55\r\nLINEKIND=0\r\nQVHTOKEYFLAG=1\r\nQVHOTKEY=120\r\nQVMODIFIERS=3\r\n");
    PlainWindow other(L"other", RECT{0, 0, 10, 10});
    EXPECT_FALSE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_ALT, VK_F9)) << "the panel holds it now";

    // Switched off again: the old registration goes, nothing new is registered.
    Settings([](HWND d) {
        Click(d, IDC_HOTKEY_ENABLED);
        Click(d, IDOK);
    });
    EXPECT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_CONTROL | MOD_ALT, VK_F9));
    ::UnregisterHotKey(other.hwnd(), 1);
    EXPECT_NE(File().find("QVHTOKEYFLAG=0\r\n"), std::string::npos);
}

TEST_F(PanelSettingsTest, NewlyEnabledHotkeyTakenElsewhereIsReportedAndStillSaved) {
    PlainWindow other(L"other", RECT{0, 0, 10, 10});
    ASSERT_TRUE(::RegisterHotKey(other.hwnd(), 1, MOD_ALT, '4'));  // the unchanged default
    MessageBoxRecorder boxes;
    Settings([](HWND d) {
        Click(d, IDC_HOTKEY_ENABLED);
        Click(d, IDOK);
    });
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text, L"ホットキーの登録が重複しています.他のキーに変更してください ");
    EXPECT_EQ(panel->settings.hotkeyEnabled, 1);
    EXPECT_NE(File().find("QVHTOKEYFLAG=1\r\n"), std::string::npos);
    ::UnregisterHotKey(other.hwnd(), 1);
}

}  // namespace
