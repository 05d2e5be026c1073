// The drives and directories the browse dialog shows: what the system says
// about each logical drive, and the directories below a path. Nothing here
// changes the process's current directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum TDriveType : uint8_t { dtUnknown, dtNoRootDir, dtRemovable, dtFixed, dtRemote, dtCDROM, dtRAMDisk };

class TDriveSource {
public:
    virtual ~TDriveSource() = default;
    // One bit per logical drive, bit 0 for A.
    virtual uint32_t LogicalDrives() = 0;
    // drive is a letter, either case.
    virtual TDriveType DriveType(char drive) = 0;
    // The volume label; false when the volume cannot be read (no medium, ...).
    virtual bool VolumeLabel(char drive, std::string& label) = 0;
    // The remote name a network drive is connected to; false when unknown.
    virtual bool RemoteName(char drive, std::string& name) = 0;
    // True when path names an existing directory; a missing medium asks nobody.
    virtual bool IsDirectory(const std::string& path) = 0;
    // The names of the directories inside directory, in any order, without "." and "..".
    virtual std::vector<std::string> Subdirectories(const std::string& directory) = 0;
    // The process's current directory.
    virtual std::string CurrentDirectory() = 0;
    // The current directory the process keeps for drive (its root when it keeps none).
    virtual std::string DriveDirectory(char drive) = 0;
    // The directory of the running program's file, up to and including its last "\".
    virtual std::string ProgramDirectory() = 0;
};

#ifdef _WIN32
// The drives of this machine: GetLogicalDrives, GetDriveTypeA,
// GetVolumeInformationA, WNetGetConnectionA, FindFirstFileA, with the
// system's prompt for a missing medium turned off around each access.
TDriveSource& NativeDriveSource();
#endif
