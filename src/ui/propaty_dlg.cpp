#include "ui/propaty_dlg.h"

#include <cstdio>

#include "resource.h"
#include "win/message_box.h"

CPropatyDlg::CPropatyDlg() : win::Dialog(IDD_SETTINGS) {}

void CPropatyDlg::DoDataExchange(win::DataExchange& dx) {
    dx.Radio(IDC_DRAW_BOTH, settings.drawMode);
    dx.Radio(IDC_LINE_RED, settings.lineColorIndex);
    dx.Radio(IDC_POINT_RED, settings.pointColorIndex);
    dx.Radio(IDC_LINE_2PT, settings.lineWidthIndex);
    dx.Radio(IDC_POINT_2PT, settings.pointWidthIndex);
    dx.Slider(IDC_OPACITY, settings.opacityPercent);
    // The check boxes of keys where any value but 0 is on: a hand-edited FADE=5 is shown checked.
    const auto flag = [&](int id, std::int32_t& value) {
        BOOL on = value != 0;
        dx.Check(id, on);
        value = on;
    };
    flag(IDC_FADE, settings.fade);
    flag(IDC_CLICKS, settings.clicks);
    flag(IDC_HALO, settings.halo);
    flag(IDC_SHAKE, settings.shake);
    dx.Radio(IDC_CURVE, settings.lineKind);
    BOOL enabled = settings.hotkeyEnabled;
    dx.Check(IDC_HOTKEY_ENABLED, enabled);
    settings.hotkeyEnabled = enabled;
    hotKeyCtrl.Attach(Item(IDC_HOTKEY));
}

BOOL CPropatyDlg::OnInitDialog() {
    win::Dialog::OnInitDialog();
    hotKeyCtrl.entry.modifierFlags =
        hotkey::ModifiersToHotKeyFlags(static_cast<std::uint32_t>(settings.hotkeyModifiers));
    hotKeyCtrl.entry.keyCode = static_cast<std::uint16_t>(settings.hotkeyKey & 0xFFFF);
    // The stored combination stays shown until the first captured key.
    hotKeyCtrl.entry.restartEntry = 1;
    hotKeyCtrl.Redraw();
    // A checked radio button becomes a tab stop (the button control does that
    // on BM_SETCHECK), so the dialog manager would start on the first group's
    // button; the dialog starts on the slider, its first tab stop by design.
    ::SetFocus(Item(IDC_OPACITY));
    return FALSE;
}

std::int32_t CPropatyDlg::EnteredKey() const noexcept { return hotKeyCtrl.entry.keyCode; }

std::int32_t CPropatyDlg::EnteredModifiers() const noexcept {
    return hotkey::HotKeyFlagsToModifiers(hotKeyCtrl.entry.modifierFlags);
}

bool CPropatyDlg::TestHotKey(std::int32_t modifiers, std::int32_t key) const {
    const bool free =
        registerHotKey(hwnd(), kTestHotkeyId, hotkey::RegistrationModifiers(modifiers), static_cast<UINT>(key));
    ::UnregisterHotKey(hwnd(), kTestHotkeyId);
    return free;
}

static void PrintCombination(std::int32_t modifiers, std::int32_t key) {
    std::printf("Modifiers=%d\n", static_cast<int>(modifiers));
    std::printf("HotKey = %d\n", static_cast<int>(key));
    std::fflush(stdout);
}

void CPropatyDlg::OnOK() {
    UpdateData(true);
    if (settings.hotkeyEnabled) {
        const std::int32_t key = EnteredKey();
        const std::int32_t modifiers = EnteredModifiers();
        if (key != settings.hotkeyKey || modifiers != settings.hotkeyModifiers) {
            PrintCombination(modifiers, key);
            if (!TestHotKey(modifiers, key)) {
                win::ShowMessage(IDS_HOTKEY_TAKEN_ON_OK);
                return;
            }
            settings.hotkeyModifiers = modifiers;
            settings.hotkeyKey = key;
        }
    }
    win::Dialog::OnOK();
}

void CPropatyDlg::OnBnClickedDuplicateCheck() {
    const std::int32_t key = EnteredKey();
    const std::int32_t modifiers = EnteredModifiers();
    if (key == settings.hotkeyKey && modifiers == settings.hotkeyModifiers) {
        win::ShowMessage(IDS_HOTKEY_CURRENT);
        return;
    }
    PrintCombination(modifiers, key);
    if (TestHotKey(modifiers, key))
        win::ShowMessage(IDS_HOTKEY_FREE);
    else
        win::ShowMessage(IDS_HOTKEY_TAKEN);
}

std::optional<LRESULT> CPropatyDlg::OnCommand(WORD id, WORD code) {
    if (code == BN_CLICKED && id == IDC_DUPLICATE_CHECK) {
        OnBnClickedDuplicateCheck();
        return 0;
    }
    return win::Dialog::OnCommand(id, code);
}
