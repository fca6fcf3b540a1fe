#include "settings/settings_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "overlay/monitor_win.h"
#include "settings/ini_text.h"

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

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    ::CloseHandle(file);
    return bytes;
}

// Writes beside the file and then replaces it, so that a failure half way
// never leaves a damaged settings file behind.
bool ReplaceFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".new";
    const HANDLE file =
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool complete = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size() && ::FlushFileBuffers(file);
    ::CloseHandle(file);
    if (!complete ||
        !::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

void SaveSettings(const TrailSettings& settings, const std::wstring& path, int readWriteMode) {
    if (!readWriteMode) return;
    // A read-only file is the user's choice, and a folder is not ours to replace.
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return;

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
    ProfileText file =
        DecodeProfile(ReadWholeFile(path), [](unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; });
    SetProfileValues(file.units, wide(kSection), values);
    ReplaceFile(path, EncodeProfile(file));
}

void ApplySettings(const TrailSettings& settings, CMonitorWin& overlay) {
    ApplyToStyle(settings, overlay.style);
    overlay.ApplyLayeredAttributes();
}

}  // namespace settings
