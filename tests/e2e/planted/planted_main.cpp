// A DLL planted beside the program, as one left in a Downloads folder: when its
// DllMain ever runs, it leaves "<name>.ran" beside itself for the test to find.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t path[MAX_PATH] = {};
    if (!::GetModuleFileNameW(self, path, MAX_PATH)) return TRUE;
    const std::wstring marker = std::wstring(path) + L".ran";
    const HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    return TRUE;
}
