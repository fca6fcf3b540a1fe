#include "win/file.h"

#include "win/growing_text.h"
#include "win/handle.h"

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

File CreateForWriting(const std::wstring& path, DWORD creation, DWORD share = 0) {
    return File(::CreateFileW(path.c_str(), GENERIC_WRITE, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The old file has left its name (ReplaceFileW's 1177 keeps it under the
// backup name; without one, 1176 deletes it) while the new text is still whole
// under "<path>.new": that is moved in, or else written there anew. Should
// neither work, the old text goes back under its name, the old file itself
// where it lives on, else its bytes.
Written PutInPlace(const std::wstring& path, const std::wstring& temporary, const std::wstring& backup,
                   const std::string& bytes, const std::string& old, DWORD attributes, const FileCalls& calls) {
    const DWORD moved = WithRetries(calls, [&] {
        return Succeeded(
            calls.move(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    });
    if (moved == ERROR_SUCCESS) {
        ::DeleteFileW(backup.c_str());
        return {Written::Replaced, ERROR_SUCCESS};
    }
    File file = CreateForWriting(path, CREATE_ALWAYS);
    const DWORD recreated = file ? WriteAll(file.get(), bytes, calls) : Failed();
    if (recreated == ERROR_SUCCESS) {
        file.reset();
        ::SetFileAttributesW(path.c_str(), attributes);
        ::DeleteFileW(temporary.c_str());
        ::DeleteFileW(backup.c_str());
        return {Written::Replaced, ERROR_SUCCESS};
    }
    file.reset();
    const bool movedBack =
        Exists(backup) && calls.move(backup.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!movedBack) {
        file = CreateForWriting(path, CREATE_ALWAYS);
        if (file && WriteAll(file.get(), old, calls) == ERROR_SUCCESS) {
            file.reset();
            ::SetFileAttributesW(path.c_str(), attributes);
            ::DeleteFileW(backup.c_str());
        }
    }
    ::DeleteFileW(temporary.c_str());
    return {Written::NotWritten, recreated};
}

// Over the old text, as the profile functions write: the file keeps its name,
// attributes and security. Shared every way, so that a reader who lets others
// write does not stop it.
Written WriteInPlace(const std::wstring& path, const std::string& bytes, const std::string& old, DWORD notReplaced,
                     const FileCalls& calls) {
    const File file = CreateForWriting(path, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!file) return {Written::NotWritten, Failed()};
    const DWORD error = WriteOver(file.get(), bytes, old, calls);
    return error ? Written{Written::NotWritten, error} : Written{Written::InPlace, notReplaced};
}

// The first save, where no file may be made beside it: made under its own
// name, and removed again should the text not go in whole.
Written WriteFirst(const std::wstring& path, const std::string& bytes, const FileCalls& calls) {
    File file = CreateForWriting(path, CREATE_NEW);
    if (!file) return {Written::NotWritten, Failed()};
    const DWORD error = WriteAll(file.get(), bytes, calls);
    if (error == ERROR_SUCCESS) return {Written::Created, ERROR_SUCCESS};
    file.reset();
    ::DeleteFileW(path.c_str());
    return {Written::NotWritten, error};
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

Written WriteReplacing(const std::wstring& path, const std::string& bytes, const std::string& old, DWORD attributes,
                       const FileCalls& calls) {
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    const std::wstring temporary = path + L".new";
    const std::wstring backup = path + L".old";
    File file;
    const DWORD notMade = WithRetries(calls, [&] {
        file = CreateForWriting(temporary, CREATE_ALWAYS);
        return file ? ERROR_SUCCESS : Failed();
    });
    if (!file) {
        // Only a refusal to make the file (the folder allows no new files, a
        // folder or a read-only file of that name is in the way) sends the
        // text where the profile functions would write it. Any other failure
        // (a full disk, an I/O error) would fail there as well, half way.
        if (notMade != ERROR_ACCESS_DENIED) return {Written::NotWritten, notMade};
        return exists ? WriteInPlace(path, bytes, old, notMade, calls) : WriteFirst(path, bytes, calls);
    }
    if (const DWORD error = WriteAll(file.get(), bytes, calls)) {
        file.reset();
        ::DeleteFileW(temporary.c_str());
        return {Written::NotWritten, error};
    }
    file.reset();
    if (!exists) {
        const DWORD error = WithRetries(
            calls, [&] { return Succeeded(calls.move(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)); });
        if (error == ERROR_SUCCESS) return {Written::Created, ERROR_SUCCESS};
        ::DeleteFileW(temporary.c_str());
        return {Written::NotWritten, error};
    }

    // Wine's ReplaceFileW does not carry the attributes over; they are the user's, so they go on the new text.
    ::SetFileAttributesW(temporary.c_str(), attributes);
    // A backup name makes the old file's whereabouts known on every failure:
    // without one, 1177 leaves it under a name of the system's choosing
    // ("ReplaceFileW function"). One left by an interrupted save is ours.
    ::DeleteFileW(backup.c_str());
    const DWORD error = WithRetries(calls, [&] {
        return Succeeded(calls.replace(path.c_str(), temporary.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                                       nullptr, nullptr));
    });
    if (error == ERROR_SUCCESS) {
        ::DeleteFileW(backup.c_str());
        return {Written::Replaced, ERROR_SUCCESS};
    }
    if (!Exists(path)) return PutInPlace(path, temporary, backup, bytes, old, attributes, calls);
    // Both files kept their names. Not replaceable (held open without delete
    // sharing, renames refused, the new file held): the old text is whole, so
    // it is written over in place. Anything else would fail there as well.
    ::DeleteFileW(temporary.c_str());
    ::DeleteFileW(backup.c_str());
    if (!MayPass(error) && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT) return {Written::NotWritten, error};
    return WriteInPlace(path, bytes, old, error, calls);
}

}  // namespace win
