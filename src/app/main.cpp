#include <windows.h>

#include "app/lodestar_app.h"
#include "win/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    win::RestrictDllSearchToSystem32();
    theApp.InitInstance();
    return 0;
}
