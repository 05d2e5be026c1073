// The uninstaller, a program of its own beside the setup program that the
// archive carries: started as "UninstallString" and the uninstall shortcut
// start it, with the install log's path after its own name, it removes what
// the installation made and says what was left. Its manifest asks for
// administrator rights: the installation is in Program Files and HKLM.
#include <windows.h>
#include <objbase.h>

#include <memory>
#include <string>

#include "installer/BuildSettings.h"
#include "installer/ExitCodes.h"
#include "installer/SilentQuestions.h"
#include "installer/UninstallCommandLine.h"
#include "uninstaller/UninstallRun.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/Registry.h"
#include "platform/ShellLinks.h"
#include "platform/WideText.h"
#include "ui/MessageBoxes.h"

namespace {

class TMessageBoxReport : public TUninstallReport {
public:
    void ShowError(const std::string& message) override { ShowErrorBox(message); }
    void ShowSummary(const std::string& text) override
    {
        ShowMessageBox(nullptr, text, ApplicationTitle,
                       MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_TOPMOST | MB_SETFOREGROUND);
    }
};

// The report of a run without a window (/S): its exit code says how it went.
class TSilentReport : public TUninstallReport {
public:
    explicit TSilentReport(TSilentLog& log) : FLog(log) {}
    void ShowError(const std::string& message) override { FLog.Write(message); }
    void ShowSummary(const std::string& text) override { FLog.Write(text); }

private:
    TSilentLog& FLog;
};

std::string ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? Utf8Text(std::wstring_view(path, n)) : std::string();
}

// A running program cannot delete its own file. Only the copy in the Windows
// directory is the installation's; a copy elsewhere is someone's build.
void RemoveSelfAtReboot(const std::string& self)
{
    wchar_t windows[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    std::wstring wide;
    if (n == 0 || n >= MAX_PATH || !WidePath(self, wide))
        return;
    std::wstring directory(windows, n);
    if (directory.back() != L'\\')
        directory += L'\\';
    const size_t slash = wide.find_last_of(L'\\');
    if (slash == std::wstring::npos || !SameWideText(std::wstring_view(wide).substr(0, slash + 1), directory))
        return;
    // Without the rights for it the file simply stays.
    MoveFileExW(wide.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// A log named from a command prompt may be relative to its current directory.
std::string FullPath(const std::string& path)
{
    if (path.empty())
        return path;
    std::wstring wide;
    wchar_t full[MAX_PATH] = {};
    const DWORD n = WidePath(path, wide) ? GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr) : 0;
    return n > 0 && n < MAX_PATH ? Utf8Text(std::wstring_view(full, n)) : path;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::string self = ModulePath();
    const TUninstallCommand command = ParseUninstallArguments(ArgumentsAfterProgram(Utf8Text(GetCommandLineW()), self));
    const std::string logPath = FullPath(command.LogPath);
    // The links are read back through the shell link object.
    CoInitialize(nullptr);
    TUninstallOutcome outcome;
    const auto execute = [&](TUserQuestions& questions, TUninstallReport& report) {
        const std::unique_ptr<TRegistry> registry = MakeNativeRegistry();
        TUninstallRun run(BuildSettings().ProgramName, BuildSettings().ExeName,
                          {NativeFileSystem(), *registry, NativeShellLinks(), questions, report});
        outcome = run.Execute(logPath);
    };
    if (command.Silent) {
        // Every question gets its box's default: remove, keep the user's data, restore.
        TSilentLog nowhere;
        TSilentQuestions questions(nowhere);
        TSilentReport report(nowhere);
        try {
            execute(questions, report);
        } catch (const std::exception&) {
            // As after the error box of the run with a window: the exit code tells.
        }
    } else {
        ReportErrors([&] {
            TMessageBoxQuestions questions;
            TMessageBoxReport report;
            execute(questions, report);
        });
    }
    CoUninitialize();
    // A run to be repeated needs this program still there.
    if ((outcome.Result == urRemoved || outcome.Result == urIncomplete) && !outcome.Repeatable)
        RemoveSelfAtReboot(self);
    if (command.Silent)
        return outcome.Result == urRemoved ? ExitCodeSuccess : ExitCodeFailed;
    return static_cast<int>(outcome.Result);
}
