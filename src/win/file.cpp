#include "win/file.h"

#include "win/growing_text.h"
#include "win/handle.h"

namespace win {
namespace {

// Writes every byte from the file's start and ends the file there.
DWORD WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return ::GetLastError();
    if (written != bytes.size()) return ERROR_WRITE_FAULT;
    if (!::SetEndOfFile(file) || !::FlushFileBuffers(file)) return ::GetLastError();
    return ERROR_SUCCESS;
}

// A file made anew (`creation`: CREATE_ALWAYS, CREATE_NEW) with the bytes in it.
// `made` tells whether the file was made, so that a failure can remove it.
DWORD WriteNew(const std::wstring& path, const std::string& bytes, DWORD creation, bool& made) {
    const File file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
    made = static_cast<bool>(file);
    if (!file) return ::GetLastError();
    return WriteAll(file.get(), bytes);
}

// Over the old text, as the profile functions write: the file keeps its name,
// attributes and security. Shared every way, so that a reader who lets others
// write does not stop it.
DWORD WriteInPlace(const std::wstring& path, const std::string& bytes) {
    const File file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    return WriteAll(file.get(), bytes);
}

// A virus scanner, the search indexer or a sync client may hold a new file
// for a moment; such failures are tried again, briefly, as build tools retry
// their renames on Windows. 1175 (ERROR_UNABLE_TO_REMOVE_REPLACED) leaves both
// files under their own names ("ReplaceFileW function").
bool MayPass(DWORD error) noexcept {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Calls `attempt` until it succeeds, fails for good, or five retries over about
// 300 ms have failed; ERROR_SUCCESS or the last error.
template <class Attempt>
DWORD WithRetries(Attempt attempt) {
    constexpr int kRetries = 5;
    for (int retry = 0;; ++retry) {
        if (attempt()) return ERROR_SUCCESS;
        const DWORD error = ::GetLastError();
        if (!MayPass(error) || retry == kRetries) return error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error;
        ::Sleep(10u << retry);
    }
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

Written WriteReplacing(const std::wstring& path, const std::string& bytes, DWORD attributes, ReplaceFileFn replace) {
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    const std::wstring temporary = path + L".new";
    bool made = false;
    if (const DWORD error = WriteNew(temporary, bytes, CREATE_ALWAYS, made)) {
        if (made) ::DeleteFileW(temporary.c_str());
        // No file can be made beside it (the folder refuses one, or a folder
        // or a read-only file of that name is in the way): the profile
        // functions would still have written, so this does too.
        if (!exists) {
            const DWORD direct = WriteNew(path, bytes, CREATE_NEW, made);
            if (direct && made) ::DeleteFileW(path.c_str());
            return direct ? Written{Written::NotWritten, direct} : Written{Written::Created, ERROR_SUCCESS};
        }
        const DWORD inPlace = WriteInPlace(path, bytes);
        return inPlace ? Written{Written::NotWritten, inPlace} : Written{Written::InPlace, error};
    }
    if (!exists) {
        const DWORD error = WithRetries(
            [&] { return ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE; });
        if (error == ERROR_SUCCESS) return {Written::Created, ERROR_SUCCESS};
        ::DeleteFileW(temporary.c_str());
        return {Written::NotWritten, error};
    }

    // Wine's ReplaceFileW does not carry the attributes over; they are the user's, so they go on the new text.
    ::SetFileAttributesW(temporary.c_str(), attributes);
    const DWORD error = WithRetries([&] {
        return replace(path.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) !=
               FALSE;
    });
    if (error == ERROR_SUCCESS) return {Written::Replaced, ERROR_SUCCESS};
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // Without a backup name the old file is gone (1176) or lives on under a
        // name of the system's choosing (1177), and the new text is still
        // whole under its own name ("ReplaceFileW function"): it is put in
        // place, and it is never deleted before that has worked.
        const DWORD moved = WithRetries([&] {
            return ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
                   FALSE;
        });
        if (moved == ERROR_SUCCESS) return {Written::Replaced, ERROR_SUCCESS};
        if (WriteNew(path, bytes, CREATE_ALWAYS, made) == ERROR_SUCCESS) {
            ::DeleteFileW(temporary.c_str());
            return {Written::Replaced, ERROR_SUCCESS};
        }
        return {Written::NotWritten, moved};
    }
    ::DeleteFileW(temporary.c_str());
    // Not replaceable: held open without delete sharing, or renames refused.
    // The old text is still whole, so it is written over in place.
    const DWORD inPlace = WriteInPlace(path, bytes);
    return inPlace ? Written{Written::NotWritten, inPlace} : Written{Written::InPlace, error};
}

}  // namespace win
