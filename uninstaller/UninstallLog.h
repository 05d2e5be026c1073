// The install log as the uninstaller reads it back: which program was
// installed, the files that were copied or that owe their existence to the
// installation, and whether the run got to its end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Exception.h"

class TFileSystem;

// A log that is missing, cannot be read or is not an install log; the
// message is meant for the person at the desktop.
DECLARE_EXCEPTION(EUninstallLogError);

struct TUninstallLog {
    std::string AppName;
    std::vector<std::string> Copied;  // "Copy: " paths, in log order
    std::vector<std::string> RegKeys; // "RegKey: " key paths
    std::vector<std::string> Created; // "CreateFile: " paths, in log order
    bool Completed = false;           // the run wrote its last line
};

// A real log is a few kilobytes; anything far larger is some other file.
inline constexpr size_t MaxUninstallLogSize = 1 << 20;

// Parses a log's UTF-8 text, CR LF or LF line ends: EUninstallLogError naming the
// first line that does not belong in a log.
TUninstallLog ParseUninstallLog(std::string_view text);
// Reads and parses the log at path, UTF-8 after a byte-order mark and ANSI
// text of codePage otherwise: EUninstallLogError for a missing, unreadable
// or foreign file.
TUninstallLog ReadUninstallLog(TFileSystem& files, const std::string& path, unsigned codePage);
