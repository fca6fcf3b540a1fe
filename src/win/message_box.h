// The program's standard warning box.
#pragma once

#include <windows.h>

#include <string>

namespace win {

// The executable's file name without folder and extension ("Vireon" as shipped).
std::wstring AppName();

// An OK box with the exclamation icon and the application's name as caption,
// owned by the active window of this thread, if any.
int ShowMessage(const wchar_t* text);

// The same box with string `textId` of the resources.
int ShowMessage(UINT textId);

}  // namespace win
