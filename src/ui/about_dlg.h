// The About box, and the product version read from the program's own file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "win/dialog.h"

class CAboutDlg : public win::Dialog {
public:
    CAboutDlg();
    std::wstring versionLine;

protected:
    std::optional<LRESULT> WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(win::DataExchange& dx) override;
    BOOL OnInitDialog() override;
};

// What GetVersionText keeps for the life of the process.
struct VersionTextCache {
    wchar_t versionText[256] = {};
    std::int32_t versionTextValid = 0;
    std::wstring modulePath;  // any length: a long path still reads
};

// "Ver.:<ProductVersion>" of the program file, read once and then kept; the
// empty text (and nothing kept) when the file has no usable version block.
const wchar_t* GetVersionText();

// The same for a given cache and file (the program file when `file` is null).
const wchar_t* GetVersionText(VersionTextCache& cache, const wchar_t* file);

// Appends the separator and the About entry to the main window's system menu.
void AddAboutMenuItem(HWND mainWindow);
