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

// The calls of a save that can fail part-way; a test puts failing ones in.
struct FileCalls {
    decltype(&::ReplaceFileW) replace = ::ReplaceFileW;
    decltype(&::MoveFileExW) move = ::MoveFileExW;
    decltype(&::WriteFile) write = ::WriteFile;
    // The pause between two tries of a step another program may be holding up.
    decltype(&::Sleep) sleep = ::Sleep;
};

struct Written {
    enum Way { Replaced, Created, InPlace, NotWritten };
    Way way = NotWritten;
    // Why the file could not be written; or, written in place, why it could not be replaced.
    DWORD error = ERROR_SUCCESS;
};

// Puts `bytes` into the file at `path` (a final path), whose text is `old`
// and whose `attributes` stay on it (INVALID_FILE_ATTRIBUTES: no file yet).
// The text is written beside it as "<path>.new" and put in its place, the old
// file kept as "<path>.old" until then. Only where no file may be made beside
// it, or the file cannot be replaced, is the text written over the old in
// place, as the profile functions write. Whatever fails, the file holds `old`
// or `bytes`, whole, and neither ".new" nor ".old" is left behind.
Written WriteReplacing(const std::wstring& path, const std::string& bytes, const std::string& old, DWORD attributes,
                       const FileCalls& calls = {});

}  // namespace win
