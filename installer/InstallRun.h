// The install run: the log, the backup of replaced files, the expansion of
// the embedded archive, the registry entries and the shortcuts. Portable
// logic over the platform interfaces and the copy dialog's progress view;
// the wizard calls InstallFiles from its Next button and then shows its
// finish page.
#pragma once

#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "installer/SetupControl.h"
#include "platform/TextFile.h"

class TClock;
class TFileSystem;
class TProgressView;
class TRegistry;
class TResourceProvider;
class TShellLinks;
class TStringList;
class TUserQuestions;

// A listed file that stayed unwritten because the person chose Cancel.
DECLARE_EXCEPTION(EInstallIncomplete);

// The services an install run reaches; all stay the caller's.
struct TInstallServices {
    TFileSystem& Files;
    TResourceProvider& Resources; // holds the archive, type "ARCHIVE", name "DATA"
    TRegistry& Registry;
    TShellLinks& Links;
    TUserQuestions& Questions;
    TClock& Clock;
    TProgressView& Progress;
};

class TInstallRun {
public:
    // settings, fileList (the process-wide list the run fills) and the services stay the caller's.
    TInstallRun(const TSetupControl& settings, std::string winDir, TStringList& fileList,
                const TInstallServices& services);

    // True when replaced files go into the Backup directory; set before InstallFiles.
    bool FBackup = false;
    // The destination directory and one "\"; set by InstallFiles.
    std::string FInstallDir;
    // The install log, open while InstallFiles runs; an error closes it with the lines so far.
    TTextFile LogFile;
    // Bytes of the archive's files as installed: the Uninstall key's EstimatedSize.
    int64_t FInstalledSize = 0;
    // The expansion engine, wired to CompCheckFile and CompShowProgress.
    TArchiver Comp;

    // Installs into dirName (an existing directory, without a trailing "\"); errors end the run.
    // A replaced file that cannot be backed up ends it before anything is
    // overwritten; a listed file that the engine could not create is offered
    // for retry, and Cancel ends the run with EInstallIncomplete.
    void InstallFiles(const std::string& dirName);
    // The engine's OnCheckFile: shows and logs the file; sends the uninstaller to WinDir.
    void CompCheckFile(std::string& filepath, TCProcessMode mode);
    // The engine's OnShowProgress: moves the gauge and keeps the windows live.
    void CompShowProgress(int32_t& PercentageDone);
    // The Uninstall, App Paths and ftp protocol entries for destination D (with its "\").
    void CreateRegistryEntries(const std::string& D);
    // Asks, then makes the five shortcuts for destination D (with its "\").
    void CreateShortcuts(const std::string& D);

private:
    void Log(const std::string& line) { LogFile.WriteLine(line); }
    std::string Now();
    // Moves FInstallDir + name into backupDir (with its "\"), making the directory when it is missing.
    void BackUp(const std::string& name, const std::string& backupDir);
    // Asks again for each entry whose file the expansion could not create.
    void ExpandMissingFiles(const std::vector<TEntryResult>& results);

    const TSetupControl& FSettings;
    const std::string FWinDir;
    TStringList& FFileList;
    TInstallServices FServices;
    bool FRetrying = false; // an entry expanded again: its path is known and logged already
};
