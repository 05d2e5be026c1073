// Drives and directories for the browse dialog's logic, held in memory: each
// drive with its kind, label, connection and current directory, and a set of
// directories. Paths compare without regard to ASCII case.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/DriveSource.h"

struct TFakeDrive {
    TDriveType Type = dtFixed;
    bool Accessible = true;     // its root can be read
    bool LabelReadable = true;
    std::string Label;
    std::string Remote;         // network connection ("" = unknown)
    std::string Directory;      // the process's current directory there ("" = the root)
};

class TFakeDriveSource : public TDriveSource {
public:
    std::map<char, TFakeDrive> Drives;      // by upper-case letter
    std::vector<std::string> Directories;   // full paths without trailing "\", any order
    std::string Current = "C:\\";
    std::string Program = "C:\\Temp\\";
    std::vector<char> Asked;                // drives whose label or connection was asked for

    TFakeDriveSource();
    void AddDirectory(const std::string& path);

    uint32_t LogicalDrives() override;
    TDriveType DriveType(char drive) override;
    bool VolumeLabel(char drive, std::string& label) override;
    bool RemoteName(char drive, std::string& name) override;
    bool IsDirectory(const std::string& path) override;
    std::vector<std::string> Subdirectories(const std::string& directory) override;
    std::string CurrentDirectory() override { return Current; }
    std::string DriveDirectory(char drive) override;
    std::string ProgramDirectory() override { return Program; }

private:
    TFakeDrive* Find(char drive);
};
