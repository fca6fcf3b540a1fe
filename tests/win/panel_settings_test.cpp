// The panel's exchange with the settings dialog: what OK and Cancel leave in
// the panel, the overlay, the hotkey registration and the settings file.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "modal_script.h"
#include "resource.h"
#include "test_support.h"

#include "ui/control_dlg.h"

using testing_support::Click;
using testing_support::Enter;
using testing_support::MessageBoxRecorder;
using testing_support::PlainWindow;
using testing_support::ReadBytes;
using testing_support::Schedule;
using testing_support::TempFolder;

namespace {

class PanelSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel = std::make_unique<CControlDlg>(settings::SettingsFile{folder.File(L"Vireon.ini"), 1});
        ASSERT_TRUE(panel->Create(mainWindow.hwnd()));
    }
    void TearDown() override { panel->DestroyWindow(); }
    // Presses the settings button and runs `body` inside the dialog.
    void Settings(std::function<void(HWND)> body) {
        Schedule([] { return ::FindWindowW(L"#32770", testing_support::InLanguage(L"設定", L"Settings")); },
                 std::move(body));
        ::SendMessageW(panel->Item(IDC_SETTINGS), BM_CLICK, 0, 0);
    }
    std::string File() const { return ReadBytes(folder.File(L"Vireon.ini")); }

    TempFolder folder;
    PlainWindow mainWindow{L"main", RECT{0, 0, 200, 120}};
    std::unique_ptr<CControlDlg> panel;
};

// The hotkey pressed under the dialog flips the toggle, but the main window,
// and with it the dialog it owns, stays until the dialog is closed.
TEST_F(PanelSettingsTest, CancelChangesNothingAndWritesNothingAndTheHotkeyWaitsForTheDialog) {
    ::ShowWindow(mainWindow.hwnd(), SW_SHOWNOACTIVATE);
    std::int32_t trailWhileOpen = -1;
    wchar_t toggleWhileOpen[8] = {};
    Settings([&](HWND d) {
        ::SendMessageW(panel->hwnd(), WM_HOTKEY, CControlDlg::kHotkeyId, 0);
        trailWhileOpen = panel->overlay.trailOn;
        ::GetWindowTextW(panel->Item(IDC_ONOFF), toggleWhileOpen, 8);
        EXPECT_FALSE(::IsWindowEnabled(mainWindow.hwnd()));
        EXPECT_FALSE(::IsIconic(mainWindow.hwnd()));
        EXPECT_TRUE(::IsWindowVisible(d));
        Click(d, IDC_LINE_BLUE);
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(trailWhileOpen, 0);
    EXPECT_STREQ(toggleWhileOpen, L"OFF");
    EXPECT_EQ(panel->overlay.trailOn, 1);
    EXPECT_TRUE(::IsIconic(mainWindow.hwnd())) << "switched on: the main window goes once the dialog is closed";
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
              "TRANSPARENT=55\r\nLINEKIND=0\r\nQVHTOKEYFLAG=1\r\nQVHOTKEY=120\r\nQVMODIFIERS=3\r\nFADE=0\r\nCLICKS="
              "0\r\nHALO=0\r\nSHAKE=0\r\n");
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
    EXPECT_EQ(boxes.boxes()[0].text,
              testing_support::InLanguage(L"ホットキーの登録が重複しています.他のキーに変更してください ",
                                          L"The hotkey is already registered. Choose another key."));
    EXPECT_EQ(panel->settings.hotkeyEnabled, 1);
    EXPECT_NE(File().find("QVHTOKEYFLAG=1\r\n"), std::string::npos);
    ::UnregisterHotKey(other.hwnd(), 1);
}

// A read-only file stands for every save that is not made: the user is told
// which file and why, and the settings stay in force for this run.
TEST_F(PanelSettingsTest, ASaveThatIsNotMadeIsShownWithTheFileAndTheReason) {
    const std::wstring path = folder.File(L"Vireon.ini");
    testing_support::WriteBytes(path, "[SYSTEM]\r\nLINECOLOR=1\r\n");
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    MessageBoxRecorder boxes;
    Settings([](HWND d) {
        Click(d, IDC_LINE_BLUE);
        Click(d, IDOK);
    });
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const std::wstring said = boxes.boxes()[0].text;
    EXPECT_EQ(said.substr(0, said.find(L"\n\n")),
              testing_support::InLanguage(L"設定を次のファイルに保存できませんでした。\n",
                                          L"The settings could not be saved to this file:\n") +
                  path);
    EXPECT_NE(said.find(testing_support::InLanguage(L"\n\nこのフォルダーまたはファイルには書き込めません。",
                                                    L"\n\nThe folder or the file does not accept changes.")),
              std::wstring::npos);
    EXPECT_EQ(File(), "[SYSTEM]\r\nLINECOLOR=1\r\n");
    EXPECT_EQ(panel->overlay.style.lineColor, RGB(0, 0, 255));
}

}  // namespace
