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

// The name a save of process `processId` gives a file of its own beside
// `path`: "<path>.vireon-<id>.new" for the new text, ".old" for the file it
// replaces. No user picks such a name, and no two running saves share one.
std::wstring SaveFileName(const std::wstring& path, DWORD processId, bool backup);

// The calls of a save that can fail part-way; a test puts failing ones in.
struct FileCalls {
    decltype(&::CreateFileW) create = ::CreateFileW;
    decltype(&::ReplaceFileW) replace = ::ReplaceFileW;
    decltype(&::MoveFileExW) move = ::MoveFileExW;
    decltype(&::WriteFile) write = ::WriteFile;
    // The pause between two tries of a step another program may be holding up.
    decltype(&::Sleep) sleep = ::Sleep;
};

struct Written {
    // Pending: neither file could be renamed; both lie whole under the save's
    // own names, and the next load or save puts the new text in place.
    enum Way { Replaced, Created, InPlace, Pending, NotWritten };
    Way way = NotWritten;
    // Why the file could not be written; or, written in place, why it could not be replaced.
    DWORD error = ERROR_SUCCESS;
};

// Puts `bytes` into the file at `path` (a final path), whose text is `old`
// and whose `attributes` stay on it (INVALID_FILE_ATTRIBUTES: no file yet).
// The text is written beside it under this save's own name and put in its
// place, the old file kept under this save's backup name until then. Only
// where the folder takes no new file, or the file cannot be replaced or
// renamed over, is the text written over the old in place, as the profile
// functions write. Whatever fails, the file holds `old` or `bytes`, whole;
// only where nothing could be renamed any more are both left under this
// save's names for RecoverInterruptedSave, the file's own name then empty.
Written WriteReplacing(const std::wstring& path, const std::string& bytes, const std::string& old, DWORD attributes,
                       const FileCalls& calls = {});

struct Recovered {
    std::wstring file;  // where the settings are: `path`, or a file that could not be moved there
    DWORD error = ERROR_SUCCESS;
};

// Puts back what a save of ours left when it was cut short (a crash or a power
// loss): between ReplaceFileW's two renames only the new text and the old file
// exist, under their save's names. Where `path` is missing, the new text goes
// back under it when its old file lies beside it (the replace had begun, so
// the new text had been flushed), else the old file. A new text alone is a
// save cut short while it was written, and is removed; so is everything such
// saves left once `path` is there, and then whole.
Recovered RecoverInterruptedSave(const std::wstring& path, const FileCalls& calls = {});

}  // namespace win
