#include "test_support.h"

#include "win/file.h"

#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace testing_support {

COLORREF PixelColor(const win::BackBuffer& buffer, int x, int y) {
    const std::uint32_t v = buffer.PixelAt(x, y);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int MiddleColumnCount(const win::BackBuffer& buffer, COLORREF color) {
    int count = 0;
    for (int y = 0; y < buffer.height(); ++y) count += PixelColor(buffer, buffer.width() / 2, y) == color;
    return count;
}

static const wchar_t kPlainClass[] = L"VireonTestPlainWindow";

PlainWindow::PlainWindow(const wchar_t* title, RECT rect, bool visible) {
    static const ATOM registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kPlainClass;
        return ::RegisterClassW(&wc);
    }();
    (void)registered;
    hwnd_ = ::CreateWindowExW(0, kPlainClass, title, WS_POPUP | (visible ? WS_VISIBLE : 0), rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
}

PlainWindow::~PlainWindow() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

namespace {

// A DLGTEMPLATEEX field that is a number (0xFFFF, then the value) or a string.
const WORD* ReadNameOrOrdinal(const WORD* p, std::wstring& name, WORD& ordinal) {
    name.clear();
    ordinal = 0;
    if (*p == 0xFFFF) {
        ordinal = p[1];
        return p + 2;
    }
    while (*p) name.push_back(static_cast<wchar_t>(*p++));
    return p + 1;
}

const WORD* AlignDword(const WORD* p, const void* base) {
    const auto offset = reinterpret_cast<const BYTE*>(p) - static_cast<const BYTE*>(base);
    return (offset % 4) ? p + 1 : p;
}

}  // namespace

std::vector<TemplateItem> DialogTemplateItems(UINT templateId) {
    std::vector<TemplateItem> items;
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));
    if (!found) return items;
    const auto* base = static_cast<const WORD*>(::LockResource(::LoadResource(nullptr, found)));
    if (base[1] != 0xFFFF) return items;  // not the extended form
    DWORD style = 0;
    std::memcpy(&style, base + 6, 4);
    const WORD count = base[8];
    const WORD* p = base + 13;
    std::wstring name;
    WORD ordinal = 0;
    p = ReadNameOrOrdinal(p, name, ordinal);  // menu
    p = ReadNameOrOrdinal(p, name, ordinal);  // class
    p = ReadNameOrOrdinal(p, name, ordinal);  // caption
    if (style & DS_SETFONT) {
        p += 3;  // point size, weight, italic and charset
        while (*p) ++p;
        ++p;
    }
    for (WORD i = 0; i < count; ++i) {
        p = AlignDword(p, base);
        TemplateItem item{};
        DWORD id = 0;
        std::memcpy(&item.exStyle, p + 2, 4);
        std::memcpy(&item.style, p + 4, 4);
        item.x = static_cast<short>(p[6]);
        item.y = static_cast<short>(p[7]);
        item.cx = static_cast<short>(p[8]);
        item.cy = static_cast<short>(p[9]);
        std::memcpy(&id, p + 10, 4);
        item.id = static_cast<int>(static_cast<LONG>(id));
        p += 12;
        p = ReadNameOrOrdinal(p, item.className, item.classAtom);
        WORD textOrdinal = 0;
        p = ReadNameOrOrdinal(p, item.text, textOrdinal);
        const WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        items.push_back(item);
    }
    return items;
}

static MessageBoxRecorder* activeRecorder = nullptr;

// The hook only fires once a box activates, by which time the recorder is in place.
MessageBoxRecorder::MessageBoxRecorder() : hook_(::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId())) {
    activeRecorder = this;
}

MessageBoxRecorder::~MessageBoxRecorder() {
    ::UnhookWindowsHookEx(hook_);
    activeRecorder = nullptr;
}

LRESULT CALLBACK MessageBoxRecorder::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && activeRecorder) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t className[16] = {};
        ::GetClassNameW(box, className, 16);
        // A message box is a dialog whose text is the static control 0xFFFF.
        if (std::wstring(className) == L"#32770" && ::GetDlgItem(box, 0xFFFF)) {
            wchar_t caption[256] = {};
            wchar_t text[1024] = {};
            ::GetWindowTextW(box, caption, 256);
            ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
            activeRecorder->boxes_.push_back({caption, text, ::GetWindowLongPtrW(box, GWL_STYLE)});
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    static int serial = 0;
    path_ = std::wstring(base) + L"vireon-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++serial);
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAW found;
    const std::wstring pattern = path_ + L"\\*";
    HANDLE find = ::FindFirstFileW(pattern.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = path_ + L"\\" + name;
            ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ::RemoveDirectoryW(full.c_str());
            else
                ::DeleteFileW(full.c_str());
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path_.c_str());
}

std::string ReadBytes(const std::wstring& path) {
    DWORD error = ERROR_SUCCESS;
    return win::ReadFileBytes(path, error).value_or(std::string());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

int CountGdiObjects() {
    const DWORD fromSystem = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (fromSystem != 0) return static_cast<int>(fromSystem);
#if defined(_M_X64) || defined(__x86_64__)
    // The GDI handle table the PEB points to: 65536 entries of 24 bytes, a live
    // one with a non-zero type byte. Wine keeps one table per process, so every
    // live entry is ours; stock objects are included but never change.
    struct Entry {
        std::uint64_t object;
        std::uint16_t processId;
        std::uint16_t count;
        std::uint16_t unique;
        std::uint8_t type;
        std::uint8_t flags;
        std::uint64_t user;
    };
    static_assert(sizeof(Entry) == 24);
    using QueryProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
    const auto* peb = reinterpret_cast<const std::uint8_t*>(info.PebBaseAddress);
    const auto* table = *reinterpret_cast<const Entry* const*>(peb + 0xF8);
    if (!table) return -1;
    int live = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i].type != 0) ++live;
    return live;
#else
    return -1;
#endif
}

}  // namespace testing_support
