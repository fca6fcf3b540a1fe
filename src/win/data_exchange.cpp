#include "win/data_exchange.h"

#include <commctrl.h>

namespace win {

namespace {

bool IsRadioButton(HWND control) noexcept {
    if (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) return true;
    const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

}  // namespace

void DataExchange::Check(int id, BOOL& value) const noexcept {
    const HWND control = ::GetDlgItem(dialog_, id);
    if (save_)
        value = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessageW(control, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DataExchange::Radio(int firstId, int& value) const noexcept {
    const HWND first = ::GetDlgItem(dialog_, firstId);
    if (!first) return;
    if (save_) value = -1;
    int index = 0;
    for (HWND control = first; control; control = ::GetWindow(control, GW_HWNDNEXT)) {
        if (control != first && (::GetWindowLongPtrW(control, GWL_STYLE) & WS_GROUP)) break;
        if (!IsRadioButton(control)) continue;
        if (save_) {
            if (::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageW(control, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DataExchange::Slider(int id, int& value) const noexcept {
    const HWND control = ::GetDlgItem(dialog_, id);
    if (save_)
        value = static_cast<int>(::SendMessageW(control, TBM_GETPOS, 0, 0));
    else
        ::SendMessageW(control, TBM_SETPOS, TRUE, value);
}

void DataExchange::Text(int id, std::wstring& value) const {
    const HWND control = ::GetDlgItem(dialog_, id);
    if (save_) {
        const int length = ::GetWindowTextLengthW(control);
        value.assign(static_cast<size_t>(length) + 1, L'\0');
        value.resize(static_cast<size_t>(::GetWindowTextW(control, value.data(), length + 1)));
    } else {
        ::SetWindowTextW(control, value.c_str());
    }
}

}  // namespace win
