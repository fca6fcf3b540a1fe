#include "ui/about_dlg.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>
#include <memory>

#include "resource.h"
#include "ui/lodestar_dlg.h"
#include "ui/version_text.h"

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
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->idFrom == IDC_LINK && header->code == NM_CLICK) {
            LRESULT result = 0;
            OnLinkClick(hwnd(), header, &result);
            return result;
        }
    }
    return win::Dialog::WindowProc(message, wParam, lParam);
}

void AddAboutMenuItem(HWND mainWindow) {
    const HMENU menu = ::GetSystemMenu(mainWindow, FALSE);
    if (!menu) return;
    wchar_t text[128] = {};
    if (::LoadStringW(win::ResourceModule(), IDS_ABOUTBOX, text, static_cast<int>(std::size(text))) <= 0) return;
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text);
}

namespace {

struct HeapDeleter {
    void operator()(void* block) const noexcept { ::HeapFree(::GetProcessHeap(), 0, block); }
};

}  // namespace

const wchar_t* GetVersionText(VersionTextCache& cache, const wchar_t* file) {
    if (cache.versionTextValid == 1) return cache.versionText;
    ++cache.reads;
    std::memset(cache.versionText, 0, sizeof cache.versionText);
    if (file) {
        std::wcsncpy(cache.modulePath, file, std::size(cache.modulePath) - 1);
    } else {
        ::GetModuleFileNameW(nullptr, cache.modulePath, static_cast<DWORD>(std::size(cache.modulePath)));
    }

    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(cache.modulePath, &handle);
    if (size == 0) return cache.versionText;
    const std::unique_ptr<void, HeapDeleter> block(::HeapAlloc(::GetProcessHeap(), 0, size + 1));
    if (!block) return cache.versionText;
    if (!::GetFileVersionInfoW(cache.modulePath, 0, size, block.get())) return cache.versionText;

    wchar_t subBlock[50] = L"\\VarFileInfo\\Translation";
    const WORD* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.get(), subBlock, reinterpret_cast<void**>(const_cast<WORD**>(&translation)), &length) ||
        !translation || length < 2 * sizeof(WORD))
        return cache.versionText;

    wchar_t key[16];
    std::swprintf(key, std::size(key), L"%04x%04x", translation[0], translation[1]);
    std::swprintf(subBlock, std::size(subBlock), L"\\StringFileInfo\\%ls\\%ls", key, L"ProductVersion");
    const wchar_t* value = nullptr;
    // A translation without a product version is as good as no version block.
    if (!::VerQueryValueW(block.get(), subBlock, reinterpret_cast<void**>(const_cast<wchar_t**>(&value)), &length) ||
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
