// The setup program's command line, for the run without a person at the desk:
// parsed into a plan before anything happens. Without arguments the plan is
// the wizard's run as ever.
//
//   /S          no window and no question: the answers of SilentQuestions
//   /LOG=file   with /S: what the boxes would have said, one line each
//   /D=folder   the destination; the last switch, the rest of the line,
//               blanks kept, quotes allowed but not needed
//   /?          the switches in a box
//
// Switches are read without regard to case. Each may be given once: a
// repeated switch is refused like an unknown one, since either of its values
// could be the one meant.
#pragma once

#include <string>

#include "platform/Exception.h"

struct TSetupCommandLine {
    bool Silent = false;     // /S
    bool Help = false;       // /?
    std::string LogFile;     // /LOG=, "" when not given
    std::string Destination; // /D=, an absolute folder without a trailing "\" ("" when not given)
};

// A command line the program does not understand. It still tells whether
// /S and /LOG= were given, so that the refusal goes where the run's messages
// would have gone.
class ESetupCommandLine : public Exception {
public:
    ESetupCommandLine(std::string message, bool silent, std::string logFile)
        : Exception(std::move(message)), Silent(silent), LogFile(std::move(logFile))
    {
    }
    bool Silent;
    std::string LogFile;
};

// The plan of the arguments after the program's name: ESetupCommandLine for
// an unknown or repeated switch, an empty value, a /D= that is no absolute
// folder, or /LOG= without /S.
TSetupCommandLine ParseSetupCommandLine(const std::string& arguments);

// The text of the /? box.
std::string SetupSwitchesText();
