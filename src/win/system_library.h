// Libraries outside the loader's protected set are loaded from System32 only,
// on first use, and kept for the life of the process.
#pragma once

#include <windows.h>

namespace win {

// Windows looks for a statically imported DLL that is not one of its KnownDLLs
// in the program's folder first ("Dynamic-Link Library Search Order",
// Microsoft Docs), so a version.dll left beside the exe in a Downloads folder
// would run inside us (DLL planting). Such DLLs are loaded here instead, from
// the system folder alone. Null when the library cannot be had.
HMODULE LoadSystemLibrary(const wchar_t* name) noexcept;

// An entry point of a library from LoadSystemLibrary; null when either is missing.
template <class Fn>
Fn SystemEntry(HMODULE library, const char* name) noexcept {
    if (!library) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

// One entry point to be bound, typed as the SDK declares it where it does
// (decltype(&::Function)).
template <class Fn>
struct Entry {
    const char* name;
    Fn call = nullptr;
};

// Binds every entry point or none: a library without one of them counts as
// missing, so that no caller meets half an interface. True when all are bound.
template <class... Fn>
bool BindAll(HMODULE library, Entry<Fn>&... entries) noexcept {
    const bool all = library && ((entries.call = SystemEntry<Fn>(library, entries.name)) && ...);
    if (!all) ((entries.call = nullptr), ...);
    return all;
}

// Restricts the loads the system makes for us later (themes, shell
// extensions, delay-loaded imports) to System32 as well. Call first thing.
void RestrictDllSearchToSystem32() noexcept;

}  // namespace win
