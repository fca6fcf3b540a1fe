// The INI file as the platform's profile functions read and write it.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "test_support.h"
#include "win/file.h"
#include "win/handle.h"
#include "windows_profile_reader.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

using settings::TrailSettings;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

TEST(SettingsFile, PathIsTheFolderWithTheFileName) {
    EXPECT_EQ(settings::SettingsPathFor(L"C:\\Tools"), L"C:\\Tools\\Vireon.ini");
    EXPECT_EQ(settings::SettingsPathFor(L""), L"\\Vireon.ini");
}

TEST(SettingsFile, MissingFileKeepsTheDefaults) {
    TempFolder folder;
    TrailSettings s;
    settings::LoadSettings(s, folder.File(L"Vireon.ini"), 1);
    EXPECT_EQ(s, TrailSettings{});
    EXPECT_EQ(ReadBytes(folder.File(L"Vireon.ini")), "");  // loading creates nothing
}

TEST(SettingsFile, OnlyTheKeysPresentChangeTheirFields) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path, "[SYSTEM]\r\nTRANSPARENT=40\r\n");
    TrailSettings s;
    settings::LoadSettings(s, path, 1);
    TrailSettings expected;
    expected.opacityPercent = 40;
    EXPECT_EQ(s, expected);

    WriteBytes(path, "[SYSTEM]\nDRAWMODE=5\nLINECOLOR=-1\nQVHOTKEY=65\nQVMODIFIERS=10\nFADE=3\n[OTHER]\nLINEKIND=1\n");
    settings::LoadSettings(s, path, 1);
    EXPECT_EQ(s.fade, 3);  // on, as any value but 0
    EXPECT_EQ(s.drawMode, 5);
    EXPECT_EQ(s.lineColorIndex, -1);
    EXPECT_EQ(s.hotkeyKey, 65);
    EXPECT_EQ(s.hotkeyModifiers, 10);
    EXPECT_EQ(s.lineKind, 0);  // another section's key is not ours
}

TEST(SettingsFile, WithoutReadWriteModeNothingIsReadOrWritten) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path, "[SYSTEM]\r\nTRANSPARENT=40\r\n");
    TrailSettings s;
    settings::LoadSettings(s, path, 0);
    EXPECT_EQ(s.opacityPercent, 70);
    settings::SaveSettings(s, path, 0);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nTRANSPARENT=40\r\n");
}

TEST(SettingsFile, SaveWritesTheTenKeysInOrderAndIsRepeatable) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    TrailSettings s;
    s.drawMode = 7;  // out of range: kept as it is
    s.opacityPercent = -10;
    s.lineKind = -1;
    settings::SaveSettings(s, path, 1);
    const std::string first = ReadBytes(path);
    EXPECT_EQ(first,
              "[SYSTEM]\r\nDRAWMODE=7\r\nLINECOLOR=0\r\nPOINTCOLOR=3\r\nLINEPOINT=1\r\nPOINTPOINT=1\r\n"
              "TRANSPARENT=-10\r\nLINEKIND=-1\r\nQVHTOKEYFLAG=0\r\nQVHOTKEY=52\r\nQVMODIFIERS=1\r\nFADE=0\r\n");
    settings::SaveSettings(s, path, 1);
    EXPECT_EQ(ReadBytes(path), first);

    TrailSettings back;
    back.drawMode = 0;
    settings::LoadSettings(back, path, 1);
    EXPECT_EQ(back, s);
}

