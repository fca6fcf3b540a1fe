// How the program was started and where it lives; set once during start-up.
#pragma once

#include <cstdint>
#include <string>

namespace app {

extern std::int32_t debugMode;      // "-D457": the debug console
extern std::int32_t readWriteMode;  // the settings file is read and written
extern std::wstring appFolder;      // the program file's folder, no trailing backslash

// Sets debugMode and readWriteMode from the command line, printing a line per switch.
void ScanSwitches();

// Sets appFolder from the program path, makes it the current directory and prints it.
void TakeAppFolder();

}  // namespace app
