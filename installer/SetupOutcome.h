// How a run of the setup program ended, and the exit code that tells it to
// the deployment tool or script that started the program.
#pragma once

#include "installer/WizardSteps.h"

enum TSetupOutcome { soInstalled, soCancelled, soFailed };

// 0 installed, 1602 cancelled, 1603 failed.
int SetupExitCode(TSetupOutcome outcome);

// What the program saw of its install run.
struct TRunSeen {
    bool Completed = false; // the run returned: the product is installed
    bool Cancelled = false; // the person chose Cancel where the run offered a retry
    bool Failed = false;    // an error ended the run (or the silent run before it)
};

// The outcome from what was seen: an error is a failure, a run that returned
// is an installation, and a program that ended without either was cancelled
// (the wizard's Cancel, confirmed).
TSetupOutcome OutcomeOf(const TRunSeen& seen);

// The install run, recording into seen how it ended; its errors go on as before.
TInstallFilesProc Watched(TInstallFilesProc install, TRunSeen& seen);
