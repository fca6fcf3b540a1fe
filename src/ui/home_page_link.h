// The maker's link, shown in the main window and the About box.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>

// The maker's home page, opened by the link controls.
inline constexpr wchar_t kHomePageUrl[] = L"https://www.example.com/brackenwood/";

// Opens the maker's home page for a dialog.
void OnLinkClick(HWND dialog, const NMHDR* header, LRESULT* result);

// The WM_NOTIFY filter of the main window and the About box: a click on their
// link control (IDC_LINK) goes to OnLinkClick; anything else is not handled.
std::optional<LRESULT> OnLinkNotify(HWND dialog, const NMHDR* header);
