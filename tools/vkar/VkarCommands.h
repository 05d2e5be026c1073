// The five commands. Each returns the exit status; failures that concern no
// single entry (a bad header, an archive that cannot be opened) leave as
// exceptions for the entry point to report.
#pragma once

#include "tools/vkar/VkarOptions.h"

inline constexpr int VkarExitOK = 0;
inline constexpr int VkarExitFailure = 1;
inline constexpr int VkarExitUsage = 2;

int RunCreate(const TVkarOptions& options);
int RunList(const TVkarOptions& options);
int RunTest(const TVkarOptions& options);
int RunExtract(const TVkarOptions& options);
int RunPrint(const TVkarOptions& options);
