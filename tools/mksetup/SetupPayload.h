// The files a setup program installs: one directory of files, planned into
// archive order and checked before anything is coded, then packed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/CodePage.h"

class TFileSystem;

struct TPayloadFile {
    std::string Name;  // as the archive stores it: ANSI text of the target code page
    std::string Shown; // as the build machine spells it, for messages
    std::string Path;  // where it is read from
    // What is packed in place of the file's bytes (the uninstaller with the release's version).
    std::optional<std::vector<uint8_t>> Bytes;
};

struct TPayloadRequest {
    std::string Directory;
    unsigned CodePage = cpWestern; // of the Windows the setup program runs on
    // The settings' names, ANSI text of CodePage.
    // Names first in this order (any case); the other files follow sorted.
    std::vector<std::string> Order;
    std::string ExeName;          // must be among the files
    std::string UninstallerName;  // taken from BuiltUninstaller unless the directory holds one
    std::string BuiltUninstaller; // empty when none was found
};

// True for a name the installer could not create as it is on Windows: empty,
// dots only, control characters, one of \ / : * ? " < > |, a trailing dot or
// blank, or a device name such as CON or LPT1.
bool IsRefusedPayloadName(const std::string& name);

// EMkSetupError for a missing or empty directory, a subdirectory or other
// non-file, a refused name or one the code page cannot hold, two names that
// are one on Windows, an order that names a missing file or one file twice,
// and a missing program, uninstaller or shortcut target.
std::vector<TPayloadFile> PlanPayload(TFileSystem& files, const TPayloadRequest& request);

// An entry's date: its file's time of last change in UTC (the same bytes in
// every time zone), no later than latest when that is given (seconds since
// 1970, as SOURCE_DATE_EPOCH gives it). EMkSetupError when it cannot be read.
uint32_t EntryDate(const std::string& path, std::optional<int64_t> latest);

// The archive of the files in that order, each dated by EntryDate.
std::vector<uint8_t> PackPayload(TFileSystem& files, const std::vector<TPayloadFile>& plan, uint8_t method,
                                 std::optional<int64_t> latest = std::nullopt);
