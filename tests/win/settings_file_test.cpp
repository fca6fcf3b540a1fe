// The INI file as the platform's profile functions read and write it, and the
// settings reaching the overlay.
#include <gtest/gtest.h>

#include "overlay/monitor_win.h"
#include "settings/settings_file.h"
#include "test_support.h"

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

    WriteBytes(path, "[SYSTEM]\nDRAWMODE=5\nLINECOLOR=-1\nQVHOTKEY=65\nQVMODIFIERS=10\n[OTHER]\nLINEKIND=1\n");
    settings::LoadSettings(s, path, 1);
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
    s.drawMode = 7;         // out of range: kept as it is
    s.opacityPercent = -10;
    s.lineKind = -1;
    settings::SaveSettings(s, path, 1);
    const std::string first = ReadBytes(path);
    EXPECT_EQ(first,
              "[SYSTEM]\r\nDRAWMODE=7\r\nLINECOLOR=0\r\nPOINTCOLOR=3\r\nLINEPOINT=1\r\nPOINTPOINT=1\r\n"
              "TRANSPARENT=-10\r\nLINEKIND=-1\r\nQVHTOKEYFLAG=0\r\nQVHOTKEY=52\r\nQVMODIFIERS=1\r\n");
    settings::SaveSettings(s, path, 1);
    EXPECT_EQ(ReadBytes(path), first);

    TrailSettings back;
    back.drawMode = 0;
    settings::LoadSettings(back, path, 1);
    EXPECT_EQ(back, s);
}

// Lines of the file without the blank ones, which Wine's profile writer drops.
std::vector<std::string> ContentLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        if (end > start) lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(SettingsFile, OtherSectionsAndKeysStayAsTheyWere) {
    TempFolder folder;
    const std::wstring path = folder.File(L"Vireon.ini");
    WriteBytes(path, "[FIRST]\r\nname=value\r\n; a comment\r\n\r\n[SYSTEM]\r\nCUSTOM=keep me\r\nLINECOLOR=4\r\n"
                     "\r\n[LAST]\r\nx=1\r\n");
    TrailSettings s;
    settings::LoadSettings(s, path, 1);
    EXPECT_EQ(s.lineColorIndex, 4);
    settings::SaveSettings(s, path, 1);
    const std::vector<std::string> expected{
        "[FIRST]", "name=value", "; a comment", "[SYSTEM]", "CUSTOM=keep me", "LINECOLOR=4",
        "DRAWMODE=2", "POINTCOLOR=3", "LINEPOINT=1", "POINTPOINT=1", "TRANSPARENT=70", "LINEKIND=0",
        "QVHTOKEYFLAG=0", "QVHOTKEY=52", "QVMODIFIERS=1", "[LAST]", "x=1"};
    EXPECT_EQ(ContentLines(ReadBytes(path)), expected);
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

class ApplySettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(overlay.Create(panel.hwnd()));
        overlay.panelHwnd = panel.hwnd();
        overlay.ResetOverlay();
    }
    void TearDown() override { overlay.DestroyWindow(); }
    BYTE Alpha() const {
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ::GetLayeredWindowAttributes(overlay.hwnd(), &key, &alpha, &flags);
        EXPECT_EQ(key, RGB(0, 0, 1));
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
        return alpha;
    }

    testing_support::PlainWindow panel{L"panel", RECT{0, 0, 50, 50}};
    CMonitorWin overlay;
};

TEST_F(ApplySettingsTest, StyleAndAlphaFollowTheSettings) {
    TrailSettings s;
    s.opacityPercent = 40;
    settings::ApplySettings(s, overlay);
    EXPECT_EQ(Alpha(), 102);
    EXPECT_EQ(overlay.style.drawLines, 1);
    EXPECT_EQ(overlay.style.drawPoints, 0);
    EXPECT_EQ(overlay.style.opacityPercent, 40);

    s.drawMode = 0;
    s.lineColorIndex = 2;
    s.lineKind = 1;
    settings::ApplySettings(s, overlay);
    EXPECT_EQ(overlay.style.drawPoints, 1);
    EXPECT_EQ(overlay.style.lineColor, RGB(0, 0, 255));
    EXPECT_EQ(overlay.style.straightLines, 1);

    s.lineColorIndex = 7;  // out of range: blue stays
    settings::ApplySettings(s, overlay);
    EXPECT_EQ(overlay.style.lineColor, RGB(0, 0, 255));
}

TEST_F(ApplySettingsTest, OpacityOutsideThePercentRangeIsClampedForTheAlphaOnly) {
    TrailSettings s;
    s.opacityPercent = 101;
    settings::ApplySettings(s, overlay);
    EXPECT_EQ(Alpha(), 255);
    EXPECT_EQ(overlay.style.opacityPercent, 101);
    s.opacityPercent = -10;
    settings::ApplySettings(s, overlay);
    EXPECT_EQ(Alpha(), 0);
    s.opacityPercent = 1;
    settings::ApplySettings(s, overlay);
    EXPECT_EQ(Alpha(), 2);
}

}  // namespace
