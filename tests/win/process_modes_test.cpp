// The process-wide modes as this very process was started.
#include <gtest/gtest.h>

#include "app/process_modes.h"
#include "win/message_box.h"
#include "win/module_path.h"

namespace {

TEST(ProcessModes, AppFolderIsTheProgramFoldersAbsolutePathAndBecomesCurrent) {
    wchar_t before[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, before);
    app::TakeAppFolder(app::CommandLineArguments());
    std::wstring module = win::ModuleFileName();
    module.erase(module.rfind(L'\\'));
    EXPECT_EQ(app::appFolder, module);
    wchar_t now[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, now);
    EXPECT_EQ(_wcsicmp(now, module.c_str()), 0);
    ::SetCurrentDirectoryW(before);
}

TEST(ProcessModes, NoSwitchesLeaveTheInitialModes) {
    app::ScanSwitches(app::CommandLineArguments());
    EXPECT_EQ(app::debugMode, 0);
    EXPECT_EQ(app::readWriteMode, 1);
}

TEST(ProcessModes, AppNameIsTheExecutablesBaseName) { EXPECT_EQ(win::AppName(), L"win_tests"); }

}  // namespace