TEST(SettingsFile, OtherSectionsAndKeysStayByteForByte) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path,
               "; top\r\n[FIRST]\r\n  name = value  \r\n\r\n[SYSTEM]\r\nCUSTOM = keep me\r\nlinecolor = 4\r\n"
               "\r\n[LAST]\r\nx=\xff\xfe bytes");
    TrailSettings s;
    settings::LoadSettings(s, path, 1);
    EXPECT_EQ(s.lineColorIndex, 4);
    settings::SaveSettings(s, path, 1);
    EXPECT_EQ(ReadBytes(path),
              "; top\r\n[FIRST]\r\n  name = value  \r\n\r\n[SYSTEM]\r\nCUSTOM = keep me\r\nLINECOLOR=4\r\n"
              "DRAWMODE=2\r\nPOINTCOLOR=3\r\nLINEPOINT=1\r\nPOINTPOINT=1\r\nTRANSPARENT=70\r\nLINEKIND=0\r\n"
              "QVHTOKEYFLAG=0\r\nQVHOTKEY=52\r\nQVMODIFIERS=1\r\nFADE=0\r\n\r\n[LAST]\r\nx=\xff\xfe bytes");
    TrailSettings back;
    back.lineColorIndex = 0;
    settings::LoadSettings(back, path, 1);
    EXPECT_EQ(back, s);
}

TEST(SettingsFile, AReadOnlyFileIsLeftAsItIsAndTheSaveStaysSilent) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path, "[SYSTEM]\r\nDRAWMODE=1\r\n");
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    TrailSettings s;
    s.drawMode = 0;
    settings::SaveSettings(s, path, 1);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nDRAWMODE=1\r\n");
    EXPECT_EQ(::GetFileAttributesW(folder.File(L"Vireon.ini.new").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(SettingsFile, AFolderInPlaceOfTheFileReadsAsMissingAndSavesSilently) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
    TrailSettings s;
    settings::LoadSettings(s, path, 1);
    EXPECT_EQ(s, TrailSettings{});
    s.drawMode = 0;
    settings::SaveSettings(s, path, 1);
    EXPECT_NE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(s.drawMode, 0);
}

TEST(SettingsFile, AFileThatCannotBeReadWholeIsNeverReplaced) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path, "[OTHER]\r\nkeep=me\r\n[SYSTEM]\r\nDRAWMODE=1\r\n");
    // Another program holds it open without sharing, as an editor or a sync
    // tool may. (Windows would still let it be replaced when the holder shares
    // deleting; Wine refuses any rename over an open file, so under Wine this
    // shows the skip, not the replacement it prevents.)
    const HANDLE held =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TrailSettings s;
    s.drawMode = 0;
    settings::SaveSettings(s, path, 1);
    ::CloseHandle(held);
    EXPECT_EQ(ReadBytes(path), "[OTHER]\r\nkeep=me\r\n[SYSTEM]\r\nDRAWMODE=1\r\n");
    EXPECT_EQ(s.drawMode, 0);
    EXPECT_EQ(::GetFileAttributesW(folder.File(L"Vireon.ini.new").c_str()), INVALID_FILE_ATTRIBUTES);

    settings::SaveSettings(s, path, 1);  // free again: the next save goes through
    EXPECT_EQ(::GetPrivateProfileIntW(L"SYSTEM", L"DRAWMODE", -1, path.c_str()), 0);
}

TEST(SettingsFile, TheSavedFileKeepsTheAttributesTheUserGaveIt) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path, "[SYSTEM]\r\nDRAWMODE=1\r\n");
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    const DWORD given = ::GetFileAttributesW(path.c_str());
    ASSERT_NE(given & FILE_ATTRIBUTE_HIDDEN, 0u);
    TrailSettings s;
    s.drawMode = 0;
    settings::SaveSettings(s, path, 1);
    EXPECT_EQ(::GetPrivateProfileIntW(L"SYSTEM", L"DRAWMODE", -1, path.c_str()), 0);
    EXPECT_NE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << "the file lost its hidden attribute";
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(SettingsFile, ANotepadUtf8FileIsSavedSoThatWindowsReadsTheValues) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path, "\xEF\xBB\xBF[SYSTEM]\r\nLINECOLOR=1\r\n; \xE3\x83\xA1\xE3\x83\xA2\r\n");
    TrailSettings s;
    s.lineColorIndex = 4;
    settings::SaveSettings(s, path, 1);
    const std::string saved = ReadBytes(path);
    EXPECT_EQ(testing_support::WindowsProfileValue(saved, u"SYSTEM", u"LINECOLOR"), u"4");
    EXPECT_EQ(::GetPrivateProfileIntW(L"SYSTEM", L"LINECOLOR", -1, path.c_str()), 4);
    EXPECT_NE(saved.find("; \xE3\x83\xA1\xE3\x83\xA2\r\n"), std::string::npos);
}

