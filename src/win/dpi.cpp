// The SDK declares Windows 10's DPI calls only for programs that need that
// version; they are looked up at run time here, never imported, so the
// declarations are asked for in this file alone.
#undef WINVER
#undef _WIN32_WINNT
#define WINVER 0x0A00
#define _WIN32_WINNT 0x0A00

#include "win/dpi.h"

#include <cstring>
#include <string_view>

#include "win/dialog.h"
#include "win/gdi.h"
#include "win/system_library.h"

namespace win {
namespace {

int SystemDpi() noexcept {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// One user32 call of a newer system, or none (the system is older).
template <class Fn>
Fn User32Call(Entry<Fn> entry) noexcept {
    return BindAll(::GetModuleHandleW(L"user32.dll"), entry) ? entry.call : nullptr;
}

// Reads a zero-terminated string or an ordinal of a dialog template and steps past it.
const WORD* SkipNameOrOrdinal(const WORD* at) noexcept {
    if (*at == 0xFFFF) return at + 2;
    while (*at) ++at;
    return at + 1;
}

}  // namespace

int WindowDpi(HWND window) noexcept {
    static const auto forWindow = User32Call(Entry<decltype(&::GetDpiForWindow)>{"GetDpiForWindow"});
    if (forWindow && window)
        if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
    return SystemDpi();
}

void KeepDialogLayoutOnDpiChange(HWND dialog) noexcept {
    static const auto setBehavior =
        User32Call(Entry<decltype(&::SetDialogDpiChangeBehavior)>{"SetDialogDpiChangeBehavior"});
    // DDC_DISABLE_ALL: no resizing, no new font, no re-layout of the controls.
    if (setBehavior) setBehavior(dialog, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

SIZE TemplateSizeAtDpi(HWND dialog, UINT templateId, int dpi) noexcept {
    const HMODULE module = ResourceModule();
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));
    const auto* words = found ? static_cast<const WORD*>(::LockResource(::LoadResource(module, found))) : nullptr;
    // Only the extended form, which every template of the program has.
    if (!words || words[0] != 1 || words[1] != 0xFFFF) return {};
    DWORD style = 0;
    std::memcpy(&style, words + 6, sizeof style);
    const int unitsX = static_cast<short>(words[11]);
    const int unitsY = static_cast<short>(words[12]);
    if (!(style & DS_SETFONT)) return {};

    // Menu, class and title, then the font: point size, weight, italic and character set, face name.
    const WORD* at = SkipNameOrOrdinal(SkipNameOrOrdinal(SkipNameOrOrdinal(words + 13)));
    const int points = at[0];
    // The face the dialog manager chose for the dialog (Windows maps "MS Shell
    // Dlg" of a DS_SHELLFONT template to "MS Shell Dlg 2", Wine does not), at
    // the template's point size for the new DPI.
    LOGFONTW font{};
    const auto current = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!current || !::GetObjectW(current, sizeof font, &font)) {
        font = {};
        font.lfWeight = at[1];
        font.lfItalic = LOBYTE(at[2]);
        font.lfCharSet = HIBYTE(at[2]);
        const std::wstring_view face(reinterpret_cast<const wchar_t*>(at + 3));
        for (size_t i = 0; i < face.size() && i + 1 < LF_FACESIZE; ++i) font.lfFaceName[i] = face[i];
    }
    font.lfHeight = -::MulDiv(points, dpi, 72);
    font.lfWidth = 0;

    const HDC screen = ::GetDC(nullptr);
    if (!screen) return {};
    SIZE size{};
    {
        const Font made(::CreateFontIndirectW(&font));
        const SelectScope selected(screen, made.get());
        TEXTMETRICW metrics{};
        SIZE letters{};
        // The dialog manager's base units: the average width of the 52 letters and the font's height.
        static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        if (::GetTextMetricsW(screen, &metrics) && ::GetTextExtentPoint32W(screen, kLetters, 52, &letters)) {
            const int baseX = (letters.cx / 26 + 1) / 2;
            const int baseY = metrics.tmHeight;
            size = {::MulDiv(unitsX, baseX, 4), ::MulDiv(unitsY, baseY, 8)};
        }
    }
    ::ReleaseDC(nullptr, screen);
    return size;
}

}  // namespace win
