#include "ui/SilentSetup.h"

#include <memory>

#include "archive/StringList.h"
#include "installer/ExitCodes.h"
#include "installer/InstallRun.h"
#include "installer/InstalledFolder.h"
#include "installer/ProgressView.h"
#include "installer/SettingsRecord.h"
#include "installer/SetupOutcome.h"
#include "installer/SilentInstall.h"
#include "installer/SilentQuestions.h"
#include "platform/ErrorDisplay.h"
#include "platform/FileSystem.h"
#include "platform/NativeServices.h"
#include "platform/Registry.h"
#include "platform/Resources.h"
#include "platform/CodePage.h"

namespace {

// The copy dialog of a run that shows nothing.
class TNoProgressView : public TProgressView {
public:
    void SetStatusText(const std::string&) override {}
    void SetFileName(const std::string&) override {}
    void SetProgress(int32_t) override {}
    void Show() override {}
    void Hide() override {}
    void ProcessMessages() override {}
};

} // namespace

int RunSilentSetup(const TSetupCommandLine& plan)
{
    TFileSystem& files = NativeFileSystem();
    TSilentLog log;
    if (!plan.LogFile.empty()) {
        try {
            log.Open(files, plan.LogFile, AnsiCodePage());
        } catch (const Exception&) {
            return ExitCodeFailed; // asked for a record that cannot be kept: nothing is changed
        }
    }
    TRunSeen seen;
    try {
        TSetupControl settings = EmbeddedSettings(NativeResources(), AnsiCodePage());
        const std::unique_ptr<TRegistry> registry = MakeNativeRegistry();
        const std::string winDir = PrepareStartup(settings, *registry, NativeSystemInfo());
        TSilentQuestions questions(log);
        TNoProgressView progress;
        TStringList fileList;
        TInstallRun run(settings, winDir, fileList,
                        {files, NativeResources(), *registry, NativeShellLinks(), questions, NativeClock(), progress});
        const std::string folder = SilentDestination(
            plan.Destination, InstalledFolder(*registry, files, settings.ProgramName), settings.TargetPath);
        SilentInstall(folder, files, questions, Watched(InstallThrough(run), seen));
    } catch (const std::exception& e) {
        seen.Failed = true;
        try {
            log.Write(ErrorDisplayText(e.what()));
        } catch (const std::exception&) {
            // The disk that holds the log is full: the exit code still tells.
        }
    }
    log.Close();
    // Nobody chose to cancel: a Retry box answered for want of a person is a failure.
    if (seen.Cancelled)
        seen.Failed = true;
    return SetupExitCode(OutcomeOf(seen));
}
