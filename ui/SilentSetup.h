// The setup program's run without a person at the desk (/S): no window at
// all, the questions answered by the silent policy, every message a box
// would have shown written to the /LOG= file, the outcome as the exit code.
#pragma once

#include "installer/SetupCommandLine.h"

// The exit code: 0 installed, 1603 failed. COM must be initialised.
int RunSilentSetup(const TSetupCommandLine& plan);
