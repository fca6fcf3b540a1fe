// Bad input: a thousand generated settings files, and odd command lines.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/process_modes.h"
#include "settings/settings_file.h"
#include "test_support.h"
#include "windows_profile_reader.h"
#include "win/module_path.h"

using settings::TrailSettings;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

// ---------------------------------------------------------------- files

// A settings file made of random pieces: our keys with odd values, other keys
// and sections, comments, duplicates, blank and very long lines, binary bytes,
// mixed line endings.
std::string GenerateFile(std::mt19937& rng) {
    static const char* const keys[] = {"DRAWMODE",    "LINECOLOR", "POINTCOLOR",   "LINEPOINT", "POINTPOINT",
                                       "TRANSPARENT", "LINEKIND",  "QVHTOKEYFLAG", "QVHOTKEY",  "QVMODIFIERS"};
    static const char* const values[] = {
        "0",   "1", "2",     "-1", "7",    "101", "-10", "2147483647", "-2147483648", "99999999999", "-99999999999",
        "abc", "",  "  5  ", "+3", "0x10", "1e3", "3 4", "\t8",        "=",           "12abc"};
    // Headers Windows and Wine read alike and ones they read differently
    // (the first or the last ']', no ']' at all).
    static const char* const sections[] = {"[SYSTEM]", "[system]",      "[ SYSTEM ]",   "[OTHER]",   "[SYSTEM",
                                           "[]",       "  [Sys tem]  ", "[SYSTEM] x ]", "[SYSTEM]]", "[OTHER]SYSTEM]"};
    static const char* const endings[] = {"\r\n", "\n", "\r\n", "\r"};
    auto pick = [&](auto& list) { return std::string(list[rng() % std::size(list)]); };
    std::string file;
    const int lines = static_cast<int>(rng() % 40);
    const std::string ending = pick(endings);
    for (int i = 0; i < lines; ++i) {
        switch (rng() % 10) {
        case 0:
        case 1: file += pick(sections); break;
        case 2:
        case 3:
        case 4: file += pick(keys) + "=" + pick(values); break;
        case 5: file += (rng() % 2 ? "  " : "") + pick(keys) + (rng() % 2 ? " = " : "=") + pick(values) + "  "; break;
        case 6:  // a comment to Windows, a key of another name to Wine
            file += ";";
            file += rng() % 2 ? " comment " + std::to_string(rng()) : pick(keys) + "=" + pick(values);
            break;
        case 7: file += "other" + std::to_string(rng() % 5) + "=" + std::to_string(rng()); break;
        case 8: file += std::string(1000 + rng() % 20000, static_cast<char>('a' + rng() % 26)); break;
        default:
            for (int b = static_cast<int>(rng() % 12); b > 0; --b) file += static_cast<char>(rng() % 256);
            break;
        }
        file += (rng() % 8 == 0) ? pick(endings) : ending;
    }
    return file;
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
    std::string out = bigEndian ? std::string("\xFE\xFF", 2) : std::string("\xFF\xFE", 2);
    for (const char c : ascii) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

// The text of a generated file without its byte-order mark, one byte a character.
std::string Plain(const std::string& bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) return bytes.substr(3);
    const bool little = bytes.rfind("\xFF\xFE", 0) == 0;
    if (!little && bytes.rfind("\xFE\xFF", 0) != 0) return bytes;
    std::string text;
    for (size_t i = little ? 2 : 3; i < bytes.size(); i += 2) text += bytes[i];
    return text;
}

bool AnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; }

// The non-empty lines of a file, without their line breaks, leaving out the
// lines of our own keys (in any spelling), which a save may rewrite.
std::vector<std::string> OtherLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t first = line.find_first_not_of(" \t");
        const std::string trimmed = first == std::string::npos ? "" : line.substr(first);
        if (trimmed.empty()) continue;
        bool ours = false;
        for (const auto& key : settings::kSettingKeys) {
            std::string name;
            for (const wchar_t* p = key.name; *p; ++p) name += static_cast<char>(*p);
            ours =
                ours || (trimmed.size() >= name.size() && _strnicmp(trimmed.c_str(), name.c_str(), name.size()) == 0 &&
                         trimmed.find_first_not_of(" \t", name.size()) == trimmed.find('=', name.size()));
        }
        if (!ours) lines.push_back(line);
    }
    return lines;
}

