// How vkar speaks to the user: names in the platform's spelling, errors on
// standard error as "vkar: NAME: message".
#pragma once

#include <string>

// A stored name in the platform's spelling, with control characters shown as
// "?" so that a crafted name cannot drive the terminal.
std::string VkarDisplayName(const std::string& storedName);
// A name typed by the user in archive spelling ("\" between levels).
std::string VkarArchiveName(const std::string& userName);

// "vkar: NAME: message", or "vkar: message" when no entry is concerned.
void VkarReportError(const std::string& displayName, const std::string& message);
// One line of the listing or of the per-entry report, on standard output.
void VkarPrintLine(const std::string& line);

// The identifier of a method index, or "#N" for an index that names none.
std::string VkarMethodName(unsigned methodIndex);
