// What a save leaves when the folder, the disk or the system stands in its
// way, and what the next start makes of what a crashed save left.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "test_support.h"
#include "win/file.h"
#include "win/handle.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

using settings::TrailSettings;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

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

TEST(SettingsFile, AReadOnlyFileIsLeftAsItIsAndTheSaveSaysSo) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path, "[SYSTEM]\r\nDRAWMODE=1\r\n");
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    TrailSettings s;
    s.drawMode = 0;
    const settings::SaveResult result = settings::SaveSettings(s, path, 1);
    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.error, static_cast<unsigned long>(ERROR_ACCESS_DENIED));
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(path), "[SYSTEM]\r\nDRAWMODE=1\r\n");
    EXPECT_EQ(FolderNames(folder), std::vector<std::wstring>{L"Vireon.ini"});
}

// A link whose target has gone (a crash of a save beside the target, a moved
// folder): the link is not written over as if it were a first save.
TEST(SettingsFile, ALinkWhoseTargetIsGoneIsNotSavedOver) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    // 0x2: SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE, for a runner in developer mode.
    if (!::CreateSymbolicLinkW(path.c_str(), folder.File(L"gone.ini").c_str(), 0x2) ||
        ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no dangling link here (Wine reports its target's attributes)";
    EXPECT_FALSE(settings::SaveSettings(TrailSettings{}, path, 1).saved);
    EXPECT_NE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u) << "the link was replaced";
}

TEST(SettingsFile, AFolderInPlaceOfTheFileReadsAsMissingAndIsNotSavedOver) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    ASSERT_TRUE(::CreateDirectoryW(path.c_str(), nullptr));
    TrailSettings s;
    settings::LoadSettings(s, path, 1);
    EXPECT_EQ(s, TrailSettings{});
    s.drawMode = 0;
    EXPECT_FALSE(settings::SaveSettings(s, path, 1).saved);
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

// Stands in for the save's file calls: the n-th write stops half way for a
// full disk, no file may be made beside the settings file, and ReplaceFileW and MoveFileExW
// fail as told, leaving the files as the "ReplaceFileW function" page says
// each failure leaves them.
struct Faults {
    static inline int failingWrite = 0;
    static inline int writes = 0;
    static inline bool noFileBeside = false;  // as a folder that takes no new files, where no first save is made either
    static inline DWORD replaceFailure = 0;
    static inline int replaceFailuresLeft = 0;
    static inline int replaces = 0;
    static inline bool newFileStays = false;  // moving this save's new text fails
    static inline bool nothingMoves = false;
    static inline DWORD slept = 0;  // milliseconds of pauses between tries, not waited

    static HANDLE WINAPI Create(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD creation,
                                DWORD flags, HANDLE from) {
        if (noFileBeside && std::wstring_view(name).find(L".vireon-") != std::wstring_view::npos) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        // Windows refuses to make a hidden file anew as a normal one ("CreateFileW function",
        // CREATE_ALWAYS); Wine does not.
        const DWORD existing = ::GetFileAttributesW(name);
        if (creation == CREATE_ALWAYS && existing != INVALID_FILE_ATTRIBUTES &&
            (existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) && flags == FILE_ATTRIBUTE_NORMAL) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        return ::CreateFileW(name, access, share, security, creation, flags, from);
    }
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
        ::SetLastError(replaceFailure);
        return FALSE;
    }
    static BOOL WINAPI Move(LPCWSTR from, LPCWSTR to, DWORD flags) {
        if (nothingMoves || (newFileStays && std::wstring_view(from).ends_with(L".new"))) {
            ::SetLastError(ERROR_IO_DEVICE);
            return FALSE;
        }
        return ::MoveFileExW(from, to, flags);
    }
    static void WINAPI Sleep(DWORD milliseconds) { slept += milliseconds; }
};

std::wstring Ours(const std::wstring& path, bool backup, DWORD processId = ::GetCurrentProcessId()) {
    return win::SaveFileName(path, processId, backup);
}

