#include "ui/home_page_link.h"

#include <shellapi.h>

#include "resource.h"

void OnLinkClick(HWND dialog, const NMHDR*, LRESULT* result) {
    ::ShellExecuteW(dialog, L"open", kHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
    *result = 0;
}

std::optional<LRESULT> OnLinkNotify(HWND dialog, const NMHDR* header) {
    if (!header || header->idFrom != IDC_LINK || header->code != NM_CLICK) return std::nullopt;
    LRESULT result = 0;
    OnLinkClick(dialog, header, &result);
    return result;
}
