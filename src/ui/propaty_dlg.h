// The modal settings dialog: what is drawn, colours, widths, opacity, drawing
// method and the hotkey, with a clash test before a new hotkey is accepted.
#pragma once

#include <windows.h>

#include <cstdint>

#include "settings/trail_settings.h"
#include "ui/hotkey_ex_ctrl.h"
#include "win/dialog.h"

class CPropatyDlg : public win::Dialog {
public:
    static constexpr int kTestHotkeyId = 102;

    CPropatyDlg();

    // The values being edited; the panel hands its own in and takes them back on OK.
    settings::TrailSettings settings{0, 0, 0, 0, 0, 0, 0, 0, 0x34, MOD_ALT};
    CHotKeyExCtrl hotKeyCtrl;
    // How the test registration 102 is made; tests put their own here.
    BOOL(WINAPI* registerHotKey)(HWND, int, UINT, UINT) = ::RegisterHotKey;

protected:
    void DoDataExchange(win::DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    std::optional<LRESULT> OnCommand(WORD id, WORD code) override;

private:
    void OnBnClickedDuplicateCheck();
    // Whether the combination can be registered right now (tried under id 102 and released).
    bool TestHotKey(std::int32_t modifiers, std::int32_t key) const;
    // The field's entry: the key and the modifiers in the system encoding.
    std::int32_t EnteredKey() const noexcept;
    std::int32_t EnteredModifiers() const noexcept;
};