// A full disk at every write of every way a save can go: the folder then holds
// the old text or the whole new one, under its own name and with its
// attributes, and the save says which. The user's own "Vireon.ini.new" and
// "Vireon.ini.old" stay as they were. Only where nothing could be renamed are
// the save's own files left, for the next load or save to put in place.
TEST(SettingsFile, AFailureAtAnyStepLeavesTheOldOrTheNewTextWholeAndNothingElse) {
    const std::string oldText = "[OTHER]\r\nold=text\r\n";
    const std::string newText = "[OTHER]\r\nnew=text, longer than the old\r\n";
    const struct {
        const char* name;
        win::Written::Way way;
        DWORD replaceFailure = 0;
        int times = 0;
        bool newFileStays = false;
        bool nothingMoves = false;  // and so the new text comes in only at the next load or save
        bool firstSave = false;
        bool noFileBeside = false;
        bool stale = false;  // a hidden new file of ours, left by a process with our id
    } cases[] = {
        {"replaced", win::Written::Replaced},
        {"a sharing violation that clears", win::Written::Replaced, ERROR_SHARING_VIOLATION, 2},
        {"held without delete sharing", win::Written::InPlace, ERROR_SHARING_VIOLATION, 1000},
        {"1175, the old file cannot be removed", win::Written::InPlace, ERROR_UNABLE_TO_REMOVE_REPLACED, 1000},
        {"1176, both files keep their names", win::Written::InPlace, ERROR_UNABLE_TO_MOVE_REPLACEMENT, 1},
        {"1177, the old file under the backup name", win::Written::Replaced, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1},
        {"1177 and the new file cannot be moved", win::Written::InPlace, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, true},
        {"1177 and nothing moves", win::Written::Pending, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 1, false, true},
        {"no ReplaceFileW on this volume", win::Written::Replaced, ERROR_NOT_SUPPORTED, 1000},
        {"no ReplaceFileW, nor renames", win::Written::InPlace, ERROR_INVALID_PARAMETER, 1000, true},
        {"an I/O error replacing", win::Written::NotWritten, ERROR_IO_DEVICE, 1},
        {"no file may be made beside it", win::Written::InPlace, 0, 0, false, false, false, true},
        {"a first save", win::Written::Created, 0, 0, false, false, true},
        {"a first save, no file may be made beside it", win::Written::Created, 0, 0, false, false, true, true},
        {"a stale hidden new file of ours", win::Written::Replaced, 0, 0, false, false, false, false, true},
    };
    for (const auto& c : cases) {
        bool faultInjected = true;
        for (int n = 1; faultInjected; ++n) {
            const std::string name = std::string(c.name) + ", write " + std::to_string(n) + " fails";
            TempFolder folder;
            const std::wstring path = folder.File(L"Vireon.ini");
            WriteBytes(folder.File(L"Vireon.ini.new"), "the user's");
            WriteBytes(folder.File(L"Vireon.ini.old"), "the user's");
            ::SetFileAttributesW(folder.File(L"Vireon.ini.new").c_str(), FILE_ATTRIBUTE_HIDDEN);
            if (!c.firstSave) {
                WriteBytes(path, oldText);
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
            }
            if (c.stale) {
                WriteBytes(Ours(path, false), "stale");
                ::SetFileAttributesW(Ours(path, false).c_str(), FILE_ATTRIBUTE_HIDDEN);
            }
            Faults::failingWrite = n;
            Faults::writes = 0;
            Faults::noFileBeside = c.noFileBeside;
            Faults::replaceFailure = c.replaceFailure;
            Faults::replaceFailuresLeft = c.times;
            Faults::replaces = 0;
            Faults::newFileStays = c.newFileStays;
            Faults::nothingMoves = c.nothingMoves;
            Faults::slept = 0;
            const win::Written written =
                win::WriteReplacing(path, newText, c.firstSave ? "" : oldText, ::GetFileAttributesW(path.c_str()),
                                    {Faults::Create, Faults::Replace, Faults::Move, Faults::Write, Faults::Sleep});
            faultInjected = Faults::writes >= n;
            const bool reached = c.way != win::Written::NotWritten && !faultInjected;
            EXPECT_EQ(written.way, reached ? c.way : win::Written::NotWritten) << name;
            const bool saved = reached && c.way != win::Written::Pending;
            const bool leftForLater = c.nothingMoves && !faultInjected;
            EXPECT_EQ(FolderNames(folder).size(), leftForLater ? 4u : (c.firstSave && !saved) ? 2u : 3u) << name;
            if (c.times == 2 && saved) {
                EXPECT_EQ(Faults::replaces, 3) << name << ": retried until it passed";
            }
            if (c.times == 1000) {
                EXPECT_LE(Faults::replaces, 10) << name << ": gave up within bounds";
                if (Faults::replaces > 1) {
                    EXPECT_GE(Faults::slept, 300u) << name << ": paused between the tries";
                }
            }

            const win::Recovered recovered = win::RecoverInterruptedSave(path);
            EXPECT_EQ(recovered.file, path) << name;
            std::vector<std::wstring> expectedNames = {L"Vireon.ini", L"Vireon.ini.new", L"Vireon.ini.old"};
            if (c.firstSave && !saved) expectedNames.erase(expectedNames.begin());
            EXPECT_EQ(FolderNames(folder), expectedNames) << name;
            if (!c.firstSave || saved) {
                EXPECT_EQ(ReadBytes(path), saved || leftForLater ? newText : oldText) << name;
            }
            if (!c.firstSave) {
                EXPECT_NE(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u) << name << ": not hidden";
            }
            EXPECT_EQ(ReadBytes(folder.File(L"Vireon.ini.new")) + ReadBytes(folder.File(L"Vireon.ini.old")),
                      "the user'sthe user's")
                << name;
            for (const wchar_t* file : {L"Vireon.ini", L"Vireon.ini.new"})
                ::SetFileAttributesW(folder.File(file).c_str(), FILE_ATTRIBUTE_NORMAL);
            ASSERT_LE(n, 4) << name << ": more writes than any way makes";
        }
    }
}

