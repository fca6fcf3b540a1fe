#include "settings/settings_file.h"

#include <windows.h>

#include <cwchar>

#include "overlay/monitor_win.h"

namespace settings {

std::wstring SettingsPathFor(const std::wstring& appFolder) { return appFolder + L"\\" + kFileName; }

void LoadSettings(TrailSettings& settings, const std::wstring& path, int readWriteMode) {
    if (!readWriteMode) return;
    for (const SettingKey& key : kSettingKeys) {
        std::int32_t& field = settings.*key.field;
        field = static_cast<std::int32_t>(::GetPrivateProfileIntW(kSection, key.name, field, path.c_str()));
    }
}

void SaveSettings(const TrailSettings& settings, const std::wstring& path, int readWriteMode) {
    if (!readWriteMode) return;
    for (const SettingKey& key : kSettingKeys) {
        wchar_t text[16];
        std::swprintf(text, std::size(text), L"%d", static_cast<int>(settings.*key.field));
        ::WritePrivateProfileStringW(kSection, key.name, text, path.c_str());
    }
}

void ApplySettings(const TrailSettings& settings, CMonitorWin& overlay) {
    ApplyToStyle(settings, overlay.style);
    overlay.ApplyLayeredAttributes();
}

}  // namespace settings
