// The install without a person at the desk: the wizard's destination step
// with the silent run's own choices, then the install run itself.
#pragma once

#include <string>

#include "installer/WizardSteps.h"

class TFileSystem;
class TUserQuestions;

// The folder a silent run installs into: the one the command line gives,
// else the one the product is installed in, else the settings' default.
std::string SilentDestination(const std::string& commandLineFolder, const std::string& installedFolder,
                              const std::string& defaultFolder);

// Creates dirName when it is missing (the question answered through
// questions, as the wizard asks it) and installs into it without a backup.
// Errors end the run as they end the wizard's.
void SilentInstall(const std::string& dirName, TFileSystem& files, TUserQuestions& questions,
                   const TInstallFilesProc& install);
