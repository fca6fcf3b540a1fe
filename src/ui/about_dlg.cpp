#include "ui/about_dlg.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <memory>

#include "resource.h"
#include "ui/home_page_link.h"
#include "ui/version_text.h"
#include "win/module_path.h"
#include "win/system_library.h"

CAboutDlg::CAboutDlg() : win::Dialog(IDD_ABOUTBOX) {}

void CAboutDlg::DoDataExchange(win::DataExchange& dx) { dx.Text(IDC_VERSION_LINE, versionLine); }

BOOL CAboutDlg::OnInitDialog() {
    win::Dialog::OnInitDialog();
    ::SetWindowTextW(hwnd(), L"Vireon");
    versionLine = FormatVersionLine(GetVersionText());
    UpdateData(false);
    return TRUE;
}

std::optional<LRESULT> CAboutDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: return OnLinkNotify(hwnd(), reinterpret_cast<const NMHDR*>(lParam));
    default: return win::Dialog::WindowProc(message, wParam, lParam);
    }
}

void AddAboutMenuItem(HWND mainWindow) {
    const HMENU menu = ::GetSystemMenu(mainWindow, FALSE);
    if (!menu) return;
    const std::wstring text = win::ResourceText(IDS_ABOUTBOX);
    if (text.empty()) return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

namespace {

struct HeapDeleter {
    void operator()(void* block) const noexcept { ::HeapFree(::GetProcessHeap(), 0, block); }
};

// version.dll is no KnownDLL, so it is bound from System32 on first use
// rather than imported (see win/system_library.h).
struct VersionEntries {
    win::Entry<decltype(&::GetFileVersionInfoSizeW)> infoSize{"GetFileVersionInfoSizeW"};
    win::Entry<decltype(&::GetFileVersionInfoW)> info{"GetFileVersionInfoW"};
    win::Entry<decltype(&::VerQueryValueW)> query{"VerQueryValueW"};
};

const VersionEntries* BindVersion() noexcept {
    static VersionEntries entries;
    static const bool bound =
        win::BindAll(win::LoadSystemLibrary(L"version.dll"), entries.infoSize, entries.info, entries.query);
    return bound ? &entries : nullptr;
}

}  // namespace

const wchar_t* GetVersionText(VersionTextCache& cache, const wchar_t* file) {
    if (cache.versionTextValid == 1) return cache.versionText;
    std::memset(cache.versionText, 0, sizeof cache.versionText);
    cache.modulePath = file ? std::wstring(file) : win::ModuleFileName();

    // Without the library there is no version block to read.
    const VersionEntries* version = BindVersion();
    if (!version) return cache.versionText;
    DWORD handle = 0;
    const DWORD size = version->infoSize.call(cache.modulePath.c_str(), &handle);
    if (size == 0) return cache.versionText;
    const std::unique_ptr<void, HeapDeleter> block(::HeapAlloc(::GetProcessHeap(), 0, size + 1));
    if (!block) return cache.versionText;
    if (!version->info.call(cache.modulePath.c_str(), 0, size, block.get())) return cache.versionText;

    wchar_t subBlock[50] = L"\\VarFileInfo\\Translation";
    const WORD* translation = nullptr;
    UINT length = 0;
    if (!version->query.call(block.get(), subBlock, reinterpret_cast<void**>(const_cast<WORD**>(&translation)),
                             &length) ||
        !translation || length < 2 * sizeof(WORD))
        return cache.versionText;

    wchar_t key[16];
    std::swprintf(key, std::size(key), L"%04x%04x", translation[0], translation[1]);
    std::swprintf(subBlock, std::size(subBlock), L"\\StringFileInfo\\%ls\\%ls", key, L"ProductVersion");
    const wchar_t* value = nullptr;
    // A translation without a product version is as good as no version block.
    if (!version->query.call(block.get(), subBlock, reinterpret_cast<void**>(const_cast<wchar_t**>(&value)), &length) ||
        !value)
        return cache.versionText;

    std::swprintf(cache.versionText, std::size(cache.versionText), L"Ver.:%ls", value);
    cache.versionTextValid = 1;
    return cache.versionText;
}

const wchar_t* GetVersionText() {
    static VersionTextCache cache;
    return GetVersionText(cache, nullptr);
}
