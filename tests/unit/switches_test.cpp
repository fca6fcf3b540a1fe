#include "app/switches.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Switches, ScanSwitchArgs) {
    struct {
        std::vector<std::wstring_view> args;
        int debug, rw;
        const char* text;
    } const cases[] = {
        {{L"C:\\Vireon.exe"}, 0, 0, ""},
        {{L"Vireon", L"-RW", L"x", L"-D457"}, 1, 1, "ReadWriteMODE ON\nDEBUGMODE ON\n"},
        {{L"-D457", L"-D457"}, 1, 0, "DEBUGMODE ON\nDEBUGMODE ON\n"},
        {{L"-d457", L"/D457", L"-D4570", L"-rw", L"-RW "}, 0, 0, ""},
    };
    for (const auto& c : cases) {
        app::SwitchResult modes{0, 0, {}};
        app::ScanSwitchArgs(c.args, modes);
        EXPECT_EQ(modes.debugMode, c.debug) << c.text;
        EXPECT_EQ(modes.readWriteMode, c.rw) << c.text;
        EXPECT_EQ(modes.consoleText, c.text);
    }
}

TEST(Switches, AppFolderFrom) {
    const std::wstring_view module = L"D:\\App\\Vireon.exe";
    struct {
        std::wstring_view arg, module;
        std::wstring_view want;
    } const cases[] = {
        {L"C:\\Tools\\Vireon.exe", module, L"C:\\Tools"},
        {L"c:\\Vireon.exe", module, L"c:"},
        {L"C:\\\\Vireon.exe", module, L"C:"},
        {L"\\\\host\\share\\Vireon.exe", module, L"\\\\host\\share"},
        {L"C:/Tools\\Vireon.exe", module, L"C:/Tools"},
        {L"C:/Tools/Vireon.exe", module, L"D:\\App"},  // no backslash to cut at
        {L"bin\\Vireon.exe", module, L"D:\\App"},
        {L"Vireon", module, L"D:\\App"},
        {L"C:Vireon.exe", module, L"D:\\App"},
        {L"\\Vireon.exe", module, L"D:\\App"},
        {L"Vireon", L"Vireon.exe", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(app::AppFolderFrom(c.arg, c.module), c.want) << c.arg.size();
}

}  // namespace
