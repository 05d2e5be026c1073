#include "installer/InstallRun.h"

#include "installer/PathCompare.h"
#include "installer/PreviousLog.h"
#include "installer/Shortcuts.h"
#include "installer/ProgressView.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "platform/UserQuestions.h"

namespace {

// The file-name part of a path as the engine spells it.
std::string FileNamePart(const std::string& path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsDirectoryBoundary(path[i - 1]) || path[i - 1] == ':')
            return path.substr(i);
    return path;
}

// Files that the installed program creates when it runs; logged so that the
// uninstaller removes them too.
const char* const ApplicationFiles[] = {"zarnftp.ini", "zarnftp.log", "stats.dat", "sites.ini"};

// The bytes the listed entries expand to.
int64_t ListedSize(const TStringList& listed)
{
    int64_t total = 0;
    for (int i = 0; i < listed.Count(); ++i)
        if (const auto* info = dynamic_cast<const TCompressedFileInfo*>(listed.Objects(i)))
            total += info->ExpandedSize;
    return total;
}

} // namespace

TInstallRun::TInstallRun(const TSetupControl& settings, std::string winDir, TStringList& fileList,
                         const TInstallServices& services)
    : FJournal(services.Files), FJournalFiles(services.Files, FJournal), Comp(FJournalFiles, &services.Resources),
      FSettings(settings), FWinDir(std::move(winDir)),
      FFileList(fileList), FServices(services)
{
    FCodePage = AnsiCodePage();
    Comp.MakeDirectories = true;
    Comp.ExceptionOnFileError = false;
    Comp.Key = 0;
    Comp.CheckSpaceBeforeExpand = false;
    Comp.OnCheckFile = [this](std::string& filepath, TCProcessMode mode) { CompCheckFile(filepath, mode); };
    Comp.OnShowProgress = [this](int32_t& percentageDone) { CompShowProgress(percentageDone); };
}

std::string TInstallRun::Now()
{
    return DateTimeText(FServices.Clock, FServices.Clock.Now());
}

void TInstallRun::InstallFiles(const std::string& dirName)
{
    FOutcome = ioFailed;
    FJournal.Clear();
    FJournalFiles.Clear();
    FPrevious = false;
    FBackedUp.clear();
    FUnsavedLinks.clear();
    // Made for this run, so undone with it: noted first, removed last.
    for (const std::string& dir : FMadeDirectories)
        FJournal.NoteDirectory(dir);
    try {
        RunSteps(dirName);
    } catch (const EInstallCancelled& e) {
        const std::string text = Undo(e.Message());
        FOutcome = ioCancelled;
        throw EInstallCancelled(text);
    } catch (const std::exception& e) {
        const std::string text = Undo(e.what());
        throw EInstallFailed(text);
    }
    FJournal.Commit();
    FOutcome = ioInstalled;
}

std::string TInstallRun::Undo(const std::string& what)
{
    // The box that follows must find the copy dialog showing the file that failed.
    FServices.Progress.ShowPending();
    LogFile.Close(); // an open file could not be put back
    const std::vector<std::string> left = FJournal.Undo(FServices.Registry);
    std::string text = what;
    // The reason is a sentence of its own, whatever its last character.
    if (!text.empty() && text.back() != '.' && text.back() != '!' && text.back() != '?')
        text += '.';
    text += "\n\n";
    if (left.empty()) {
        text += FPrevious ? "The previous installation of " + FSettings.ProgramName + " is unchanged."
                          : "Nothing was installed.";
        return text;
    }
    text += "These could not be put back:";
    for (const std::string& line : left)
        text += "\n" + line;
    return text;
}

void TInstallRun::RunSteps(const std::string& dirName)
{
    TProgressView& progress = FServices.Progress;
    TFileSystem& files = FJournalFiles;
    progress.SetStatusText("Copying Files");
    progress.Show();
    FFileList.Clear();
    int preservedSites = -1;
    FInstallDir = dirName + "\\";
    const std::string backupDir = dirName + "\\Backup\\";

    FPrevious = files.FileExists(FInstallDir + "install.log");
    const std::vector<std::string> previousFiles = PreviousCopiedFiles(files, FInstallDir, FCodePage);
    LogFile.Rewrite(files, FInstallDir + "install.log", FCodePage);
    Log("*** Install started: " + Now());
    Log("AppName: " + FSettings.ProgramName);
    Comp.SetTargetPath(dirName);
    Comp.NameCodePage = FSettings.CodePage != 0 ? FSettings.CodePage : FCodePage;
    Comp.ListArchiveContents(*Comp.OpenArchiveResource("data", ""), FFileList);
    FInstalledSize = ListedSize(FFileList);

    for (int i = 0; i < FFileList.Count(); ++i) {
        const std::string& name = FFileList[i];
        // The user's own site list survives every reinstall, unbacked-up.
        if (SameText(name, "SITES.INI") && files.FileExists(FInstallDir + "sites.ini")) {
            preservedSites = i;
            continue;
        }
        if (files.FileExists(FInstallDir + name)) {
            FPrevious = true;
            if (FBackup)
                BackUp(name, backupDir);
        }
    }
    if (preservedSites >= 0)
        FFileList.Delete(preservedSites);

    FDestinations.clear();
    std::vector<TEntryResult> results;
    {
        const auto archive = Comp.OpenArchiveResource("data", "");
        progress.ProcessMessages();
        results = Comp.ExpandArchive(*archive, &FFileList);
    }
    ExpandMissingFiles(results);
    LogPreviousFiles(previousFiles);
    progress.SetFileName("");
    progress.SetStatusText("Creating Registry Entries...");
    progress.ProcessMessages();

    CreateRegistryEntries(FInstallDir);
    CreateShortcuts(FInstallDir);
    progress.Hide();

    for (const char* name : ApplicationFiles)
        Log("CreateFile: " + FInstallDir + name);
    Log("*** Install Completed: " + Now());
    LogFile.Close();
    if (!FUnsavedLinks.empty())
        FServices.Questions.Warn(UnsavedLinksMessage(FUnsavedLinks));
}

