// Command-line switches and the application folder, as plain string work.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace app {

struct SwitchResult {
    std::int32_t debugMode = 0;
    std::int32_t readWriteMode = 1;
    std::string consoleText;  // the lines printed while scanning, in order
};

// Every argument from index 0 is compared whole and case-sensitively with
// "-D457" (debugMode = 1, "DEBUGMODE ON\n") and then with "-RW"
// (readWriteMode = 1, "ReadWriteMODE ON\n"). `modes` carries the values in and out.
void ScanSwitchArgs(std::span<const std::wstring_view> args, SwitchResult& modes);

// True for "X:\..." / "X:/..." and UNC "\\..." paths.
bool IsAbsolutePath(std::wstring_view path) noexcept;

// The folder of the program file, never ending in a backslash. An absolute
// program argument gives the text before its last backslash (so
// C:\Tools\Vireon.exe gives C:\Tools and C:\Vireon.exe gives C:). A relative
// or bare argument would name some other folder, so the folder of the module's
// own absolute path is taken instead.
std::wstring AppFolderFrom(std::wstring_view programArg, std::wstring_view modulePath);

}  // namespace app
