#include "installer/InstallRun.h"

#include "installer/ProgressView.h"
#include "platform/Clock.h"
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
    : Comp(services.Files, &services.Resources), FSettings(settings), FWinDir(std::move(winDir)),
      FFileList(fileList), FServices(services)
{
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
    TProgressView& progress = FServices.Progress;
    TFileSystem& files = FServices.Files;
    progress.SetStatusText("Copying Files");
    progress.Show();
    FFileList.Clear();
    int preservedSites = -1;
    FInstallDir = dirName + "\\";
    const std::string backupDir = dirName + "\\Backup\\";

    LogFile.Rewrite(files, FInstallDir + "install.log");
    try {
        Log("*** Install started: " + Now());
        Log("AppName: " + FSettings.ProgramName);
        Comp.SetTargetPath(dirName);
        Comp.ListArchiveContents(*Comp.OpenArchiveResource("data", ""), FFileList);
        FInstalledSize = ListedSize(FFileList);

        for (int i = 0; i < FFileList.Count(); ++i) {
            const std::string& name = FFileList[i];
            // The user's own site list survives every reinstall, unbacked-up.
            if (SameText(name, "SITES.INI") && files.FileExists(FInstallDir + "sites.ini")) {
                preservedSites = i;
                continue;
            }
            if (FBackup && files.FileExists(FInstallDir + name))
                BackUp(name, backupDir);
        }
        if (preservedSites >= 0)
            FFileList.Delete(preservedSites);

        std::vector<TEntryResult> results;
        {
            const auto archive = Comp.OpenArchiveResource("data", "");
            progress.ProcessMessages();
            results = Comp.ExpandArchive(*archive, &FFileList);
        }
        ExpandMissingFiles(results);
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
    } catch (...) {
        // The uninstaller can still read what was done before the error.
        LogFile.Close();
        throw;
    }
}

void TInstallRun::BackUp(const std::string& name, const std::string& backupDir)
{
    TFileSystem& files = FServices.Files;
    const std::string dir = backupDir.substr(0, backupDir.size() - 1);
    if (!files.IsDirectory(dir)) {
        // The wizard made it unless something was in the way.
        if (files.FileExists(dir))
            throw EInOutError("Cannot create \"" + dir + "\": a file of that name is in the way");
        files.MakeDirectory(dir);
    }
    files.MoveFileChecked(FInstallDir + name, backupDir + name);
}

void TInstallRun::ExpandMissingFiles(const std::vector<TEntryResult>& results)
{
    // The engine skips a file that it cannot create, as when the installed
    // program runs and holds it; the old file would stay unnoticed.
    for (const TEntryResult& result : results) {
        bool written = result.Outcome != TEntryOutcome::eoFailed;
        while (!written) {
            if (!FServices.Questions.Retry("Cannot write \"" + result.Path +
                                           "\". Close the program that uses it, then choose Retry."))
                throw EInstallIncomplete("Cannot write \"" + result.Path + "\". " + FSettings.ProgramName +
                                         " is not completely installed.");
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
    if (!uninstaller)
        Log("Copy: " + filepath);
}

void TInstallRun::CompShowProgress(int32_t& PercentageDone)
{
    FServices.Progress.SetProgress(PercentageDone);
    FServices.Progress.ProcessMessages();
}