// Stands in for the save's file calls: the n-th write stops half way for a
// full disk, and ReplaceFileW and MoveFileExW fail as told, leaving the files
// as the "ReplaceFileW function" page says each failure leaves them.
struct Faults {
    static constexpr DWORD kOldFileGone = 0xFFFF;  // 1176 as it is without a backup name
    static inline int failingWrite = 0;
    static inline int writes = 0;
    static inline DWORD replaceFailure = 0;
    static inline int replaceFailuresLeft = 0;
    static inline int replaces = 0;
    static inline bool newFileStays = false;  // moving "<path>.new" fails
    static inline DWORD slept = 0;            // milliseconds of pauses between tries, not waited

    static BOOL WINAPI Write(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
        if (++writes != failingWrite) return ::WriteFile(file, data, size, written, overlapped);
        ::WriteFile(file, data, size / 2, written, overlapped);
        ::SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    static BOOL WINAPI Replace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID) {
        ++replaces;
        if (replaceFailuresLeft == 0) return ::ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr);
        --replaceFailuresLeft;
        if (replaceFailure == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) ::MoveFileExW(replaced, backup, 0);
        if (replaceFailure == kOldFileGone) ::DeleteFileW(replaced);
        ::SetLastError(replaceFailure == kOldFileGone ? ERROR_UNABLE_TO_MOVE_REPLACEMENT : replaceFailure);
        return FALSE;
    }
    static BOOL WINAPI Move(LPCWSTR from, LPCWSTR to, DWORD flags) {
        if (newFileStays && std::wstring_view(from).ends_with(L".new")) {
            ::SetLastError(ERROR_IO_DEVICE);
            return FALSE;
        }
        return ::MoveFileExW(from, to, flags);
    }
    static void WINAPI Sleep(DWORD milliseconds) { slept += milliseconds; }
};

