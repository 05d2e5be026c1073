// The setup program's entry: no command line is read.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "ui/MessageBoxes.h"
#include "ui/SetupProgram.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // A drive without a medium must not bring up a system prompt.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls); // the themed controls of the manifest
    // The shell links need COM on this thread, in a single-threaded apartment.
    CoInitialize(nullptr);
    int status = 1;
    ReportErrors([&status] {
        TSetupProgram program;
        status = program.Run();
    });
    CoUninitialize();
    return status;
}