// The system's own reader: Windows' on Windows, Wine's under Wine.
std::optional<std::u16string> SystemProfileValue(const std::wstring& path, const wchar_t* key) {
    static constexpr wchar_t kMissing[] = L"\x1F(missing)";
    std::wstring value(65536, L'\0');
    const DWORD length = ::GetPrivateProfileStringW(settings::kSection, key, kMissing, value.data(),
                                                    static_cast<DWORD>(value.size()), path.c_str());
    value.resize(length);
    if (value == kMissing) return std::nullopt;
    return std::u16string(value.begin(), value.end());
}

// Wine's reader differs from Windows' on purpose-made lines (a UTF-8 mark,
// "[SYSTEM] x ]"), so the model of Windows' reader is checked against the real
// one only where that is Windows'.
bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// On Windows: the model reads every key of the file as the system does.
void ExpectModelMatchesTheSystem(const std::wstring& path, const std::string& bytes, const char* when) {
    if (UnderWine()) return;
    for (const auto& key : settings::kSettingKeys) {
        const std::u16string name(key.name, key.name + std::wcslen(key.name));
        EXPECT_EQ(testing_support::WindowsProfileValue(bytes, u"SYSTEM", name, AnsiLeadByte),
                  SystemProfileValue(path, key.name))
            << "the model of Windows' reader is wrong " << when;
    }
}

TEST(BadInput, ThousandGeneratedFilesLoadAndSaveWithoutLosingAnythingElse) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    std::mt19937 rng(20261209);
    int saved = 0;
    for (int n = 0; n < 1000; ++n) {
        std::string file = GenerateFile(rng);
        if (n == 0) file.clear();  // an empty file
        // Marks as editors write them: UTF-16 either way round, Notepad's UTF-8.
        const int mark = n % 25;
        const bool wide = mark == 7 || mark == 19;
        if (wide) file = Utf16(file, mark == 19);
        if (mark == 13) file.insert(0, "\xEF\xBB\xBF");
        WriteBytes(path, file);
        SCOPED_TRACE("file " + std::to_string(n));
        ExpectModelMatchesTheSystem(path, file, "before the save");

        // Loading yields exactly what the platform reads for each key.
        TrailSettings loaded;
        settings::LoadSettings(loaded, path, 1);
        const TrailSettings defaults;
        for (const auto& key : settings::kSettingKeys) {
            const auto expected = static_cast<std::int32_t>(
                ::GetPrivateProfileIntW(settings::kSection, key.name, defaults.*key.field, path.c_str()));
            EXPECT_EQ(loaded.*key.field, expected);
        }

        // After a save Windows (by its measured rules) and Wine (the profile
        // functions here) both read every value back, and no other line changed.
        TrailSettings changed = loaded;
        changed.opacityPercent = n;
        settings::SaveSettings(changed, path, 1);
        ++saved;
        const std::string written = ReadBytes(path);
        ExpectModelMatchesTheSystem(path, written, "after the save");
        for (const auto& key : settings::kSettingKeys) {
            const std::string text = std::to_string(changed.*key.field);
            const std::u16string name(key.name, key.name + std::wcslen(key.name));
            EXPECT_EQ(testing_support::WindowsProfileValue(written, u"SYSTEM", name, AnsiLeadByte),
                      std::u16string(text.begin(), text.end()))
                << "Windows would not read " << text.c_str() << " for this key";
        }
        TrailSettings back;
        settings::LoadSettings(back, path, 1);
        EXPECT_EQ(back, changed);

        // Every other line is still there, unchanged and in order; at most a
        // section header of ours was added for keys that had none.
        std::vector<std::string> after = OtherLines(Plain(written));
        const std::vector<std::string> before = OtherLines(Plain(file));
        if (after.size() == before.size() + 1) {
            const auto added = std::find(after.rbegin(), after.rend(), "[SYSTEM]");
            if (added != after.rend()) after.erase(std::next(added).base());
        }
        EXPECT_EQ(after, before);
        if (wide) {
            EXPECT_EQ(written.substr(0, 2), std::string("\xFF\xFE", 2)) << "UTF-16 as Windows reads it";
        }
        if (mark == 13) {
            EXPECT_NE(written.rfind("\xEF\xBB\xBF", 0), 0u) << "no mark Windows misreads";
        }
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_EQ(saved, 1000);
}