std::vector<std::wstring> FolderNames(const TempFolder& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(folder.File(L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::wstring_view(found.cFileName) != L"." && std::wstring_view(found.cFileName) != L"..")
            names.emplace_back(found.cFileName);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// A full disk at every write of every way a save can go: the folder then holds
// the old text or the whole new one, under its own name and with its
// attributes, nothing else, and the save says which.
TEST(SettingsFile, AFailureAtAnyStepLeavesTheOldOrTheNewTextWholeAndNothingElse) {
    const std::string oldText = "[OTHER]\r\nold=text\r\n";
    const std::string newText = "[OTHER]\r\nnew=text, longer than the old\r\n";
    const struct {
        const char* name;
        win::Written::Way way;
        DWORD replaceFailure = 0;
        int times = 0;
        bool newFileStays = false;
        bool firstSave = false;
        bool blocked = false;  // a folder named like the new file
        bool saves = true;
    } cases[] = {
        {"replaced", win::Written::Replaced},
        {"a sharing violation that clears", win::Written::Replaced, ERROR_SHARING_VIOLATION, 2},
        {"held without delete sharing", win::Written::InPlace, ERROR_SHARING_VIOLATION, 1000},
        {"1175, the old file cannot be removed", win::Written::InPlace, ERROR_UNABLE_TO_REMOVE_REPLACED, 1000},
        {"1176, both files keep their names", win::Written::InPlace, ERROR_UNABLE_TO_MOVE_REPLACEMENT, 1},
        {"1177, the old file under the backup name", win::Written::Replaced, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1},
        {"1177 and the new file cannot be moved", win::Written::Replaced, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, true},
        {"the old file gone and the new file cannot be moved", win::Written::Replaced, Faults::kOldFileGone, 1, true},
        {"an I/O error replacing", win::Written::NotWritten, ERROR_IO_DEVICE, 1, false, false, false, false},
        {"no room beside the file", win::Written::InPlace, 0, 0, false, false, true},
        {"a first save", win::Written::Created, 0, 0, false, true},
        {"a first save with no room beside the file", win::Written::Created, 0, 0, false, true, true},
    };
    for (const auto& c : cases) {
        bool faultInjected = true;
        for (int n = 1; faultInjected; ++n) {
            const std::string name = std::string(c.name) + ", write " + std::to_string(n) + " fails";
            TempFolder folder;
            const std::wstring path = folder.File(L"Vireon.ini");
            const std::wstring blocker = folder.File(L"Vireon.ini.new");
            std::vector<std::wstring> expectedNames = {L"Vireon.ini"};
            if (c.blocked) {
                ::CreateDirectoryW(blocker.c_str(), nullptr);
                expectedNames.emplace_back(L"Vireon.ini.new");
            }
            if (!c.firstSave) {
                WriteBytes(path, oldText);
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
            }
            Faults::failingWrite = n;
            Faults::writes = 0;
            Faults::replaceFailure = c.replaceFailure;
            Faults::replaceFailuresLeft = c.times;
            Faults::replaces = 0;
            Faults::newFileStays = c.newFileStays;
            Faults::slept = 0;
            const win::Written written =
                win::WriteReplacing(path, newText, c.firstSave ? "" : oldText, ::GetFileAttributesW(path.c_str()),
                                    {Faults::Replace, Faults::Move, Faults::Write, Faults::Sleep});
            faultInjected = Faults::writes >= n;
            const bool saved = c.saves && !faultInjected;
            EXPECT_EQ(written.way, saved ? c.way : win::Written::NotWritten) << name;
            if (c.firstSave && !saved) expectedNames.erase(expectedNames.begin());
            EXPECT_EQ(FolderNames(folder), expectedNames) << name;
            if (!c.firstSave || saved) {
                EXPECT_EQ(ReadBytes(path), saved ? newText : oldText) << name;
            }
            if (!c.firstSave) {
                EXPECT_NE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << name << ": not hidden";
            }
            if (c.times == 2 && saved) {
                EXPECT_EQ(Faults::replaces, 3) << name << ": retried until it passed";
            }
            if (c.times == 1000) {
                EXPECT_LE(Faults::replaces, 10) << name << ": gave up within bounds";
                if (Faults::replaces > 0) {
                    EXPECT_GE(Faults::slept, 300u) << name << ": paused between the tries";
                }
            }
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ASSERT_LE(n, 4) << name << ": more writes than any way makes";
        }
    }
}

TEST(SettingsFile, WhatStopsAReplacementDoesNotStopTheSave) {
    const struct {
        const char* name;
        void (*block)(const TempFolder& folder);
        bool hold = false;
    } cases[] = {
        {"a folder named like the new file",
         [](const TempFolder& f) { ::CreateDirectoryW(f.File(L"Vireon.ini.new").c_str(), nullptr); }},
        {"a read-only file named like the new file",
         [](const TempFolder& f) {
             WriteBytes(f.File(L"Vireon.ini.new"), "not ours");
             ::SetFileAttributesW(f.File(L"Vireon.ini.new").c_str(), FILE_ATTRIBUTE_READONLY);
         }},
        {"another program holding the file without delete sharing", [](const TempFolder&) {}, true},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::wstring path = folder.File(L"Vireon.ini");
        WriteBytes(path, "[OTHER]\r\nkeep=me\r\n[SYSTEM]\r\nDRAWMODE=1\r\n");
        c.block(folder);
        win::File held;
        if (c.hold)
            held.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        TrailSettings s;
        s.drawMode = 0;
        settings::SaveSettings(s, path, 1);
        held.reset();
        EXPECT_EQ(::GetPrivateProfileIntW(L"SYSTEM", L"DRAWMODE", -1, path.c_str()), 0) << c.name;
        EXPECT_NE(ReadBytes(path).find("[OTHER]\r\nkeep=me\r\n"), std::string::npos) << c.name;
        ::SetFileAttributesW(folder.File(L"Vireon.ini.new").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace
