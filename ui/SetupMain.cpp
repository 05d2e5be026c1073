// The setup program's entry: no command line is read. The settings record is
// the program's own resource, put there by mksetup; the stub has none.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "installer/SettingsRecord.h"
#include "platform/Resources.h"
#include "ui/MessageBoxes.h"
#include "ui/SetupProgram.h"

namespace {
const char* const StubMessage = "This is the setup stub of ZarnFTP Setup; mksetup makes a setup program of it.";
}

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
        TSetupControl settings;
        try {
            settings = EmbeddedSettings(NativeResources());
        } catch (const ENoSettingsRecord&) {
            MessageBoxA(nullptr, StubMessage, "ZarnFTP Setup", MB_OK | MB_ICONINFORMATION);
            status = 2;
            return;
        }
        TSetupProgram program(settings);
        status = program.Run();
    });
    CoUninitialize();
    return status;
}
