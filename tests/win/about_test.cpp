// The About entry of the system menu, the About box and the version text it
// reads from the program file; the icon group the program shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <cwctype>
#include <string>
#include <utility>
#include <vector>

#include "resource.h"
#include "test_support.h"
#include "ui/about_dlg.h"
#include "ui/lodestar_dlg.h"
#include "version.h"
#include "win/dialog.h"
#include "win/module_path.h"

using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

#define VIREON_WIDEN2(text) L##text
#define VIREON_WIDEN(text) VIREON_WIDEN2(text)
// The version text the resource carries, from the one place the numbers live.
const std::wstring kVersionText = L"Ver.:" VIREON_WIDEN(VIREON_VERSION_TEXT);

// The open About box: a dialog with the version line control.
HWND FindAbout() {
    for (HWND w = ::FindWindowW(L"#32770", nullptr); w; w = ::FindWindowExW(nullptr, w, L"#32770", nullptr))
        if (::GetDlgItem(w, IDC_VERSION_LINE) && ::IsWindowVisible(w)) return w;
    return nullptr;
}

struct Seen {
    bool opened = false;
    std::wstring title;
    std::wstring line;
} seen;

void CALLBACK ReadAndCloseAbout(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND about = FindAbout();
    if (!about) return;
    ::KillTimer(nullptr, id);
    wchar_t text[128] = {};
    ::GetWindowTextW(about, text, 128);
    seen.title = text;
    ::GetDlgItemTextW(about, IDC_VERSION_LINE, text, 128);
    seen.line = text;
    seen.opened = true;
    testing_support::ExpectLaidOutInside(about, "the About box");
    ::SendMessageW(::GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        main = std::make_unique<CLodestarDlg>(settings::SettingsFile{folder.File(L"Vireon.ini"), 1});
        ASSERT_TRUE(main->Create(nullptr));
    }
    void TearDown() override { main->DestroyWindow(); }
    bool OpensAbout(WPARAM command) {
        seen = {};
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, ReadAndCloseAbout);
        // The About box's modal run is over when the message returns.
        ::SendMessageW(main->hwnd(), WM_SYSCOMMAND, command, 0);
        ::KillTimer(nullptr, timer);
        return seen.opened;
    }
    TempFolder folder;
    std::unique_ptr<CLodestarDlg> main;
};

TEST_F(AboutTest, SystemMenuEndsWithASeparatorAndTheAboutEntry) {
    const HMENU menu = ::GetSystemMenu(main->hwnd(), FALSE);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(::GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, testing_support::InLanguage(L"バージョン情報 Vireon(&A)...", L"&About Vireon..."));
}

TEST_F(AboutTest, CommandsTenToNineteenHexOpenItAndShowTheVersion) {
    for (WPARAM command : {0x0010, 0x0013, 0x001F}) {
        EXPECT_TRUE(OpensAbout(command)) << command;
        EXPECT_EQ(seen.title, L"Vireon");
        EXPECT_EQ(seen.line, L"Vireon " + kVersionText + L" ");
    }
    EXPECT_FALSE(OpensAbout(0x0020));
    EXPECT_TRUE(::IsWindow(main->hwnd()));
}

TEST(VersionText, ReadOnceFromTheProgramFileThenKept) {
    EXPECT_EQ(GetVersionText(), kVersionText);
    VersionTextCache cache;
    EXPECT_EQ(GetVersionText(cache, nullptr), kVersionText);
    EXPECT_EQ(cache.modulePath, win::ModuleFileName());

    // Kept: the file is not looked at again, even when it has changed since.
    TempFolder folder;
    const std::wstring copy = folder.File(L"copy.exe");
    ASSERT_TRUE(::CopyFileW(win::ModuleFileName().c_str(), copy.c_str(), FALSE));
    VersionTextCache kept;
    EXPECT_EQ(GetVersionText(kept, copy.c_str()), kVersionText);
    WriteBytes(copy, "no resources here");
    EXPECT_EQ(GetVersionText(kept, copy.c_str()), kVersionText);
}

TEST(VersionText, AFileWithoutAVersionBlockGivesTheEmptyTextAndIsTriedAgain) {
    TempFolder folder;
    const std::wstring file = folder.File(L"plain.exe");
    WriteBytes(file, "no resources here");
    VersionTextCache cache;
    EXPECT_STREQ(GetVersionText(cache, file.c_str()), L"");
    EXPECT_EQ(cache.versionTextValid, 0);
    // Nothing was kept, so a file that now has a version block is read.
    ASSERT_TRUE(::CopyFileW(win::ModuleFileName().c_str(), file.c_str(), FALSE));
    EXPECT_EQ(GetVersionText(cache, file.c_str()), kVersionText);
}

TEST(VersionText, ATranslationWithoutAProductVersionCountsAsAFailedRead) {
    std::wstring probe = win::ModuleFileName();
    probe.erase(probe.rfind(L'\\') + 1);
    probe += L"version_probe.dll";
    ASSERT_NE(::GetFileVersionInfoSizeW(probe.c_str(), nullptr), 0u) << "the probe has a version block";
    VersionTextCache cache;
    EXPECT_STREQ(GetVersionText(cache, probe.c_str()), L"");
    EXPECT_EQ(cache.versionTextValid, 0);
}

