// Reading a file whole.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win {

// Every byte of the file; nothing when it cannot be opened or read to its end,
// with the reason in `error` (ERROR_FILE_NOT_FOUND for a missing file).
std::optional<std::string> ReadFileBytes(const std::wstring& path, DWORD& error);

}  // namespace win
