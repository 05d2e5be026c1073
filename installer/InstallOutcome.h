// How an install run ended, for the program to turn into its exit status:
// the windowed setup program and a run without windows read the same value.
#pragma once

#include "installer/ExitCodes.h"

enum TInstallOutcome {
    ioNotRun,    // no run yet: the person left the wizard before installing
    ioInstalled, // the run completed
    ioCancelled, // the person chose Cancel in one of the run's boxes; the run was undone
    ioFailed,    // an error ended the run; it was undone
};

// 0 installed; 1602 cancelled, also when no run took place; 1603 failed.
inline int ExitCodeFor(TInstallOutcome outcome)
{
    switch (outcome) {
    case ioInstalled: return ExitCodeSuccess;
    case ioFailed: return ExitCodeFailed;
    case ioNotRun:
    case ioCancelled: return ExitCodeCancelled;
    }
    return ExitCodeFailed;
}
