// Dialogs built from resource templates, with messages dispatched to members.
#pragma once

#include <windows.h>

#include <optional>

namespace win {

// The module whose resources hold the dialog templates, icons and strings.
HINSTANCE ResourceModule() noexcept;

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
    virtual BOOL DestroyWindow();

    HWND hwnd() const noexcept { return hwnd_; }
    UINT templateId() const noexcept { return templateId_; }
    HWND Item(int id) const noexcept { return ::GetDlgItem(hwnd_, id); }

protected:
    virtual std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnInitDialog() { return TRUE; }

    // The default answer to a WM_CTLCOLOR* message, as the dialog manager would give it.
    HBRUSH DefaultCtlColor(UINT message, WPARAM wParam, LPARAM lParam) const noexcept;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
};

// The WM_CTLCOLOR* messages carry their kind in the message number:
// 0 message box, 1 edit, 2 list box, 3 button, 4 dialog, 5 scroll bar, 6 static.
constexpr bool IsCtlColorMessage(UINT message) noexcept {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}
constexpr UINT CtlColorKind(UINT message) noexcept { return message - WM_CTLCOLORMSGBOX; }

}  // namespace win
