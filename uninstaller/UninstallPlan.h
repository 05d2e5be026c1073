// What an uninstall removes, decided from the install log and the state of
// the disk before anything changes. The log lies in a directory a user may
// be able to write, so a line counts only when what it names is the
// installation's: a file inside the log's directory D (no junction or
// symbolic link from the drive's root down to it), or one of the shortcut
// step's links that starts D's program. Every other line is left alone, and
// no line on a network share other than D's own is looked at.
#pragma once

#include <string>
#include <vector>

#include "installer/PathCompare.h"

#include "uninstaller/UninstallLog.h"

class TFileSystem;
class TShellLinks;

// A file that a reinstall moved into Backup, and where it came from.
struct TRestoreMove {
    std::string From;
    std::string To;
};

struct TUninstallPlan {
    std::string AppName;
    std::string LogPath;
    std::string InstallDir;               // the log's directory D, resolved, with its "\"
    std::vector<std::string> Files;       // existing installed files inside D, once each, log order
    std::vector<std::string> DataFiles;   // existing files the program made in D: settings, site list, ...
    std::vector<std::string> Links;       // existing links that start this installation's files
    std::vector<std::string> LeftAlone;   // log paths that are not the installation's, as the log names them
    std::vector<TRestoreMove> Restores;   // Backup files of installed files directly in D
    std::vector<std::string> GroupDirs;   // program groups of the links ("" never)
    std::string BackupDir;                // InstallDir + "Backup"
    std::string DestinationDir;           // InstallDir without its last "\"
    std::string UninstallKey;             // under HKEY_LOCAL_MACHINE: the product's own name
    std::string Refusal;                  // the message when nothing on the disk may be touched ("" when it may)
    std::string AppPathsKey;              // under HKEY_LOCAL_MACHINE
};

// programName names the product's Uninstall key, exeName the program under
// App Paths; shortcutFiles are the link files the shortcut step would make
// now (an earlier install may have made them though the log does not name
// them). EUninstallLogError when logPath is not a full path.
TUninstallPlan MakeUninstallPlan(const TUninstallLog& log, const std::string& logPath, const std::string& programName,
                                 const std::string& exeName,
                                 TFileSystem& files, TShellLinks& links,
                                 const std::vector<std::string>& shortcutFiles);

// Why an elevated program must not act inside directory D ("" when it may):
// a drive or share root, a junction or link at D or above it (or a level
// that cannot be examined), or a folder that others than the administrators
// may change.
std::string InstallFolderRefusal(const std::string& D, TFileSystem& files);
