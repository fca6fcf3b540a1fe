#include "settings/settings_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <optional>

#include "settings/ini_text.h"
#include "win/file.h"

namespace settings {

std::wstring SettingsPathFor(const std::wstring& appFolder) { return appFolder + L"\\" + kFileName; }

void LoadSettings(TrailSettings& settings, const std::wstring& path, int readWriteMode) {
    if (!readWriteMode) return;
    for (const SettingKey& key : kSettingKeys) {
        std::int32_t& field = settings.*key.field;
        field = static_cast<std::int32_t>(::GetPrivateProfileIntW(kSection, key.name, field, path.c_str()));
    }
}

namespace {

// Where the text really lives: a symbolic link stays a link to a file with the new text.
std::wstring FinalPath(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return path;
    std::wstring target(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()), 0);
    if (length >= target.size()) {
        target.resize(length);
        length = ::GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()), 0);
    }
    ::CloseHandle(file);
    if (length == 0 || length >= target.size()) return path;
    target.resize(length);
    return target;
}

// Writes beside the file and then puts the new text in its place, so that a
// failure half way never leaves a damaged settings file behind. An existing
// file is replaced with ReplaceFileW, which keeps what the user gave it
// (attributes, security descriptor, creation time: "ReplaceFileW function",
// Microsoft Docs); a new one is moved into place. 0 on success, else the error.
DWORD WriteReplacing(const std::wstring& requested, const std::string& bytes, DWORD attributes) {
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    const std::wstring path = exists ? FinalPath(requested) : requested;
    const std::wstring temporary = path + L".new";
    const HANDLE file =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ::GetLastError();
    DWORD written = 0;
    const bool complete = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size() && ::FlushFileBuffers(file);
    DWORD error = complete ? ERROR_SUCCESS : ::GetLastError();
    ::CloseHandle(file);
    // Wine's ReplaceFileW does not carry the attributes over; they are the user's, so they go on the new text.
    if (complete && exists) ::SetFileAttributesW(temporary.c_str(), attributes);
    if (complete) {
        const bool placed = exists ? ::ReplaceFileW(path.c_str(), temporary.c_str(), nullptr,
                                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                   : ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
        if (placed) return ERROR_SUCCESS;
        error = ::GetLastError();
    }
    ::DeleteFileW(temporary.c_str());
    return error == ERROR_SUCCESS ? ERROR_WRITE_FAULT : error;
}

void ReportNotSaved(const char* why, DWORD error) {
    std::printf("SaveSettings() %s Error=%lu\n", why, static_cast<unsigned long>(error));
    std::fflush(stdout);
}

}  // namespace

void SaveSettings(const TrailSettings& settings, const std::wstring& path, int readWriteMode) {
    if (!readWriteMode) return;
    // A read-only file is the user's choice, and a folder is not ours to replace.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return;

    // Without all of the old text the other lines could not be kept: the values
    // stay in memory and the file stays as it is.
    DWORD error = ERROR_SUCCESS;
    std::optional<std::string> old = win::ReadFileBytes(path, error);
    if (!old && error == ERROR_FILE_NOT_FOUND) old.emplace();  // a first save
    if (!old) return ReportNotSaved("cannot read the file:", error);

    // Every key and value is ASCII, so each wide character carries over as it is.
    const auto ascii = [](std::string_view text) { return std::u16string(text.begin(), text.end()); };
    const auto wide = [](const wchar_t* text) { return std::u16string(text, text + std::wcslen(text)); };
    std::u16string names[kSettingKeys.size()];
    std::u16string texts[kSettingKeys.size()];
    KeyValue values[kSettingKeys.size()];
    for (size_t i = 0; i < kSettingKeys.size(); ++i) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(settings.*kSettingKeys[i].field));
        names[i] = wide(kSettingKeys[i].name);
        texts[i] = ascii(text);
        values[i] = {names[i], texts[i]};
    }
    ProfileText file = DecodeProfile(*old, [](unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; });
    SetProfileValues(file.units, wide(kSection), values);
    if (const DWORD failed = WriteReplacing(path, EncodeProfile(file), attributes))
        ReportNotSaved("cannot write the file:", failed);
}

}  // namespace settings