TEST(ProgramIcon, GroupHoldsFifteenImagesAtTheListedSizesAndDepths) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colors, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr);
    const auto* header = static_cast<const WORD*>(::LockResource(::LoadResource(nullptr, found)));
    ASSERT_EQ(header[1], 1);  // icons, not cursors
    const WORD count = header[2];
    const auto* entries = reinterpret_cast<const GroupEntry*>(header + 3);
    std::multiset<std::pair<int, int>> images;
    for (WORD i = 0; i < count; ++i) {
        const int size = entries[i].width ? entries[i].width : 256;
        EXPECT_EQ(entries[i].width, entries[i].height);
        images.insert({size, entries[i].bitCount});
        // Each image is there and loads at its size.
        const HRSRC image = ::FindResourceW(nullptr, MAKEINTRESOURCEW(entries[i].id), RT_ICON);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(::SizeofResource(nullptr, image), entries[i].bytes);
    }
    const std::multiset<std::pair<int, int>> expected{{16, 4},  {32, 4},  {16, 8},  {24, 8},  {32, 8},
                                                      {48, 8},  {16, 24}, {24, 24}, {32, 24}, {48, 24},
                                                      {16, 32}, {24, 32}, {32, 32}, {48, 32}, {256, 32}};
    EXPECT_EQ(images, expected);
    const HICON big =
        static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 48, 48, 0));
    EXPECT_NE(big, nullptr);
    ::DestroyIcon(big);
}

// What the linker and the resource script put in the exe: one manifest, language-neutral,
// asking for common controls 6 and per-monitor DPI awareness.
std::vector<std::pair<std::wstring, WORD>> manifests;
BOOL CALLBACK OnManifestLanguage(HMODULE, LPCWSTR, LPCWSTR name, WORD language, LONG_PTR) {
    manifests.emplace_back(IS_INTRESOURCE(name) ? std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name, language);
    return TRUE;
}
BOOL CALLBACK OnManifest(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR) {
    ::EnumResourceLanguagesW(module, type, name, OnManifestLanguage, 0);
    return TRUE;
}

TEST(Manifest, OneLanguageNeutralManifestAsksForCommonControlsSixAndPerMonitorDpi) {
    manifests.clear();
    ::EnumResourceNamesW(nullptr, RT_MANIFEST, OnManifest, 0);
    const std::vector<std::pair<std::wstring, WORD>> expected{{L"1", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)}};
    ASSERT_EQ(manifests, expected);

    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    const auto* text = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    const std::string manifest(text, ::SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);

    // The manifest took effect: comctl32 came from the side-by-side store.
    std::wstring comctl = win::ModuleFileName(::GetModuleHandleW(L"comctl32.dll"));
    for (wchar_t& c : comctl) c = static_cast<wchar_t>(::towlower(c));
    EXPECT_NE(comctl.find(L"\\winsxs\\"), std::wstring::npos) << comctl.c_str();
}

}  // namespace

// Every template and string block with text is found in the interface's own
// language, never by a fallback into the other one; the templates without
// text are found whatever the language.
TEST(Resources, TextsComeFromTheInterfaceLanguageAndTheTextlessOnesFromAny) {
    const LANGID language = testing_support::ExpectedResourceLanguage();
    const auto block = [](UINT stringId) { return static_cast<UINT>(stringId / 16 + 1); };
    const std::pair<LPCWSTR, UINT> texts[] = {
        {RT_DIALOG, IDD_MAIN},
        {RT_DIALOG, IDD_CONTROL},
        {RT_DIALOG, IDD_SETTINGS},
        {RT_DIALOG, IDD_ABOUTBOX},
        {RT_STRING, block(IDS_ABOUTBOX)},
        {RT_STRING, block(IDS_ON)},
        {RT_STRING, block(IDS_ALREADY_RUNNING_CAPTION)},
        {RT_STRING, block(IDS_NOT_SAVED_KEPT)},
    };
    for (const auto& [type, id] : texts) {
        const HRSRC own = ::FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language);
        EXPECT_NE(own, nullptr) << id;
        EXPECT_EQ(win::FindLocalResource(type, id), own) << id;
    }
    EXPECT_NE(win::FindLocalResource(RT_DIALOG, IDD_MONITOR), nullptr);
    EXPECT_NE(win::FindLocalResource(RT_GROUP_ICON, IDI_APP), nullptr);
    EXPECT_EQ(win::ResourceText(IDS_ALREADY_RUNNING_CAPTION),
              testing_support::InLanguage(L"２重起動", L"Already Running"));
    EXPECT_EQ(win::ResourceText(IDS_ON), L"ON");
    EXPECT_EQ(win::ResourceText(1), L"");

    // The version block describes the program in Japanese, first, and in English.
    const std::wstring self = win::ModuleFileName();
    std::vector<std::uint8_t> info(::GetFileVersionInfoSizeW(self.c_str(), nullptr));
    ASSERT_TRUE(::GetFileVersionInfoW(self.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    for (const auto& [block, description] :
         {std::pair{L"041103a4", L"Vireon 実行ファイル"}, std::pair{L"040904b0", L"Vireon pointer trail"}}) {
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\") + block + L"\\FileDescription";
        ASSERT_TRUE(::VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&text), &length)) << block;
        EXPECT_STREQ(text, description);
    }
}
