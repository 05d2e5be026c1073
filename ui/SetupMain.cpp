// The setup program's entry. Without arguments it is the wizard's run; the
// command line (/S, /LOG=, /D=, /?) serves deployment tools. The settings
// record is the program's own resource, put there by mksetup; the stub has
// none.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "installer/ExitCodes.h"
#include "installer/SettingsRecord.h"
#include "installer/SetupCommandLine.h"
#include "installer/SilentQuestions.h"
#include "installer/UninstallCommandLine.h"
#include "platform/ErrorDisplay.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"
#include "platform/WideText.h"
#include "ui/MessageBoxes.h"
#include "ui/SetupProgram.h"
#include "ui/SilentSetup.h"
#include "platform/CodePage.h"

namespace {
const char* const StubMessage = "This is the setup stub of ZarnFTP Setup; mksetup makes a setup program of it.";

std::string ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Utf8Text(std::wstring_view(path, n)) : std::string();
}

// A command line not understood: a box for a person, the /LOG= file (when
// it was readable) for a silent run; nothing is installed either way.
int RefuseCommandLine(const ESetupCommandLine& e)
{
    const std::string message = ErrorDisplayText(e.Message());
    if (!e.Silent) {
        ShowMessageBox(nullptr, message + "\n\n" + SetupSwitchesText(), ApplicationTitle,
                       MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    } else if (!e.LogFile.empty()) {
        try {
            TSilentLog log;
            log.Open(NativeFileSystem(), e.LogFile, AnsiCodePage());
            log.Write(message);
        } catch (const std::exception&) {
        }
    }
    return ExitCodeBadParameter;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // A drive without a medium must not bring up a system prompt.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    TSetupCommandLine plan;
    try {
        plan = ParseSetupCommandLine(ArgumentsAfterProgram(Utf8Text(GetCommandLineW()), ModulePath()));
    } catch (const ESetupCommandLine& e) {
        return RefuseCommandLine(e);
    }
    if (plan.Help) {
        ShowMessageBox(nullptr, SetupSwitchesText(), ApplicationTitle,
                       MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_SETFOREGROUND);
        return ExitCodeSuccess;
    }
    // The shell links need COM on this thread, in a single-threaded apartment.
    if (plan.Silent) {
        CoInitialize(nullptr);
        const int status = RunSilentSetup(plan);
        CoUninitialize();
        return status;
    }
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls); // the themed controls of the manifest
    CoInitialize(nullptr);
    int status = ExitCodeFailed;
    ReportErrors([&status, &plan] {
        TSetupControl settings;
        try {
            settings = EmbeddedSettings(NativeResources(), AnsiCodePage());
        } catch (const ENoSettingsRecord&) {
            ShowMessageBox(nullptr, StubMessage, "ZarnFTP Setup", MB_OK | MB_ICONINFORMATION);
            status = 2;
            return;
        }
        TSetupProgram program(settings, plan.Destination);
        status = program.Run();
    });
    CoUninitialize();
    return status;
}
