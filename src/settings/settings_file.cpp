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
    // Read from where a crashed save left the settings, should they not move back.
    const win::Recovered found = win::RecoverInterruptedSave(win::FinalPath(path));
    const std::wstring& source = found.error == ERROR_SUCCESS ? path : found.file;
    for (const SettingKey& key : kSettingKeys) {
        std::int32_t& field = settings.*key.field;
        field = static_cast<std::int32_t>(::GetPrivateProfileIntW(kSection, key.name, field, source.c_str()));
    }
}

namespace {

SaveResult ReportNotSaved(const char* why, DWORD error) {
    std::printf("SaveSettings() %s Error=%lu\n", why, static_cast<unsigned long>(error));
    std::fflush(stdout);
    return {false, error};
}

}  // namespace

SaveResult SaveSettings(const TrailSettings& settings, const std::wstring& path, int readWriteMode) {
    if (!readWriteMode) return {};
    // A symbolic link stays a link to a file with the new text; the target's
    // attributes are the ones that count (a link's own are not its file's).
    const std::wstring target = win::FinalPath(path);
    // Were a crashed save's files left where they are, this save would be a
    // first one and the next would remove them.
    const win::Recovered found = win::RecoverInterruptedSave(target);
    if (found.error != ERROR_SUCCESS) return ReportNotSaved("cannot put back the file:", found.error);
    // A read-only file is the user's choice, and a folder is not ours to replace.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return ReportNotSaved("cannot write the file:", ERROR_ACCESS_DENIED);

    // Without all of the old text the other lines could not be kept: the values
    // stay in memory and the file stays as it is.
    DWORD error = ERROR_SUCCESS;
    std::optional<std::string> old = win::ReadFileBytes(target, error);
    // A first save; not where something is there that cannot be found by reading
    // it (a link whose target is gone): written anew, the link would be lost.
    if (!old && error == ERROR_FILE_NOT_FOUND && attributes == INVALID_FILE_ATTRIBUTES) old.emplace();
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
    const win::Written written = win::WriteReplacing(target, EncodeProfile(file), *old, attributes);
    if (written.way == win::Written::NotWritten) return ReportNotSaved("cannot write the file:", written.error);
    if (written.way == win::Written::Pending) {
        SaveResult result =
            ReportNotSaved("cannot put the file in place, left beside it for the next start:", written.error);
        result.pending = true;
        return result;
    }
    if (written.way == win::Written::InPlace)
        ReportNotSaved("wrote over the file in place, as it could not be replaced:", written.error);
    return {};
}

}  // namespace settings
