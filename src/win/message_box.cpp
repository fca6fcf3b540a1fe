#include "win/message_box.h"

#include "win/dialog.h"
#include "win/module_path.h"

namespace win {

std::wstring AppName() {
    std::wstring path = ModuleFileName();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) path.erase(0, slash + 1);
    const size_t dot = path.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0) path.erase(dot);
    return path;
}

int ShowMessage(const wchar_t* text) {
    const std::wstring caption = AppName();
    return ::MessageBoxW(::GetActiveWindow(), text, caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

int ShowMessage(UINT textId) { return ShowMessage(ResourceText(textId).c_str()); }

}  // namespace win
