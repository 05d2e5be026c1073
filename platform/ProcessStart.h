// Starting another program.
#pragma once

#include <string>

class TProgramStarter {
public:
    virtual ~TProgramStarter() = default;
    // Starts commandLine in a normal window and leaves it running; whether it started is not reported.
    virtual void StartProgram(const std::string& commandLine) = 0;
};
