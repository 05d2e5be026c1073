// The settings record this setup program was built with, from the settings
// file the build was pointed at.
#pragma once

#include "installer/SetupControl.h"

TSetupControl BuildSettings();
