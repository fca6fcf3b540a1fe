#include "test_support.h"

#include "win/dialog.h"
#include "win/file.h"
#include "win/gdi.h"

#include <commctrl.h>

#ifndef LM_GETIDEALSIZE
#define LM_GETIDEALSIZE (WM_USER + 0x301)  // Vista and later
#endif

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

namespace {
bool queueDelivered = false;
void CALLBACK QueueDelivered(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    queueDelivered = true;
}
}  // namespace

void PumpQueued() {
    queueDelivered = false;
    ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, QueueDelivered);
    PumpUntil([] { return queueDelivered; }, "the messages queued before");
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

bool JapaneseInterface() { return PRIMARYLANGID(::GetThreadUILanguage()) == LANG_JAPANESE; }

LANGID ExpectedResourceLanguage() {
    return JapaneseInterface() ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                               : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

win::DialogTemplate StoredTemplate(UINT templateId) {
    HRSRC found = ::FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(templateId), ExpectedResourceLanguage());
    if (!found)
        found = ::FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(templateId),
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (!found) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(::LockResource(::LoadResource(nullptr, found)));
    return win::ReadDialogTemplate(bytes, ::SizeofResource(nullptr, found)).value_or(win::DialogTemplate{});
}

SIZE TemplateSizeAtDpi(HWND dialog, UINT templateId, int dpi) {
    const win::DialogTemplate stored = StoredTemplate(templateId);
    const std::vector<std::uint8_t> adjusted = win::FrameworkTemplate(templateId);
    const auto given = win::ReadDialogTemplate(adjusted.data(), adjusted.size());
    const win::TemplateFont font = (given ? given->font : stored.font).value_or(win::TemplateFont{});
    // The face the dialog manager chose (Windows takes "MS Shell Dlg" of a
    // DS_SHELLFONT template as "MS Shell Dlg 2", Wine does not), at the
    // template's size, or the framework's, at `dpi`.
    LOGFONTW wanted{};
    const auto current = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!current || !::GetObjectW(current, sizeof wanted, &wanted)) return {};
    wanted.lfHeight = -::MulDiv(font.points, dpi, 72);
    wanted.lfWidth = 0;

    const HDC screen = ::GetDC(nullptr);
    const win::Font made(::CreateFontIndirectW(&wanted));
    const HGDIOBJ old = ::SelectObject(screen, made.get());
    TEXTMETRICW metrics{};
    SIZE letters{};
    ::GetTextMetricsW(screen, &metrics);
    ::GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    const int baseX = (letters.cx / 26 + 1) / 2;
    return {::MulDiv(stored.cx, baseX, 4), ::MulDiv(stored.cy, metrics.tmHeight, 8)};
}

// A button's text on one line in its font: a push button's, check box's or
// radio's within its ideal size, a group box's caption with a character's
// room at each end.
static void ExpectButtonTextFits(HWND button, const RECT& r, const char* name) {
    const LONG_PTR type = ::GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_GROUPBOX) {
        wchar_t text[128] = {};
        const int length = ::GetWindowTextW(button, text, 128);
        const HDC dc = ::GetDC(button);
        const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0)));
        SIZE extent{}, letter{};
        ::GetTextExtentPoint32W(dc, text, length, &extent);
        ::GetTextExtentPoint32W(dc, L"x", 1, &letter);
        ::SelectObject(dc, old);
        ::ReleaseDC(button, dc);
        EXPECT_LE(extent.cx + 2 * letter.cx, r.right - r.left)
            << name << ": the caption of group box \"" << testing::PrintToString(std::wstring(text))
            << "\" is wider than its box";
        return;
    }
    SIZE ideal{};
    ::SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
    EXPECT_LE(ideal.cx, r.right - r.left) << name << ": the text of button " << ::GetDlgCtrlID(button) << " is cut ("
                                          << ideal.cx << " px in " << r.right - r.left << ")";
}

void ExpectLaidOutInside(HWND dialog, const char* name) {
    RECT client{};
    ::GetClientRect(dialog, &client);
    ::MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    struct Walk {
        RECT client;
        const char* name;
    } walk{client, name};
    ::EnumChildWindows(
        dialog,
        [](HWND child, LPARAM data) -> BOOL {
            const auto& w = *reinterpret_cast<const Walk*>(data);
            // Its own style, so that a dialog not yet shown is checked as well.
            if (!(::GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) return TRUE;
            RECT r{};
            ::GetWindowRect(child, &r);
            EXPECT_TRUE(r.left >= w.client.left && r.top >= w.client.top && r.right <= w.client.right &&
                        r.bottom <= w.client.bottom)
                << w.name << ": control " << ::GetDlgCtrlID(child) << " (" << r.left << "," << r.top << ")-(" << r.right
                << "," << r.bottom << ") outside the client area (" << w.client.left << "," << w.client.top << ")-("
                << w.client.right << "," << w.client.bottom << ")";
            wchar_t className[16] = {};
            ::GetClassNameW(child, className, 16);
            if (std::wstring(className) == WC_LINK) {
                SIZE ideal{};
                ::SendMessageW(child, LM_GETIDEALSIZE, 10000, reinterpret_cast<LPARAM>(&ideal));
                EXPECT_LE(ideal.cx, r.right - r.left) << w.name << ": the link's text is wider than its box ("
                                                      << ideal.cx << " px in " << r.right - r.left << ")";
                EXPECT_LE(ideal.cy, r.bottom - r.top) << w.name << ": the link's text is taller than its box";
            }
            if (std::wstring(className) == L"Button") ExpectButtonTextFits(child, r, w.name);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
}

void ExpectInsideGroupBox(HWND dialog, const wchar_t* box, std::initializer_list<int> ids) {
    HWND group = nullptr;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c && !group; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t text[64] = {};
        ::GetWindowTextW(c, text, 64);
        if ((::GetWindowLongPtrW(c, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && std::wstring(text) == box) group = c;
    }
    ASSERT_NE(group, nullptr);
    RECT frame{};
    ::GetWindowRect(group, &frame);
    std::vector<RECT> placed;
    for (const int id : ids) {
        RECT r{};
        ::GetWindowRect(::GetDlgItem(dialog, id), &r);
        EXPECT_TRUE(r.left > frame.left && r.top > frame.top && r.right < frame.right && r.bottom < frame.bottom)
            << id << " outside its group box";
        SIZE ideal{};
        ::SendMessageW(::GetDlgItem(dialog, id), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
        EXPECT_LE(ideal.cx, r.right - r.left) << id << ": its text is cut";
        for (const RECT& other : placed) {
            RECT both{};
            EXPECT_FALSE(::IntersectRect(&both, &r, &other)) << id << " overlaps another choice";
        }
        placed.push_back(r);
    }
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
