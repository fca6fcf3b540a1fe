// The absolute file name of the running program.
#pragma once

#include <windows.h>

#include <string>

namespace win {

inline std::wstring ModuleFileName(HMODULE module = nullptr) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        // Truncated: long paths need a larger buffer.
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace win
