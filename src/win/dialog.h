// Dialogs built from resource templates, with messages dispatched to members.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "win/data_exchange.h"

namespace win {

// The module whose resources hold the dialog templates, icons and strings.
HINSTANCE ResourceModule() noexcept;

// Resource `id` of `type` in the language the system's resource loader chose
// for this thread, the one the dialog functions and LoadStringW take, so that
// what is read here never mixes with another language's texts. Null when absent.
HRSRC FindLocalResource(LPCWSTR type, UINT id) noexcept;

// String `id` of the string table in that language; empty when absent.
std::wstring ResourceText(UINT id);

// Template `templateId` with the font the dialog framework the program's
// dialogs were designed with gives it: on a system with double-byte character
// sets (Japanese Windows), "MS Shell Dlg" at 8 points becomes the stock GUI
// font, MS UI Gothic at 9 points, as it does in CWnd::CreateDlgIndirect.
// Empty when the stored template is used as it is.
std::vector<std::uint8_t> FrameworkTemplate(UINT templateId);

// A dialog window built from a numbered template. Derived classes override
// WindowProc with one switch, a line per handled message, and fall back to
// Dialog::WindowProc; an empty result means "not handled" and leaves the
// message to the dialog manager. How a result is returned to the dialog
// manager (direct value or DWLP_MSGRESULT) is decided here only.
class Dialog {
public:
    explicit Dialog(UINT templateId) noexcept : templateId_(templateId) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    // Modeless creation; runs OnInitDialog before it returns.
    bool Create(HWND parent) noexcept;
    // A modal run: the owner is disabled, every message of the thread is
    // dispatched until EndDialog, then the window is destroyed through
    // DestroyWindow and the owner is enabled again. Returns the EndDialog value,
    // or -1 when the window could not be created.
    INT_PTR DoModal(HWND owner = nullptr);
    void EndDialog(INT_PTR result) noexcept;
    // Teardown belongs in OnDestroy, which every way a window goes runs while
    // its object lives. The destructor's own DestroyWindow, for a window still
    // there when its object goes, runs no OnDestroy: the derived part that
    // would handle it is already gone.
    BOOL DestroyWindow() noexcept;

    // Controls to members (save) or members to controls.
    void UpdateData(bool save);

    HWND hwnd() const noexcept { return hwnd_; }
    UINT templateId() const noexcept { return templateId_; }
    HWND Item(int id) const noexcept { return ::GetDlgItem(hwnd_, id); }

protected:
    virtual std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Derived classes call this first: it puts the members into the controls.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange&) {}
    // IDOK and IDCANCEL end a modal run; a modeless dialog ignores them.
    virtual void OnOK();
    virtual void OnCancel();
    // WM_COMMAND; the base turns IDOK and IDCANCEL into OnOK and OnCancel.
    virtual std::optional<LRESULT> OnCommand(WORD id, WORD code);
    // WM_CTLCOLOR*: the brush for the background of `control`, of `kind`
    // (CTLCOLOR_BTN, CTLCOLOR_DLG, ...); empty leaves it to the dialog manager.
    virtual std::optional<HBRUSH> OnCtlColor(HDC, HWND, UINT) { return std::nullopt; }
    // WM_DESTROY, while the window and its children still exist.
    virtual void OnDestroy() {}

    // The dialog manager's answer to WM_CTLCOLOR*, which also gives the DC its colours.
    HBRUSH DefaultCtlColor(HDC dc, HWND control, UINT kind) const noexcept;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ending_ = false;
    INT_PTR result_ = -1;
};

}  // namespace win
