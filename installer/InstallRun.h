// The install run: the log, the backup of replaced files, the expansion of
// the embedded archive, the registry entries and the shortcuts. Portable
// logic over the platform interfaces and the copy dialog's progress view;
// the wizard calls InstallFiles from its Next button and then shows its
// finish page.
#pragma once

#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "installer/InstallJournal.h"
#include "installer/InstallOutcome.h"
#include "installer/JournalFileSystem.h"
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

// The person chose Cancel in one of the run's boxes; the run was undone.
// The message says so and what the machine holds now.
DECLARE_EXCEPTION(EInstallCancelled);
// An error ended the run and the run was undone: the error's message, then
// what the machine holds now (or what could not be put back, and where it is).
DECLARE_EXCEPTION(EInstallFailed);

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
    // Directories made for this run before it started (the destination's
    // missing levels, then Backup), outermost first; set before InstallFiles.
    // An undone run removes those that are empty again.
    std::vector<std::string> FMadeDirectories;
    // The destination directory and one "\"; set by InstallFiles.
    std::string FInstallDir;
    // The install log, open while InstallFiles runs; an error closes it with the lines so far.
    TTextFile LogFile;
    // Bytes of the archive's files as installed: the Uninstall key's EstimatedSize.
    int64_t FInstalledSize = 0;
    // The system's code page: of install.log (ANSI while every line fits
    // it, else UTF-8), and of the archive's names unless the settings name
    // theirs; set before InstallFiles.
    unsigned FCodePage;
    // The link files the last run could not write, named in a box after it.
    std::vector<std::string> FUnsavedLinks;
private:
    // Declared before Comp, which writes through them.
    TInstallJournal FJournal;
    TJournalFileSystem FJournalFiles;

public:
    // The expansion engine, wired to CompCheckFile and CompShowProgress.
    TArchiver Comp;

    // Installs into dirName (an existing directory, without a trailing "\"),
    // all or nothing. A replaced file that cannot be backed up, or a listed
    // file that the engine could not create, is offered for retry. Cancel
    // there (EInstallCancelled) or an error (EInstallFailed) undoes the run:
    // every file, the log, the registry keys and the links are as they were
    // before it, and the directories made for it are gone.
    void InstallFiles(const std::string& dirName);
    // How the last InstallFiles ended (ioNotRun before the first).
    TInstallOutcome Outcome() const { return FOutcome; }
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
    // The steps of a run, from the log's first line to its last.
    void RunSteps(const std::string& dirName);
    // Logs the files an earlier release installed here that this one did not write,
    // so that this release's uninstall removes them too.
    void LogPreviousFiles(const std::vector<std::string>& previous);
    // The Retry box, once the copy dialog shows what failed; Cancel ends the run.
    void RetryOrCancel(const std::string& message);
    // Undoes the run; the last box's text after what (the reason it ended).
    std::string Undo(const std::string& what);

    const TSetupControl& FSettings;
    const std::string FWinDir;
    TStringList& FFileList;
    TInstallServices FServices;
    // The paths the engine was to write, one per listed entry, in its order.
    std::vector<std::string> FDestinations;
    bool FRetrying = false; // an entry expanded again: its path is known and logged already
    bool FPrevious = false;  // an earlier installation was found in the destination
    std::vector<std::string> FBackedUp; // the names moved into Backup, in order
    TInstallOutcome FOutcome = ioNotRun;
};
