#include "installer/SetupOutcome.h"

#include "installer/ExitCodes.h"
#include "installer/InstallRun.h"

int SetupExitCode(TSetupOutcome outcome)
{
    switch (outcome) {
    case soInstalled:
        return ExitCodeSuccess;
    case soCancelled:
        return ExitCodeCancelled;
    case soFailed:
        break;
    }
    return ExitCodeFailed;
}

TSetupOutcome OutcomeOf(const TRunSeen& seen)
{
    if (seen.Failed)
        return soFailed;
    if (seen.Cancelled)
        return soCancelled;
    if (seen.Completed)
        return soInstalled;
    return soCancelled;
}

TInstallFilesProc Watched(TInstallFilesProc install, TRunSeen& seen)
{
    return [install = std::move(install), &seen](const std::string& dirName, bool backup,
                                                 const std::vector<std::string>& madeDirectories) {
        try {
            std::string installDir = install(dirName, backup, madeDirectories);
            seen.Completed = true;
            return installDir;
        } catch (const EInstallCancelled&) {
            seen.Cancelled = true;
            throw;
        } catch (...) {
            seen.Failed = true;
            throw;
        }
    };
}
