#include "modal_script.h"

#include <utility>

namespace testing_support {
namespace {

std::function<HWND()> scriptFind;
std::function<void(HWND)> scriptBody;
std::function<void(HWND)> scriptGiveUp;
CPropatyDlg* scriptDialog = nullptr;
UINT_PTR giveUpTimer = 0;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND dialog = scriptFind();
    if (!dialog) return;
    ::KillTimer(nullptr, id);
    scriptBody(dialog);
    if (::IsWindow(dialog)) scriptGiveUp(dialog);
}

// A thread timer's message comes only once no posted message or input is left
// before it: by then a key or a close the body queued has ended the dialog,
// and the loop has stopped taking messages.
void CALLBACK EndByTheScript(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    giveUpTimer = 0;
    if (scriptDialog) scriptDialog->EndDialog(kEndedByTheScript);
}

void Schedule(std::function<HWND()> find, std::function<void(HWND)> body, std::function<void(HWND)> giveUp) {
    scriptFind = std::move(find);
    scriptBody = std::move(body);
    scriptGiveUp = std::move(giveUp);
    ::SetTimer(nullptr, 0, 30, RunScript);
}

}  // namespace

void Schedule(std::function<HWND()> find, std::function<void(HWND)> body) {
    Schedule(std::move(find), std::move(body), [](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
}

INT_PTR RunModal(CPropatyDlg& dialog, std::function<void(HWND)> body) {
    scriptDialog = &dialog;
    Schedule([&dialog] { return dialog.hwnd(); }, std::move(body),
             [](HWND) { giveUpTimer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, EndByTheScript); });
    const INT_PTR result = dialog.DoModal();
    if (giveUpTimer) ::KillTimer(nullptr, giveUpTimer);
    giveUpTimer = 0;
    scriptDialog = nullptr;
    return result;
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

void Enter(CPropatyDlg& dialog, WORD key, std::uint16_t flags) {
    dialog.hotKeyCtrl.entry.keyCode = key;
    dialog.hotKeyCtrl.entry.modifierFlags = flags;
}

}  // namespace testing_support