TEST(BadInput, AFolderOrAReadOnlyFileWhereTheFileShouldBe) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
    TrailSettings s;
    settings::LoadSettings(s, path, 1);
    settings::SaveSettings(s, path, 1);
    EXPECT_EQ(s, TrailSettings{});
    EXPECT_NE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    ::RemoveDirectoryW(path.c_str());

    WriteBytes(path, "[SYSTEM]\r\nLINECOLOR=2\r\n");
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    settings::LoadSettings(s, path, 1);
    EXPECT_EQ(s.lineColorIndex, 2);
    s.lineColorIndex = 4;
    settings::SaveSettings(s, path, 1);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nLINECOLOR=2\r\n");
}

// ---------------------------------------------------------------- command lines

// In a child process started with an odd command line: scan it and report.
TEST(CommandLineChild, ScanAndReport) {
    if (!::GetEnvironmentVariableW(L"VIREON_COMMAND_LINE_CHILD", nullptr, 0)) GTEST_SKIP() << "runs as a child";
    app::ScanSwitches(app::CommandLineArguments());
    app::TakeAppFolder(app::CommandLineArguments());
    std::printf("RESULT debug=%d rw=%d folder=%d\n", app::debugMode, app::readWriteMode,
                app::appFolder.empty() ? 0 : 1);
}

struct ChildResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

ChildResult RunChild(const std::wstring& arguments) {
    const std::wstring program = win::ModuleFileName();
    std::wstring commandLine = L"\"" + program + L"\" --gtest_filter=CommandLineChild.* " + arguments;
    TempFolder folder;
    const std::wstring outPath = folder.File(L"out.txt");
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const HANDLE out =
        ::CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process{};
    ::SetEnvironmentVariableW(L"VIREON_COMMAND_LINE_CHILD", L"1");
    ChildResult result;
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                         &process)) {
        ::WaitForSingleObject(process.hProcess, 60000);
        ::GetExitCodeProcess(process.hProcess, &result.exitCode);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::SetEnvironmentVariableW(L"VIREON_COMMAND_LINE_CHILD", nullptr);
    ::CloseHandle(out);
    result.output = ReadBytes(outPath);
    return result;
}

TEST(BadInput, OddCommandLinesNeverCrashTheSwitchScan) {
    std::wstring many;
    for (int i = 0; i < 2000; ++i) many += L"arg" + std::to_wstring(i) + L" ";
    const struct {
        const char* name;
        std::wstring arguments;
        const char* expected;
    } cases[] = {
        {"switches", L"-RW -D457", "RESULT debug=1 rw=1 folder=1"},
        {"lower case", L"-d457 -rw /D457 -D4570", "RESULT debug=0 rw=1 folder=1"},
        {"long", L"\"" + std::wstring(30000, L'x') + L"\"", "RESULT debug=0 rw=1 folder=1"},
        {"many", many + L"-D457", "RESULT debug=1 rw=1 folder=1"},
        {"unicode and quotes", L"\u8a2d\u5b9a \"a \\\"b\" \U0001F600 \"\" \\\\", "RESULT debug=0 rw=1 folder=1"},
    };
    for (const auto& c : cases) {
        const ChildResult child = RunChild(c.arguments);
        EXPECT_EQ(child.exitCode, 0u) << c.name;
        EXPECT_NE(child.output.find(c.expected), std::string::npos) << c.name << ": " << child.output.substr(0, 400);
    }
}

}  // namespace
