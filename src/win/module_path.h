// The absolute file name of the running program.
#pragma once

#include <windows.h>

#include <string>

#include "win/growing_text.h"

namespace win {

inline std::wstring ModuleFileName(HMODULE module = nullptr) {
    return GrowingText([module](wchar_t* buffer, size_t capacity) {
        return ::GetModuleFileNameW(module, buffer, static_cast<DWORD>(capacity));
    });
}

}  // namespace win
