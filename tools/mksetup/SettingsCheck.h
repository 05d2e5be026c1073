// The settings file as the setup program will read it: its UTF-8 text in
// the target ANSI code page, and the values the installer or the
// uninstaller could not carry out refused before anything is made.
#pragma once

#include <string>

#include "installer/SetupControl.h"

// The settings file's text (UTF-8, a byte order mark allowed) as ANSI text of
// codePage. EMkSetupError naming the line that is not UTF-8 or holds a
// character the code page lacks.
std::string SettingsTextInCodePage(const std::string& utf8, unsigned codePage);

// EMkSetupError for a ProgramName the uninstaller would refuse to read back
// from the install log, and an Uninstaller other than the one the installer
// places and registers.
void CheckSettings(const TSetupControl& settings, unsigned codePage);
