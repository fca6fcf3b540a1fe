#include "win/dialog.h"

namespace win {

HINSTANCE ResourceModule() noexcept { return ::GetModuleHandleW(nullptr); }

Dialog::~Dialog() {
    if (hwnd_) {
        // The object is going away: no message may reach it any more.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

bool Dialog::Create(HWND parent) noexcept {
    if (hwnd_) return false;
    ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                         reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

BOOL Dialog::DestroyWindow() { return hwnd_ ? ::DestroyWindow(hwnd_) : FALSE; }

std::optional<LRESULT> Dialog::WindowProc(UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    default: return std::nullopt;
    }
}

HBRUSH Dialog::DefaultCtlColor(UINT message, WPARAM wParam, LPARAM lParam) const noexcept {
    return reinterpret_cast<HBRUSH>(::DefWindowProcW(hwnd_, message, wParam, lParam));
}

// Messages whose result goes back as the procedure's own return value; for all
// others a dialog procedure returns TRUE and leaves the result in DWLP_MSGRESULT.
static bool ReturnsResultDirectly(UINT message) noexcept {
    return IsCtlColorMessage(message) || message == WM_INITDIALOG || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
           message == WM_QUERYDRAGICON;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return FALSE;

    std::optional<LRESULT> result;
    try {
        result = self->WindowProc(message, wParam, lParam);
    } catch (...) {
        // An exception must not unwind through the system's dispatcher.
        result.reset();
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    if (!result) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(*result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

}  // namespace win
