// The INI file as the platform's profile functions read and write it.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "test_support.h"
#include "win/file.h"
#include "win/handle.h"
#include "windows_profile_reader.h"

#include <string>
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

    WriteBytes(path,
               "[SYSTEM]\nDRAWMODE=5\nLINECOLOR=-1\nQVHOTKEY=65\nQVMODIFIERS=10\nFADE=3\n[OTHER]\nLINEKIND=1\n");
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

// Stands in for ReplaceFileW: fails as told, leaving the files as the
// "ReplaceFileW function" page says each failure leaves them.
struct FailingReplace {
    static inline DWORD failure = 0;
    static inline int failuresLeft = 0;
    static inline int calls = 0;
    static BOOL WINAPI Replace(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID) {
        ++calls;
        if (failuresLeft == 0) return ::ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr);
        --failuresLeft;
        if (failure == ERROR_UNABLE_TO_MOVE_REPLACEMENT) ::DeleteFileW(replaced);  // gone, no backup asked for
        if (failure == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)  // under a name of the system's choosing
            ::MoveFileExW(replaced, (std::wstring(replaced) + L".~sys").c_str(), 0);
        ::SetLastError(failure);
        return FALSE;
    }
};

TEST(SettingsFile, AFailedReplacementLeavesTheOldOrTheNewTextWholeNeverNothing) {
    const struct {
        const char* name;
        DWORD failure;
        int times;
        win::Written::Way way;
    } cases[] = {
        {"1176, the old file gone", ERROR_UNABLE_TO_MOVE_REPLACEMENT, 1, win::Written::Replaced},
        {"1177, the old file renamed", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, win::Written::Replaced},
        {"a sharing violation that clears", ERROR_SHARING_VIOLATION, 2, win::Written::Replaced},
        {"a sharing violation that stays", ERROR_SHARING_VIOLATION, 1000, win::Written::InPlace},
        {"the old file cannot be removed", ERROR_UNABLE_TO_REMOVE_REPLACED, 1000, win::Written::InPlace},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::wstring path = folder.File(L"Vireon.ini");
        WriteBytes(path, "[OTHER]\r\nold=text\r\n");
        FailingReplace::failure = c.failure;
        FailingReplace::failuresLeft = c.times;
        FailingReplace::calls = 0;
        const win::Written written = win::WriteReplacing(path, "[OTHER]\r\nnew=text\r\n",
                                                         ::GetFileAttributesW(path.c_str()), FailingReplace::Replace);
        EXPECT_EQ(written.way, c.way) << c.name;
        EXPECT_EQ(ReadBytes(path), "[OTHER]\r\nnew=text\r\n") << c.name;
        EXPECT_EQ(::GetFileAttributesW(folder.File(L"Vireon.ini.new").c_str()), INVALID_FILE_ATTRIBUTES) << c.name;
        if (c.times == 2) {
            EXPECT_EQ(FailingReplace::calls, 3) << c.name << ": retried until it passed";
        } else if (c.times == 1000) {
            EXPECT_LE(FailingReplace::calls, 10) << c.name << ": gave up within bounds";
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