void TInstallRun::LogPreviousFiles(const std::vector<std::string>& previous)
{
    // A file the earlier release installed and this run moved into Backup is
    // the product's too: the uninstall removes it rather than offering it back.
    std::vector<std::string> logged = FDestinations;
    for (const std::string& name : FBackedUp)
        for (const std::string& path : previous)
            if (SamePath(path, FInstallDir + name)) {
                logged.push_back(FInstallDir + "Backup\\" + name);
                Log("Copy: " + logged.back());
                break;
            }
    for (const std::string& path : previous) {
        bool written = false;
        for (const std::string& destination : logged)
            written = written || SamePath(destination, path);
        for (const char* name : ApplicationFiles)
            written = written || SamePath(FInstallDir + name, path); // logged as the program's own below
        if (!written && FJournalFiles.FileExists(path))
            Log("Copy: " + path);
    }
}

void TInstallRun::RetryOrCancel(const std::string& message)
{
    FServices.Progress.ShowPending();
    if (!FServices.Questions.Retry(message))
        throw EInstallCancelled("Setup was cancelled");
}

void TInstallRun::BackUp(const std::string& name, const std::string& backupDir)
{
    TFileSystem& files = FJournalFiles;
    const std::string dir = backupDir.substr(0, backupDir.size() - 1);
    if (!files.IsDirectory(dir)) {
        // The wizard made it unless something was in the way.
        if (files.FileExists(dir))
            throw EInOutError("Cannot create \"" + dir + "\": a file of that name is in the way");
        files.MakeDirectory(dir);
    }
    // A file in use (the help open in its viewer) may be freed while the box is up.
    for (;;) {
        try {
            files.MoveFileChecked(FInstallDir + name, backupDir + name);
            FBackedUp.push_back(name);
            return;
        } catch (const EInOutError& e) {
            std::string reason = e.Message();
            if (!reason.empty() && reason.back() == '.')
                reason.pop_back();
            RetryOrCancel(reason + ". Close the program that uses it, then choose Retry.");
        }
    }
}

void TInstallRun::ExpandMissingFiles(const std::vector<TEntryResult>& results)
{
    // The engine skips a file that it cannot create, as when the installed
    // program runs and holds it; the old file would stay unnoticed.
    for (const TEntryResult& result : results) {
        bool written = result.Outcome != TEntryOutcome::eoFailed;
        while (!written) {
            // The dialog names the file in the box, with nothing of it written.
            FServices.Progress.SetFileName(result.Path.substr(DirectoryOfPath(result.Path).size()));
            FServices.Progress.SetProgress(0);
            RetryOrCancel("Cannot write \"" + result.Path + "\". Close the program that uses it, then choose Retry.");
            TStringList only;
            only.Add(result.Name);
            FRetrying = true;
            std::vector<TEntryResult> again;
            try {
                again = Comp.ExpandArchive(*Comp.OpenArchiveResource("data", ""), &only);
            } catch (...) {
                FRetrying = false;
                throw;
            }
            FRetrying = false;
            for (const TEntryResult& retried : again)
                if (retried.Outcome == TEntryOutcome::eoWritten) {
                    FFileList.Add(retried.Path);
                    written = true;
                }
        }
    }
}

void TInstallRun::CompCheckFile(std::string& filepath, TCProcessMode)
{
    const std::string name = FileNamePart(filepath);
    FServices.Progress.SetFileName(name);
    const bool uninstaller = SameText(name, "UNZARN.EXE");
    if (uninstaller)
        filepath = FWinDir + name; // the uninstaller must outlive the destination directory
    if (FRetrying)
        return;
    FDestinations.push_back(filepath);
    if (!uninstaller)
        Log("Copy: " + filepath);
}

void TInstallRun::CompShowProgress(int32_t& PercentageDone)
{
    FServices.Progress.SetProgress(PercentageDone);
    FServices.Progress.ProcessMessages();
}
