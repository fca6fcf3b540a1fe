#include "app/switches.h"

namespace app {
namespace {

std::wstring_view BeforeLastBackslash(std::wstring_view path) noexcept {
    const auto cut = path.rfind(L'\\');
    if (cut == std::wstring_view::npos) return {};
    path = path.substr(0, cut);
    // Doubled separators ("C:\\x.exe", "\\\\server") would otherwise leave one
    // behind, and callers append "\name" to the folder.
    while (!path.empty() && path.back() == L'\\') path.remove_suffix(1);
    return path;
}

bool IsAsciiLetter(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

void ScanSwitchArgs(std::span<const std::wstring_view> args, SwitchResult& modes) {
    for (const std::wstring_view arg : args) {
        if (arg == L"-D457") {
            modes.debugMode = 1;
            modes.consoleText += "DEBUGMODE ON\n";
        }
        if (arg == L"-RW") {
            modes.readWriteMode = 1;
            modes.consoleText += "ReadWriteMODE ON\n";
        }
    }
}

bool IsAbsolutePath(std::wstring_view path) noexcept {
    if (path.starts_with(L"\\\\")) return true;
    return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

std::wstring AppFolderFrom(std::wstring_view programArg, std::wstring_view modulePath) {
    // A relative argument is relative to the launcher's working directory, not
    // to us, so only an absolute one can be trusted to name our folder.
    if (IsAbsolutePath(programArg) && programArg.find(L'\\') != std::wstring_view::npos) {
        return std::wstring(BeforeLastBackslash(programArg));
    }
    return std::wstring(BeforeLastBackslash(modulePath));
}

}  // namespace app
