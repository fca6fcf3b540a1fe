#include "win/file.h"

#include "win/growing_text.h"
#include "win/handle.h"

#include <string_view>
#include <vector>

namespace win {
namespace {

DWORD Failed() noexcept {
    const DWORD error = ::GetLastError();
    return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
}

DWORD Succeeded(BOOL ok) noexcept { return ok ? ERROR_SUCCESS : Failed(); }

bool Exists(const std::wstring& path) noexcept { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Writes every byte from the file's start and ends the file there.
DWORD WriteAll(HANDLE file, const std::string& bytes, const FileCalls& calls) {
    if (!::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN)) return Failed();
    DWORD written = 0;
    if (!calls.write(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return Failed();
    if (written != bytes.size()) return ERROR_WRITE_FAULT;
    if (!::SetEndOfFile(file) || !::FlushFileBuffers(file)) return Failed();
    return ERROR_SUCCESS;
}

// Writes `bytes` over the file; should that fail part-way (a full disk, an I/O
// error), `before` goes back the same way before the error is reported. The
// old text fits: the file already had room for it.
DWORD WriteOver(HANDLE file, const std::string& bytes, const std::string& before, const FileCalls& calls) {
    const DWORD error = WriteAll(file, bytes, calls);
    if (error != ERROR_SUCCESS) WriteAll(file, before, calls);
    return error;
}

// A virus scanner, the search indexer or a sync client may hold a new file
// for a moment; such failures are tried again, briefly, as build tools retry
// their renames on Windows. 1175 (ERROR_UNABLE_TO_REMOVE_REPLACED) leaves both
// files under their own names ("ReplaceFileW function").
bool MayPass(DWORD error) noexcept {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Calls `attempt` until it returns ERROR_SUCCESS, fails for good, or five
// retries over about 300 ms have failed; ERROR_SUCCESS or the last error.
template <class Attempt>
DWORD WithRetries(const FileCalls& calls, Attempt attempt) {
    constexpr int kRetries = 5;
    for (int retry = 0;; ++retry) {
        const DWORD error = attempt();
        if (error == ERROR_SUCCESS || !MayPass(error) || retry == kRetries) return error;
        calls.sleep(10u << retry);
    }
}

// Removes a file of ours, whatever attributes it was left with: a hidden or
// read-only one would refuse DeleteFileW, and a hidden one CREATE_ALWAYS with
// FILE_ATTRIBUTE_NORMAL ("CreateFileW function").
void Remove(const std::wstring& path) noexcept {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
}

File CreateForWriting(const std::wstring& path, DWORD creation, const FileCalls& calls, DWORD share = 0) {
    return File(calls.create(path.c_str(), GENERIC_WRITE, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
}

DWORD MoveWithRetries(const std::wstring& from, const std::wstring& to, DWORD flags, const FileCalls& calls) {
    return WithRetries(calls, [&] { return Succeeded(calls.move(from.c_str(), to.c_str(), flags)); });
}

constexpr DWORD kMoveOver = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

// Over the old text, as the profile functions write: the file keeps its name,
// attributes and security. Shared every way, so that a reader who lets others
// write does not stop it.
Written WriteInPlace(const std::wstring& path, const std::string& bytes, const std::string& old, DWORD notReplaced,
                     const FileCalls& calls) {
    const File file =
        CreateForWriting(path, OPEN_EXISTING, calls, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!file) return {Written::NotWritten, Failed()};
    const DWORD error = WriteOver(file.get(), bytes, old, calls);
    return error ? Written{Written::NotWritten, error} : Written{Written::InPlace, notReplaced};
}

// The first save, where no file may be made beside it: made under its own
// name, and removed again should the text not go in whole.
Written WriteFirst(const std::wstring& path, const std::string& bytes, const FileCalls& calls) {
    File file = CreateForWriting(path, CREATE_NEW, calls);
    if (!file) return {Written::NotWritten, Failed()};
    const DWORD error = WriteAll(file.get(), bytes, calls);
    if (error == ERROR_SUCCESS) return {Written::Created, ERROR_SUCCESS};
    file.reset();
    ::DeleteFileW(path.c_str());
    return {Written::NotWritten, error};
}

// ReplaceFileW's 1177: the old file has left its name for the backup name,
// the new text is whole under the temporary one. The new text is moved in; or
// else the old file is moved back and the text written over it in place, as
// where the file cannot be replaced. Should neither move, both stay as they
// are: nothing is written anew under the file's name, where a second failure
// would leave it cut, and the next load or save puts the new text in place.
Written PutBack(const std::wstring& path, const std::wstring& temporary, const std::wstring& backup,
                const std::string& bytes, const std::string& old, const FileCalls& calls) {
    const DWORD moved = MoveWithRetries(temporary, path, kMoveOver, calls);
    if (moved == ERROR_SUCCESS) {
        Remove(backup);
        return {Written::Replaced, ERROR_SUCCESS};
    }
    if (MoveWithRetries(backup, path, kMoveOver, calls) != ERROR_SUCCESS) return {Written::Pending, moved};
    Remove(temporary);
    return WriteInPlace(path, bytes, old, moved, calls);
}

}  // namespace

std::wstring FinalPath(const std::wstring& path) {
    const File file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return path;
    std::wstring target = GrowingText([&file](wchar_t* buffer, size_t capacity) {
        return ::GetFinalPathNameByHandleW(file.get(), buffer, static_cast<DWORD>(capacity), 0);
    });
    return target.empty() ? path : target;
}

std::optional<std::string> ReadFileBytes(const std::wstring& path, DWORD& error) {
    const File file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ::GetLastError();
        return std::nullopt;
    }
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    BOOL ok = TRUE;
    while ((ok = ::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) && got > 0) bytes.append(chunk, got);
    error = ok ? ERROR_SUCCESS : ::GetLastError();
    if (!ok) return std::nullopt;
    return bytes;
}

std::wstring SaveFileName(const std::wstring& path, DWORD processId, bool backup) {
    return path + L".vireon-" + std::to_wstring(processId) + (backup ? L".old" : L".new");
}

Written WriteReplacing(const std::wstring& path, const std::string& bytes, const std::string& old, DWORD attributes,
                       const FileCalls& calls) {
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    const std::wstring temporary = SaveFileName(path, ::GetCurrentProcessId(), false);
    const std::wstring backup = SaveFileName(path, ::GetCurrentProcessId(), true);
    // Files by these names were left by an earlier process that had our id.
    Remove(temporary);
    Remove(backup);
    File file;
    const DWORD notMade = WithRetries(calls, [&] {
        file = CreateForWriting(temporary, CREATE_ALWAYS, calls);
        return file ? ERROR_SUCCESS : Failed();
    });
    if (!file) {
        // Only a refusal to make the file (the folder allows no new files)
        // sends the text where the profile functions would write it. Any
        // other failure (a full disk, an I/O error) would fail there as well,
        // half way.
        if (notMade != ERROR_ACCESS_DENIED) return {Written::NotWritten, notMade};
        return exists ? WriteInPlace(path, bytes, old, notMade, calls) : WriteFirst(path, bytes, calls);
    }
    if (const DWORD error = WriteAll(file.get(), bytes, calls)) {
        file.reset();
        Remove(temporary);
        return {Written::NotWritten, error};
    }
    file.reset();
    if (!exists) {
        const DWORD error = MoveWithRetries(temporary, path, MOVEFILE_WRITE_THROUGH, calls);
        if (error == ERROR_SUCCESS) return {Written::Created, ERROR_SUCCESS};
        Remove(temporary);
        return {Written::NotWritten, error};
    }

    // Wine's ReplaceFileW does not carry the attributes over; they are the user's, so they go on the new text.
    ::SetFileAttributesW(temporary.c_str(), attributes);
    // With a backup name the old file is, after any failure, under its own
    // name or under the backup's: without one, 1177 leaves it under a name of
    // the system's choosing ("ReplaceFileW function").
    const DWORD error = WithRetries(calls, [&] {
        return Succeeded(calls.replace(path.c_str(), temporary.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                                       nullptr, nullptr));
    });
    if (error == ERROR_SUCCESS) {
        Remove(backup);
        return {Written::Replaced, ERROR_SUCCESS};
    }
    if (!Exists(path)) return PutBack(path, temporary, backup, bytes, old, calls);
    // Both files kept their names, so the old text is whole.
    Remove(backup);
    // Some network redirectors and file systems have no ReplaceFileW at all,
    // and answer so with the files untouched; a plain rename may still work.
    const bool unsupported =
        error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION || error == ERROR_INVALID_PARAMETER;
    if (unsupported && MoveWithRetries(temporary, path, kMoveOver, calls) == ERROR_SUCCESS)
        return {Written::Replaced, ERROR_SUCCESS};
    Remove(temporary);
    // Not replaceable (held open without delete sharing, renames refused, the
    // new file held, no replacing on this volume): the text goes over the old
    // in place. Anything else would fail there as well.
    if (!unsupported && !MayPass(error) && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT)
        return {Written::NotWritten, error};
    return WriteInPlace(path, bytes, old, error, calls);
}

namespace {

// A file a save of ours left beside the settings file.
struct Leftover {
    std::wstring path;
    std::wstring processId;
    bool backup = false;
    FILETIME written{};
};

std::vector<Leftover> LeftoversBeside(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = path.substr(0, slash == std::wstring::npos ? 0 : slash + 1);
    const std::wstring prefix = path.substr(folder.size()) + L".vireon-";
    std::vector<Leftover> found;
    WIN32_FIND_DATAW entry{};
    const HANDLE search =
        ::FindFirstFileExW((path + L".vireon-*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        // The pattern may match by a short name too; only our own long names count.
        const std::wstring_view name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || name.size() <= prefix.size() + 4 ||
            ::CompareStringOrdinal(name.data(), static_cast<int>(prefix.size()), prefix.c_str(),
                                   static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL)
            continue;
        const std::wstring_view id = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        const std::wstring_view suffix = name.substr(name.size() - 4);
        if (id.find_first_not_of(L"0123456789") != std::wstring_view::npos || (suffix != L".new" && suffix != L".old"))
            continue;
        found.push_back({folder + entry.cFileName, std::wstring(id), suffix == L".old", entry.ftLastWriteTime});
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return found;
}

}  // namespace

Recovered RecoverInterruptedSave(const std::wstring& path, const FileCalls& calls) {
    const std::vector<Leftover> leftovers = LeftoversBeside(path);
    if (!Exists(path)) {
        // The new text of a save whose old file lies beside it, else an old
        // file; of several crashed saves, the latest.
        const auto rank = [&leftovers](const Leftover& l) {
            if (l.backup) return 1;
            for (const Leftover& other : leftovers)
                if (other.backup && other.processId == l.processId) return 2;
            return 0;
        };
        const Leftover* best = nullptr;
        for (const Leftover& l : leftovers) {
            if (rank(l) == 0) continue;
            if (!best || rank(l) > rank(*best) ||
                (rank(l) == rank(*best) && ::CompareFileTime(&l.written, &best->written) > 0))
                best = &l;
        }
        if (best) {
            const DWORD error = MoveWithRetries(best->path, path, MOVEFILE_WRITE_THROUGH, calls);
            if (error != ERROR_SUCCESS) return {best->path, error};
        }
    }
    for (const Leftover& l : leftovers) Remove(l.path);
    return {path, ERROR_SUCCESS};
}

}  // namespace win
