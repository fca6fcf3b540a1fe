// Test entry point for the Windows tests: GDI+ and the common controls are
// running for the whole run, as they are in the program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "win/gdiplus_flat.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    ULONG_PTR token = 0;
    const gdip::StartupInput input;
    gdip::GdiplusStartup(&token, &input, nullptr);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    gdip::GdiplusShutdown(token);
    return result;
}
