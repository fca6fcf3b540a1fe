#include "win/file.h"

namespace win {

std::optional<std::string> ReadFileBytes(const std::wstring& path, DWORD& error) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = ::GetLastError();
        return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    BOOL ok = TRUE;
    while ((ok = ::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) && got > 0) bytes.append(chunk, got);
    error = ok ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(file);
    if (!ok) return std::nullopt;
    return bytes;
}

}  // namespace win
