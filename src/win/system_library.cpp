#include "win/system_library.h"

#include <string>

#include "win/growing_text.h"

namespace win {

HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
    // By full path: a module of the same base name that something else loaded
    // first (from anywhere) would otherwise be handed back for a bare name
    // ("LoadLibraryExW function", Microsoft Docs, Remarks).
    const std::wstring folder = GrowingText(
        [](wchar_t* buffer, size_t capacity) { return ::GetSystemDirectoryW(buffer, static_cast<UINT>(capacity)); });
    if (folder.empty()) return nullptr;
    const std::wstring path = folder + L"\\" + name;
    if (const HMODULE library = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
    // Windows 7 without KB2533623 rejects the flag (ERROR_INVALID_PARAMETER);
    // its dependencies are then looked for beside it, in System32.
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void RestrictDllSearchToSystem32() noexcept {
    // Looked up, not imported: Windows 7 has it only with KB2533623.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (const auto restrict = SystemEntry<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories"))
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace win
