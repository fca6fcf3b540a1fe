// File operations the settings need: where a file really lives, reading it
// whole, and putting new text in its place without ever losing the old.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win {

// The file a path leads to, a symbolic link followed to its target; the path
// itself when it cannot be opened.
std::wstring FinalPath(const std::wstring& path);

// Every byte of the file; nothing when it cannot be opened or read to its end,
// with the reason in `error` (ERROR_FILE_NOT_FOUND for a missing file).
std::optional<std::string> ReadFileBytes(const std::wstring& path, DWORD& error);

using ReplaceFileFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD, LPVOID, LPVOID);

struct Written {
    enum Way { Replaced, Created, InPlace, NotWritten };
    Way way = NotWritten;
    // Why the file could not be written; or, written in place, why it could not be replaced.
    DWORD error = ERROR_SUCCESS;
};

// Puts `bytes` into the file at `path` (a final path): written beside it as
// "<path>.new" and put in its place, so that a failure half way never leaves a
// damaged file; where no file may be made beside it, or the file cannot be
// replaced, written over the old text in place, as the profile functions do.
// `attributes` are those of the existing file (INVALID_FILE_ATTRIBUTES for
// none) and stay on it. `replace` stands for ReplaceFileW.
Written WriteReplacing(const std::wstring& path, const std::string& bytes, DWORD attributes,
                       ReplaceFileFn replace = ::ReplaceFileW);

}  // namespace win
