#include "win/dialog.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <vector>

#include "win/dialog_template.h"
#include "win/gdi.h"

namespace win {

HINSTANCE ResourceModule() noexcept { return ::GetModuleHandleW(nullptr); }

HRSRC FindLocalResource(LPCWSTR type, UINT id) noexcept {
    // The neutral language asks for "the current language associated with the
    // calling thread" ("FindResourceExW function", Microsoft Docs): the loader's
    // own choice, with its fallbacks, rather than one the program would guess.
    return ::FindResourceExW(ResourceModule(), type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

std::wstring ResourceText(UINT id) {
    // A length of zero hands back the read-only text itself ("LoadStringW
    // function", Microsoft Docs), so no text is ever cut at a buffer's end.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

namespace {

// The WM_CTLCOLOR* messages carry their kind in the message number:
// 0 message box, 1 edit, 2 list box, 3 button, 4 dialog, 5 scroll bar, 6 static.
constexpr bool IsCtlColorMessage(UINT message) noexcept {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

void ReportStoppedException(UINT message, const char* what) noexcept {
    std::printf("WindowProc(0x%04X) stopped an exception: %s\n", message, what);
    std::fflush(stdout);
}

// The stock GUI font's face and size in points at the screen's resolution.
std::pair<std::u16string, std::uint16_t> GuiFont() {
    LOGFONTW font{};
    if (!::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font)) return {};
    const ScreenDC screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    const auto* face = reinterpret_cast<const char16_t*>(font.lfFaceName);
    return {std::u16string(face), static_cast<std::uint16_t>(::MulDiv(std::abs(font.lfHeight), 72, dpi))};
}

// The language of the template the loader found: one of its own languages,
// or, for a language-neutral template, the thread's interface language.
LANGID TemplateLanguage(UINT templateId, HRSRC found) {
    LANGID language = ::GetThreadUILanguage();
    struct Search {
        HRSRC found;
        LANGID* language;
    } search{found, &language};
    ::EnumResourceLanguagesW(
        ResourceModule(), RT_DIALOG, MAKEINTRESOURCEW(templateId),
        [](HMODULE module, LPCWSTR type, LPCWSTR name, WORD each, LONG_PTR context) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(context);
            // The neutral language would ask the loader for its own choice again.
            if (each == MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL) ||
                ::FindResourceExW(module, type, name, each) != s.found)
                return TRUE;
            *s.language = each;
            return FALSE;
        },
        reinterpret_cast<LONG_PTR>(&search));
    return language;
}

}  // namespace

std::vector<std::uint8_t> FrameworkTemplate(UINT templateId) {
    const HMODULE module = ResourceModule();
    const HRSRC found = FindLocalResource(RT_DIALOG, templateId);
    const auto* bytes =
        found ? static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module, found))) : nullptr;
    if (!bytes) return {};
    const std::size_t size = ::SizeofResource(module, found);
    const std::optional<DialogTemplate> read = ReadDialogTemplate(bytes, size);
    if (!read || !read->font) return {};
    const auto [face, points] = GuiFont();
    const std::optional<TemplateFont> font = FrameworkDialogFont(*read->font, ::GetSystemMetrics(SM_DBCSENABLED) != 0,
                                                                 TemplateLanguage(templateId, found), face, points);
    if (!font) return {};
    return WithFont(bytes, size, *read, *font);
}

Dialog::~Dialog() {
    if (hwnd_) {
        // The object is going away: no message may reach it any more.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

bool Dialog::Create(HWND parent) noexcept {
    if (hwnd_) return false;
    std::vector<std::uint8_t> adjusted;
    try {
        adjusted = FrameworkTemplate(templateId_);
    } catch (...) {
        adjusted.clear();  // out of memory: the template as it is stored will do
    }
    const auto self = reinterpret_cast<LPARAM>(this);
    if (!adjusted.empty())
        ::CreateDialogIndirectParamW(ResourceModule(), reinterpret_cast<LPCDLGTEMPLATEW>(adjusted.data()), parent,
                                     DialogProc, self);
    else
        ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), parent, DialogProc, self);
    return hwnd_ != nullptr;
}

INT_PTR Dialog::DoModal(HWND owner) {
    if (hwnd_) return -1;
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    // Disabled before creation, so that the dialog's activation does not bounce back to it.
    if (disableOwner) ::EnableWindow(owner, FALSE);
    modal_ = true;
    ending_ = false;
    result_ = -1;
    if (!Create(owner)) {
        modal_ = false;
        if (disableOwner) ::EnableWindow(owner, TRUE);
        return -1;
    }
    if (!::IsWindowVisible(hwnd_)) ::ShowWindow(hwnd_, SW_SHOWNORMAL);

    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    while (!ending_ && hwnd_) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1) break;
        if (::IsDialogMessageW(hwnd_, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }

    // Enabled again before the dialog goes, so that the activation returns to the owner.
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (hwnd_) DestroyWindow();
    modal_ = false;
    // A quit request seen inside this loop belongs to the loop outside it.
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return result_;
}

void Dialog::EndDialog(INT_PTR result) noexcept {
    result_ = result;
    ending_ = true;
    // Wake the modal loop should the queue be empty.
    if (hwnd_) ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

BOOL Dialog::DestroyWindow() noexcept { return hwnd_ ? ::DestroyWindow(hwnd_) : FALSE; }

void Dialog::UpdateData(bool save) {
    DataExchange exchange(hwnd_, save);
    DoDataExchange(exchange);
}

std::optional<LRESULT> Dialog::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) return std::nullopt;
    switch (id) {
    case IDOK: OnOK(); return 0;
    case IDCANCEL: OnCancel(); return 0;
    default: return std::nullopt;
    }
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::OnOK() {
    if (modal_) {
        UpdateData(true);
        EndDialog(IDOK);
    }
}

void Dialog::OnCancel() {
    if (modal_) EndDialog(IDCANCEL);
}

std::optional<LRESULT> Dialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsCtlColorMessage(message)) {
        const std::optional<HBRUSH> brush =
            OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message - WM_CTLCOLORMSGBOX);
        if (!brush) return std::nullopt;
        return reinterpret_cast<LRESULT>(*brush);
    }
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog();
    case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_DESTROY: OnDestroy(); return std::nullopt;
    default: return std::nullopt;
    }
}

HBRUSH Dialog::DefaultCtlColor(HDC dc, HWND control, UINT kind) const noexcept {
    return reinterpret_cast<HBRUSH>(::DefWindowProcW(hwnd_, WM_CTLCOLORMSGBOX + kind, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(control)));
}

// Messages whose result goes back as the procedure's own return value; for all
// others a dialog procedure returns TRUE and leaves the result in DWLP_MSGRESULT.
static bool ReturnsResultDirectly(UINT message) noexcept {
    return IsCtlColorMessage(message) || message == WM_INITDIALOG || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return FALSE;

    std::optional<LRESULT> result;
    // An exception must not unwind through the system's dispatcher; it is
    // told on the debug console, and the message is left to the dialog manager.
    try {
        result = self->WindowProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        ReportStoppedException(message, e.what());
        result.reset();
    } catch (...) {
        ReportStoppedException(message, "unknown exception");
        result.reset();
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    if (!result) return FALSE;
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(*result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

}  // namespace win
