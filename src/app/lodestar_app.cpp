#include "app/lodestar_app.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstdio>

#include "app/process_modes.h"
#include "resource.h"
#include "settings/settings_file.h"
#include "ui/lodestar_dlg.h"
#include "win/dialog.h"
#include "win/gdiplus_flat.h"

CLodestarApp theApp;

namespace {

constexpr wchar_t kMutexName[] = L"__VIREON_BRACKENWOOD__";

constexpr char kNullDevice[] = "NUL";

void RedirectStandardStreams(bool console) {
    // A stream that cannot be redirected is not worth stopping the program for.
    FILE* stream = nullptr;
    if (console) {
        ::AllocConsole();
        (void)freopen_s(&stream, "CONOUT$", "w", stdout);
        (void)freopen_s(&stream, "CONIN$", "r", stdin);
        ::SetConsoleCtrlHandler(ConsoleCtrlHandler, TRUE);
    } else {
        (void)freopen_s(&stream, kNullDevice, "w", stdout);
        (void)freopen_s(&stream, kNullDevice, "r", stdin);
    }
}

void PrintBanner() {
    std::printf("********** Start Tindervault DEBUG MODE  *******\n");
    if (app::debugMode) std::printf("DEBUG_MODE ON\n");
    if (app::readWriteMode) std::printf("ReadWrite_MODE ON\n");
    std::fflush(stdout);
}

}  // namespace

BOOL WINAPI ConsoleCtrlHandler(DWORD event) {
    if (event == CTRL_SHUTDOWN_EVENT) {
        if (const HWND window = CLodestarDlg::liveWindow.load()) {
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        }
    }
    // Ctrl+C and Ctrl+Break in the debug console must not end the program.
    return TRUE;
}

int CLodestarApp::InitInstance() {
    // The links are SysLink controls, a class of their own ("SysLink control").
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&controls);

    // Owned until the process ends; the handle is deliberately never closed.
    const HANDLE mutex = ::CreateMutexW(nullptr, TRUE, kMutexName);
    if (!mutex) return -1;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::MessageBoxW(nullptr, win::ResourceText(IDS_ALREADY_RUNNING).c_str(),
                      win::ResourceText(IDS_ALREADY_RUNNING_CAPTION).c_str(), MB_OK);
        return -1;
    }

    const std::vector<std::wstring> args = app::CommandLineArguments();
    app::ScanSwitches(args);
    RedirectStandardStreams(app::debugMode == 1);
    PrintBanner();
    app::TakeAppFolder(args);

    // ShellExecuteW, which opens the home page, may hand the work to a shell
    // extension and asks for COM, apartment-threaded with OLE1 DDE off, on the
    // thread that calls it ("ShellExecuteW function"). Without it the call
    // still works for a plain URL, so a failure here is not fatal.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ULONG_PTR gdiplusToken = 0;
    const gdip::StartupInput gdiplusInput;
    gdip::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    {
        CLodestarDlg mainDialog({settings::SettingsPathFor(app::appFolder), app::readWriteMode});
        mainDialog.DoModal();
        if (app::debugMode == 1) {
            ::FreeConsole();
            ::Sleep(1000);
        }
        gdip::GdiplusShutdown(gdiplusToken);
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}
