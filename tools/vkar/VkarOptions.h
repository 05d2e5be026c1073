// The command line of vkar: one command letter, then options and operands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Exception.h"

// A command line that vkar cannot carry out as written (exit status 2).
DECLARE_EXCEPTION(EVkarUsage);

enum class TVkarCommand { vcCreate, vcList, vcTest, vcExtract, vcPrint, vcHelp, vcVersion };

struct TVkarOptions {
    TVkarCommand Command = TVkarCommand::vcHelp;
    uint8_t Method = 2; // LZH; MethodBest for "best"
    int32_t Key = 0;
    std::string BaseDir; // -C; empty: the current directory
    bool Absolute = false;
    bool KeepOld = false; // -k: x keeps existing files
    bool Quiet = false;
    bool Verbose = false;
    unsigned Jobs = 0; // -j: entries worked on at once (c, t, x); 0: one per processor
    std::string Archive;
    std::vector<std::string> Operands; // paths (c) or entry names (x, p)
};

// Raises EVkarUsage with the reason for a command line that does not parse.
TVkarOptions ParseVkarOptions(const std::vector<std::string>& args);

// A 32-bit key: decimal or 0x hex, with an optional minus sign.
int32_t ParseVkarKey(const std::string& text);
// A method identifier that has a coder ("NON", "RLE", "LZH", "LH5"), or
// "best" (MethodBest); case ignored.
uint8_t ParseVkarMethod(const std::string& text);
// A number of jobs, 1 to VkarMaxJobs.
unsigned ParseVkarJobs(const std::string& text);
inline constexpr unsigned VkarMaxJobs = 1024;

std::string VkarUsageText();
inline constexpr const char* VkarVersionText = "vkar 1.0";
