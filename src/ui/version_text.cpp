#include "ui/version_text.h"

#include <algorithm>

std::wstring FormatVersionLine(std::wstring_view versionText) {
    std::wstring working(versionText);
    std::replace(working.begin(), working.end(), L',', L'-');
    std::replace(working.begin(), working.end(), L';', L'.');
    // The second value of the line has always been empty.
    const std::wstring unused;
    return L"Vireon " + working + L" " + unused;
}
