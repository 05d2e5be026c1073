// What an uninstall removes, decided from the install log and the state of
// the disk before anything changes: only what the log names, and the three
// directories of the installation when they are empty by then.
#pragma once

#include <string>
#include <vector>

#include "installer/UninstallLog.h"

class TFileSystem;

// A file that a reinstall moved into Backup, and where it came from.
struct TRestoreMove {
    std::string From;
    std::string To;
};

struct TUninstallPlan {
    std::string AppName;
    std::string LogPath;
    std::string InstallDir;               // the log's directory, with its "\"
    std::vector<std::string> Files;       // existing files the log names, once each, log order, the log itself not
    std::vector<TRestoreMove> Restores;   // Backup files of logged copies
    std::string GroupDir;                 // the shortcuts' program group ("" when none was logged)
    std::string BackupDir;                // InstallDir + "Backup"
    std::string DestinationDir;           // InstallDir without its last "\"
    std::string UninstallKey;             // under HKEY_LOCAL_MACHINE
    std::string AppPathsKey;              // under HKEY_LOCAL_MACHINE
};

// The program group's name and the uninstall link in it, as the shortcut step makes them.
inline constexpr const char* ProgramGroupName = "ZarnFTP";
inline constexpr const char* UninstallLinkName = "Uninstall ZarnFTP.lnk";

// Paths compared as Windows compares them: ASCII case and the two separators alike.
bool SamePath(const std::string& a, const std::string& b);
bool PathStartsWith(const std::string& path, const std::string& prefix);
bool PathEndsWith(const std::string& path, const std::string& suffix);
// The directory part of a Windows path, up to and including its last "\" or "/" ("" when none).
std::string DirectoryOfPath(const std::string& path);
// exeName is the program's name under App Paths.
TUninstallPlan MakeUninstallPlan(const TUninstallLog& log, const std::string& logPath, const std::string& exeName,
                                 TFileSystem& files);