// A crash or a power loss in the middle of a save, and then a start or a save:
// what the folder held, what the settings are, and what the folder holds after.
TEST(SettingsFile, WhatACrashedSaveLeftIsPutBackOrRemoved) {
    const std::string newer = "[OTHER]\r\nkeep=me\r\n[SYSTEM]\r\nDRAWMODE=0\r\n";
    const std::string older = "[SYSTEM]\r\nDRAWMODE=1\r\n";
    const struct {
        const char* name;
        bool file, temporary, backup;
        bool save;  // else a load
        int drawMode;
        std::vector<std::wstring> after;
    } cases[] = {
        {"between the two renames", false, true, true, false, 0, {L"Vireon.ini"}},
        {"between the two renames, then a save", false, true, true, true, 0, {L"Vireon.ini"}},
        {"only the old file left", false, false, true, false, 1, {L"Vireon.ini"}},
        {"a first save cut short while written", false, true, false, false, 2, {}},
        {"after the replace", true, true, true, false, 1, {L"Vireon.ini"}},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::wstring path = folder.File(L"Vireon.ini");
        if (c.file) WriteBytes(path, older);
        if (c.temporary) WriteBytes(Ours(path, false, 4242), newer);
        if (c.backup) WriteBytes(Ours(path, true, 4242), older);
        ::SetFileAttributesW(Ours(path, false, 4242).c_str(), FILE_ATTRIBUTE_HIDDEN);
        TrailSettings s;
        if (c.save) {
            s.drawMode = 0;
            EXPECT_TRUE(settings::SaveSettings(s, path, 1).saved) << c.name;
        } else {
            settings::LoadSettings(s, path, 1);
        }
        EXPECT_EQ(s.drawMode, c.drawMode) << c.name;
        EXPECT_EQ(FolderNames(folder), c.after) << c.name;
        if (c.save) {
            EXPECT_NE(ReadBytes(path).find("[OTHER]\r\nkeep=me\r\n"), std::string::npos) << c.name;
        }
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(SettingsFile, WhatStopsAReplacementDoesNotStopTheSave) {
    const struct {
        const char* name;
        void (*block)(const TempFolder& folder);
        bool hold = false;
    } cases[] = {
        {"a folder named like this save's new file",
         [](const TempFolder& f) { ::CreateDirectoryW(Ours(f.File(L"Vireon.ini"), false).c_str(), nullptr); }},
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
    }
}

}  // namespace
