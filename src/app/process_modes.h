// How the program was started and where it lives; set once during start-up.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

extern std::int32_t debugMode;      // "-D457": the debug console
extern std::int32_t readWriteMode;  // the settings file is read and written
extern std::wstring appFolder;      // the program file's folder, no trailing backslash

// The process's command line split into arguments, the program first; empty
// when it cannot be split. Start-up splits it once and hands it on.
std::vector<std::wstring> CommandLineArguments();

// Sets debugMode and readWriteMode from the arguments, printing a line per switch.
void ScanSwitches(const std::vector<std::wstring>& args);

// Sets appFolder from the program path, makes it the current directory and prints it.
void TakeAppFolder(const std::vector<std::wstring>& args);

}  // namespace app
