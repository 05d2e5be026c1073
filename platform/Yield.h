// Gives the processor to other work for a moment (Sleep(0) on Windows), so a
// single-threaded user interface stays responsive during long codec runs.
#pragma once

void ProcessorYield();
