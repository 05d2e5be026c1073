// The setup program's and the uninstaller's exit statuses: the values that
// deployment tools read from Windows Installer packages, so a script can tell
// an installed product from a cancelled or failed run.
#pragma once

inline constexpr int ExitCodeSuccess = 0;
// The user (or a silent run's policy) ended the run before it completed.
inline constexpr int ExitCodeCancelled = 1602;
// The run could not complete; the machine was put back as far as it could be.
inline constexpr int ExitCodeFailed = 1603;
// A command line the program does not understand (ERROR_INVALID_PARAMETER).
inline constexpr int ExitCodeBadParameter = 87;
