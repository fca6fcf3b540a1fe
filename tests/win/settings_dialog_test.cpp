// The settings dialog made from its template and run modally, driven from
// inside its own modal loop: its controls, data exchange and the hotkey tests
// of OK and 重複確認.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "modal_script.h"
#include "resource.h"
#include "test_support.h"

using testing_support::Checked;
using testing_support::Click;
using testing_support::Enter;
using testing_support::Fill;
using testing_support::MessageBoxRecorder;
using testing_support::PlainWindow;
using testing_support::RunModal;

namespace {

TEST(SettingsDialog, TemplateHoldsTheControlsInOrderWithTenTabStops) {
    struct Expected {
        int id;
        const wchar_t* className;
        bool group;
        bool tabStop;
    };
    const Expected controls[] = {
        {-1, L"Button", false, false},   {1006, L"Button", true, false},       {1007, L"Button", false, false},
        {1008, L"Button", false, false}, {1033, L"Button", false, true},       {1034, L"Button", false, true},
        {-1, L"Button", false, false},   {1024, TRACKBAR_CLASSW, false, true}, {1032, L"Button", false, true},
        {1035, L"Button", false, true},  {-1, L"Button", false, false},        {-1, L"Button", false, false},
        {1009, L"Button", true, false},  {1010, L"Button", false, false},      {1011, L"Button", false, false},
        {1012, L"Button", false, false}, {1013, L"Button", false, false},      {-1, L"Button", false, false},
        {1014, L"Button", true, false},  {1015, L"Button", false, false},      {1016, L"Button", false, false},
        {-1, L"Button", false, false},   {1026, L"Button", true, false},       {1027, L"Button", false, false},
        {1031, L"Button", false, false}, {-1, L"Button", false, false},        {-1, L"Button", false, false},
        {1017, L"Button", true, false},  {1018, L"Button", false, false},      {1019, L"Button", false, false},
        {1020, L"Button", false, false}, {1021, L"Button", false, false},      {-1, L"Button", false, false},
        {1022, L"Button", true, false},  {1023, L"Button", false, false},      {1025, L"Button", false, false},
        {-1, L"Button", false, false},   {1030, L"Button", false, true},       {1028, HOTKEY_CLASSW, false, true},
        {1029, L"Button", false, true},  {IDOK, L"Button", false, true},       {IDCANCEL, L"Button", false, true},
    };
    CPropatyDlg dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    wchar_t caption[16] = {};
    ::GetWindowTextW(dialog.hwnd(), caption, 16);
    EXPECT_STREQ(caption, testing_support::InLanguage(L"設定", L"Settings"));

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
    EXPECT_EQ(items[7].style & 0xFFFF, static_cast<DWORD>(TBS_BOTH | TBS_NOTICKS));
    EXPECT_EQ(items[38].style & WS_BORDER, static_cast<DWORD>(WS_BORDER));
    EXPECT_EQ(items[40].style & 0xF, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    EXPECT_EQ(items[41].text, testing_support::InLanguage(u"キャンセル", u"Cancel"));
    EXPECT_EQ(items[6].text, testing_support::InLanguage(u"透明度(薄い⇔濃い)", u"Opacity (light - dark)"));
    EXPECT_EQ(items[8].text, testing_support::InLanguage(u"フェード", u"Fade"));
    EXPECT_EQ(items[8].style & 0xF, static_cast<DWORD>(BS_AUTOCHECKBOX));
    EXPECT_EQ(items[36].text, testing_support::InLanguage(u"HotKey(On/Off)", u"Hotkey (On/Off)"));
    EXPECT_EQ((items[35].x), testing_support::InLanguage(270, 318));
    EXPECT_EQ((items[35].cx), 42);
    // 曲線, 直線, 先細り on one row, spaced as the three choices of 描画対象.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[22 + i].x, items[1 + i].x) << i;
        EXPECT_EQ(items[22 + i].y, items[22].y) << i;
    }

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
    RECT hotkey = testing_support::InLanguage(RECT{180, 174, 180 + 78, 174 + 14}, RECT{210, 174, 210 + 90, 174 + 14});
    ::MapDialogRect(dialog.hwnd(), &hotkey);
    EXPECT_EQ(placed(IDC_HOTKEY).left, hotkey.left);
    EXPECT_EQ(placed(IDC_HOTKEY).top, hotkey.top);
    // The manager maps the height on its own: the bottom may round otherwise than the mapped corner.
    RECT height{0, 0, 0, 14};
    ::MapDialogRect(dialog.hwnd(), &height);
    EXPECT_EQ(placed(IDC_HOTKEY).bottom - placed(IDC_HOTKEY).top, height.bottom);
    RECT black = testing_support::InLanguage(RECT{288, 102, 288 + 24, 102 + 10}, RECT{345, 102, 345 + 30, 102 + 10});
    ::MapDialogRect(dialog.hwnd(), &black);
    EXPECT_EQ(placed(IDC_POINT_BLACK).left, black.left);
    EXPECT_EQ(placed(IDC_POINT_BLACK).top, black.top);
    testing_support::ExpectLaidOutInside(dialog.hwnd(), "the settings dialog");
    testing_support::ExpectInsideGroupBox(dialog.hwnd(), testing_support::InLanguage(L"描画方法", L"Style"),
                                          {IDC_CURVE, IDC_STRAIGHT, IDC_TAPERED});
    testing_support::ExpectInsideGroupBox(dialog.hwnd(), testing_support::InLanguage(L"描画対象", L"Draw"),
                                          {IDC_DRAW_BOTH, IDC_DRAW_POINTS, IDC_DRAW_LINES, IDC_CLICKS, IDC_HALO});
    testing_support::ExpectInsideGroupBox(dialog.hwnd(),
                                          testing_support::InLanguage(L"透明度(薄い⇔濃い)", L"Opacity (light - dark)"),
                                          {IDC_OPACITY, IDC_FADE, IDC_SHAKE});
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

TEST(SettingsDialog, TheThreeDrawingMethodsComeBackThroughOkAndStayThroughCancel) {
    constexpr int kChoices[] = {IDC_CURVE, IDC_STRAIGHT, IDC_TAPERED};
    for (int kind = 0; kind < 3; ++kind) {
        const int next = (kind + 1) % 3;
        for (const int ending : {IDOK, IDCANCEL}) {
            CPropatyDlg dialog;
            Fill(dialog);
            dialog.settings.lineKind = kind;
            bool shown = false;
            RunModal(dialog, [&](HWND d) {
                shown = Checked(d, kChoices[kind]) && !Checked(d, kChoices[next]);
                Click(d, kChoices[next]);
                Click(d, ending);
            });
            EXPECT_TRUE(shown) << kind;
            EXPECT_EQ(dialog.settings.lineKind, ending == IDOK ? next : kind) << kind << " " << ending;
        }
    }
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
        const INT_PTR result = RunModal(dialog, [&](HWND d) {
            Enter(dialog, 'T', HOTKEYF_CONTROL | HOTKEYF_ALT);
            Click(d, IDOK);
        });
        EXPECT_EQ(result, testing_support::kEndedByTheScript) << "OK ended the dialog";
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text,
                  testing_support::InLanguage(
                      L"HotKey設定は既に他のアプリケーションで使用されています。他の組み合わせに変更してください.",
                      L"This hotkey is already used by another application. Choose another combination."));
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
    EXPECT_EQ(boxes.boxes()[0].text, testing_support::InLanguage(L"現在の設定です。", L"This is the current hotkey."));
    EXPECT_EQ(boxes.boxes()[1].text, testing_support::InLanguage(L"設定可能です.", L"This hotkey is available."));
    EXPECT_EQ(
        boxes.boxes()[2].text,
        testing_support::InLanguage(
            L"このキーの組み合わせは既に他のアプリケーションで使用されています。他の組み合わせに変更してください.",
            L"This key combination is already used by another application. Choose another combination."));
    EXPECT_EQ(dialog.settings.hotkeyKey, '4');
    EXPECT_EQ(dialog.settings.hotkeyModifiers, MOD_ALT);
    // The test registrations ask not to repeat, as the real one does.
    const std::vector<std::pair<int, UINT>> tried{{102, MOD_SHIFT | MOD_NOREPEAT},
                                                  {102, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT}};
    EXPECT_EQ(testing_support::RecordedRegistration::calls, tried);
    ::UnregisterHotKey(other.hwnd(), 1);
}

}  // namespace
