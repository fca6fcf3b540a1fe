#include "app/process_modes.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "app/switches.h"
#include "win/module_path.h"

namespace app {

std::int32_t debugMode = 0;
std::int32_t readWriteMode = 1;
std::wstring appFolder;

namespace {

struct ArgvDeleter {
    void operator()(LPWSTR* argv) const noexcept { ::LocalFree(argv); }
};

// Text for the current standard output: the console's code page when there is one.
std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    UINT codePage = ::GetConsoleOutputCP();
    if (codePage == 0) codePage = CP_ACP;
    const int size =
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                              nullptr);
    return out;
}

}  // namespace

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    const std::unique_ptr<LPWSTR, ArgvDeleter> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    if (argv) arguments.assign(argv.get(), argv.get() + count);
    return arguments;
}

void ScanSwitches(const std::vector<std::wstring>& args) {
    const std::vector<std::wstring_view> views(args.begin(), args.end());
    SwitchResult modes{debugMode, readWriteMode, {}};
    ScanSwitchArgs(views, modes);
    debugMode = modes.debugMode;
    readWriteMode = modes.readWriteMode;
    std::fputs(modes.consoleText.c_str(), stdout);
    std::fflush(stdout);
}

void TakeAppFolder(const std::vector<std::wstring>& args) {
    std::printf("PORTABLE VERSION START\n");
    appFolder = AppFolderFrom(args.empty() ? std::wstring_view{} : std::wstring_view{args[0]}, win::ModuleFileName());
    ::SetCurrentDirectoryW(appFolder.c_str());
    // Narrow output throughout: mixing wide and narrow writes on one stream is undefined.
    std::printf("CurrentDir=%s\n", Narrow(appFolder).c_str());
    std::fflush(stdout);
}

}  // namespace app
