// The INI file as the platform's profile functions read and write it.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "test_support.h"
#include "windows_profile_reader.h"

#include <string>

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

    WriteBytes(
        path,
        "[SYSTEM]\nDRAWMODE=5\nLINECOLOR=-1\nQVHOTKEY=65\nQVMODIFIERS=10\nFADE=3\nCLICKS=-1\n[OTHER]\nLINEKIND=1\n");
    settings::LoadSettings(s, path, 1);
    EXPECT_EQ(s.fade, 3);  // on, as any value but 0
    EXPECT_EQ(s.clicks, -1);
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
              "TRANSPARENT=-10\r\nLINEKIND=-1\r\nQVHTOKEYFLAG=0\r\nQVHOTKEY=52\r\nQVMODIFIERS=1\r\nFADE=0\r\nCLICKS="
              "0\r\nHALO=0\r\nSHAKE=0\r\n");
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
              "QVHTOKEYFLAG=0\r\nQVHOTKEY=52\r\nQVMODIFIERS=1\r\nFADE=0\r\nCLICKS=0\r\nHALO=0\r\nSHAKE=0\r\n\r\n[LAST]"
              "\r\nx=\xff\xfe bytes");
    TrailSettings back;
    back.lineColorIndex = 0;
    settings::LoadSettings(back, path, 1);
    EXPECT_EQ(back, s);
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

}  // namespace
