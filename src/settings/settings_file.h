// Moving the settings between memory and the INI file.
#pragma once

#include <string>

#include "settings/trail_settings.h"

namespace settings {

// "<folder>\Vireon.ini"; an empty folder names the file in the drive's root.
std::wstring SettingsPathFor(const std::wstring& appFolder);

// Where the settings live and whether they are read and written at all:
// start-up makes this once and hands it down to the panel.
struct SettingsFile {
    std::wstring path;
    int readWriteMode = 1;
};

// Reads the keys of [SYSTEM]; a missing file, section or key leaves the field
// as it was. A file a save cut short by a crash left beside it is put back
// first. Does nothing unless readWriteMode is set.
void LoadSettings(TrailSettings& settings, const std::wstring& path, int readWriteMode);

// What became of a save: written, or nothing to do (`saved`); or not written,
// the file as it was, with the reason as GetLastError gives it.
struct SaveResult {
    bool saved = true;
    unsigned long error = 0;
    // Not written, but whole beside the file: the next start puts it in place.
    bool pending = false;
};

// Writes every key of [SYSTEM] as decimal text; other sections and keys of
// the file are left alone. Does nothing unless readWriteMode is set. Shows
// nothing: the caller tells the user.
SaveResult SaveSettings(const TrailSettings& settings, const std::wstring& path, int readWriteMode);

}  // namespace settings
