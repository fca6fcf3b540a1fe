// A resource-only library for the version-text tests; see version_probe.rc.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
