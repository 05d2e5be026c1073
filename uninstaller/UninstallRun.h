// The uninstall: reads the log, asks, then removes what the installation
// made, over the platform interfaces; the user's settings and site list stay
// unless they say otherwise. The program around it shows the messages and
// deals with its own running file.
#pragma once

#include <string>
#include <vector>

class TFileSystem;
class TRegistry;
class TShellLinks;
class TUserQuestions;
struct TUninstallPlan;

// Where the run tells the person at the desktop how it went.
class TUninstallReport {
public:
    virtual ~TUninstallReport() = default;
    // The log cannot be used; nothing was removed.
    virtual void ShowError(const std::string& message) = 0;
    // The last word of a run that removed things.
    virtual void ShowSummary(const std::string& text) = 0;
};

// All stay the caller's.
struct TUninstallServices {
    TFileSystem& Files;
    TRegistry& Registry;
    TShellLinks& Links;
    TUserQuestions& Questions;
    TUninstallReport& Report;
};

enum TUninstallResult {
    urRemoved,     // everything the log named is gone
    urIncomplete,  // some of it could not be removed or restored
    urDeclined,    // the user answered No: nothing changed
    urUnusableLog, // no log, or not a log: nothing changed
    urRefused,     // others may change the folder: nothing on the disk changed
};

struct TUninstallOutcome {
    TUninstallResult Result = urUnusableLog;
    std::string AppName;
    std::vector<std::string> NotRemoved;  // files and registry entries, as the summary names them
    std::vector<std::string> NotRestored; // files that stay in Backup
    std::vector<std::string> Kept;        // directories that still hold other files
    std::vector<std::string> KeptData;    // the program's data files kept, by name, in DataDir
    std::string DataDir;                  // where KeptData are
    std::vector<std::string> LeftAlone;   // log paths outside the installation, not touched
    bool Repeatable = false;              // installed files stayed: the log and uninstall entry too
};

class TUninstallRun {
public:
    // programName: the product's Uninstall key; exeName: the program's name under App Paths.
    TUninstallRun(std::string programName, std::string exeName, const TUninstallServices& services);

    // The whole uninstall for the log at logPath ("" when none was given).
    TUninstallOutcome Execute(const std::string& logPath);
    // The code page of a log without a byte-order mark: the system's.
    unsigned FCodePage;

private:
    void RemoveFiles(const std::vector<std::string>& paths, TUninstallOutcome& outcome);
    void RestoreBackups(const TUninstallPlan& plan, TUninstallOutcome& outcome);
    void RemoveRegistryEntries(const TUninstallPlan& plan, TUninstallOutcome& outcome);
    void RemoveIfEmpty(const std::string& directory, TUninstallOutcome& outcome);

    std::string FProgramName;
    std::string FExeName;
    TUninstallServices FServices;
};

// The second question, asked when the program's data files are there; Yes keeps them.
inline constexpr const char* KeepDataQuestion = "Do you want to keep your ZarnFTP settings and site list?";

// Removes the plain file at path, a read-only one too, by handle in its
// directory held from the root; false when a level on the way is not a plain
// directory or the file cannot be removed.
bool RemoveInstalledFile(TFileSystem& files, const std::string& path);
// The final message: what was removed, and by name what was left.
std::string UninstallSummaryText(const TUninstallOutcome& outcome);
