// Programs "started" by the code under test, as command lines in order.
#pragma once

#include <string>
#include <vector>

#include "platform/ProcessStart.h"

class TRecordedPrograms : public TProgramStarter {
public:
    std::vector<std::string> Started;
    void StartProgram(const std::string& commandLine) override { Started.push_back(commandLine); }
};
