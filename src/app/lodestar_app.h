// The application object: everything the process does between start and exit.
#pragma once

#include <windows.h>

class CLodestarApp {
public:
    // Common controls, single-instance guard, switches, console or null device,
    // banner, application folder, GDI+, the main window's modal run, shutdown.
    // 0 after the main window closed; -1 for a second instance or no mutex.
    int InitInstance();
};

extern CLodestarApp theApp;

// Registered in debug mode; runs on a thread of the system's.
BOOL WINAPI ConsoleCtrlHandler(DWORD event);
