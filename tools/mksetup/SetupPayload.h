// The files a setup program installs: one directory of files, planned into
// archive order and checked before anything is coded, then packed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TFileSystem;

struct TPayloadFile {
    std::string Name; // as the archive stores it
    std::string Path; // where it is read from
};

struct TPayloadRequest {
    std::string Directory;
    // Names first in this order (any case); the other files follow sorted.
    std::vector<std::string> Order;
    std::string ExeName;         // must be among the files
    std::string UninstallerName; // taken from BuiltUninstaller unless the directory holds one
    std::string BuiltUninstaller; // empty when none was found
};

// True for a name the installer could not create as it is on Windows: empty,
// dots only, control characters, one of \ / : * ? " < > |, a trailing dot or
// blank, or a device name such as CON or LPT1.
bool IsRefusedPayloadName(const std::string& name);

// EMkSetupError for a missing or empty directory, a subdirectory or other
// non-file, a refused name, two names that are one on Windows, an order that
// names a missing file or one file twice, and a missing program or uninstaller.
std::vector<TPayloadFile> PlanPayload(TFileSystem& files, const TPayloadRequest& request);

// The archive of the files in that order, each dated as its file is.
std::vector<uint8_t> PackPayload(TFileSystem& files, const std::vector<TPayloadFile>& plan, uint8_t method);
