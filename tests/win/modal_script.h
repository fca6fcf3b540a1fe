// Driving the settings dialog from inside its own modal loop, as a person
// would: shared by the tests of the dialog, its hotkey field and the panel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ui/propaty_dlg.h"

namespace testing_support {

// Runs `body` once from inside the modal loop of whatever dialog `find`
// returns, as soon as it exists; if the body leaves the dialog open it is
// cancelled afterwards, so that a failing test cannot hang.
void Schedule(std::function<HWND()> find, std::function<void(HWND)> body);
// What RunModal returns when the body left the dialog open and the script
// ended it: no way out of the dialog gives it.
constexpr INT_PTR kEndedByTheScript = 0x5C41;
// Runs the dialog modally with `body` inside its loop; the DoModal result.
// Should the dialog still be running once what the body queued has been
// delivered, the script ends it with kEndedByTheScript.
INT_PTR RunModal(CPropatyDlg& dialog, std::function<void(HWND)> body);

void Click(HWND dialog, int id);
bool Checked(HWND dialog, int id);
// A real key press or release, through SendInput.
void Key(WORD vk, bool up);
void Tap(WORD vk);

// Settings as the panel hands them over: points and lines, blue lines, black
// 10-point dots, 40 % opaque, straight lines, hotkey Alt+4 enabled.
void Fill(CPropatyDlg& d);
// The entry typed into the field, as the hook would leave it.
void Enter(CPropatyDlg& dialog, WORD key, std::uint16_t flags);

}  // namespace testing_support
