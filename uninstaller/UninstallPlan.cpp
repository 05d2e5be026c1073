#include "uninstaller/UninstallPlan.h"

#include <algorithm>
#include <map>

#include "installer/Shortcuts.h"
#include "installer/UninstallCommandLine.h"
#include "installer/WindowsPath.h"
#include "platform/FileSystem.h"
#include "platform/ShellLinks.h"

namespace {

TWindowsPath Child(TWindowsPath directory, const std::string& name)
{
    directory.Levels.push_back(name);
    return directory;
}

bool Contains(const std::vector<TWindowsPath>& paths, const TWindowsPath& path)
{
    return std::any_of(paths.begin(), paths.end(), [&](const TWindowsPath& p) { return p.Same(path); });
}

// The folder a path lies in, by name ("" at the root).
std::string FolderName(const TWindowsPath& path)
{
    return path.Levels.size() >= 2 ? path.Levels[path.Levels.size() - 2] : std::string();
}

// One of the five links' names, in the kind of folder it is made in.
bool IsShortcutName(const TWindowsPath& path)
{
    if (path.Levels.empty())
        return false;
    const std::string& name = path.Levels.back();
    if (SamePath(name, ProgramLinkName))
        return true;
    return (SamePath(name, WhatsNewLinkName) || SamePath(name, UninstallLinkName)) &&
           SamePath(FolderName(path), ProgramGroupName);
}

class TPlanner {
public:
    TPlanner(TUninstallPlan& plan, const TWindowsPath& logFile, TFileSystem& files, TShellLinks& links)
        : FPlan(plan), FLogFile(logFile), FDir(logFile.Parent()), FFiles(files), FLinks(links)
    {
    }

    // The file inside D that line names, reached from the root through no
    // junction or symbolic link; false for any other.
    bool InsideInstallation(const std::string& line, TWindowsPath& path)
    {
        const auto resolved = ResolveWindowsPath(line);
        if (!resolved || !resolved->IsBelow(FDir) || !PlainChain(resolved->Parent()))
            return false;
        path = *resolved;
        return true;
    }

    // Whether directory is reached from its root through plain directories
    // only; a level that cannot be examined counts as a link.
    bool PlainChain(const TWindowsPath& directory)
    {
        const std::string text = directory.Text();
        const auto known = FChains.find(text);
        if (known != FChains.end())
            return known->second;
        return FChains[text] = FFiles.OpenDirectoryChain(text) != nullptr;
    }

    // A plain file at path, in a directory reached through no link.
    bool PlainFileExists(const TWindowsPath& path)
    {
        if (path.Levels.empty() || !PlainChain(path.Parent()))
            return false;
        const auto directory = FFiles.OpenDirectoryChain(path.Parent().Text());
        return directory && FFiles.FileExistsAt(*directory, path.Levels.back());
    }

    // The log goes last, by the run itself.
    bool IsTheLog(const std::string& line) const
    {
        const auto resolved = ResolveWindowsPath(line);
        return resolved && resolved->Same(FLogFile);
    }

    // Adds an existing file to list, unless it is planned already.
    void AddOnce(std::vector<std::string>& list, const TWindowsPath& path)
    {
        if (Contains(FPlanned, path) || !PlainFileExists(path))
            return;
        FPlanned.push_back(path);
        list.push_back(path.Text());
    }

    void LeaveAlone(const std::string& line)
    {
        if (std::find(FPlan.LeftAlone.begin(), FPlan.LeftAlone.end(), line) == FPlan.LeftAlone.end())
            FPlan.LeftAlone.push_back(line);
    }

    // A link file of the shortcut step that starts what it started for this
    // installation: D's program, D's text, or the uninstaller with D's log.
    bool StartsThisInstallation(const TWindowsPath& link)
    {
        TShellLinkInfo info;
        try {
            if (!FLinks.LoadLink(link.Text(), info))
                return false;
        } catch (const Exception&) {
            return false; // a link that cannot be read stays
        }
        const auto target = ResolveWindowsPath(info.Target);
        if (!target)
            return false;
        const std::string& name = link.Levels.back();
        if (SamePath(name, ProgramLinkName))
            return target->Same(Child(FDir, LinkedProgramName));
        if (SamePath(name, WhatsNewLinkName))
            return target->Same(Child(FDir, LinkedTextName));
        const auto log = ResolveWindowsPath(LogPathFromArguments(info.Arguments));
        return SamePath(target->Levels.empty() ? std::string() : target->Levels.back(), UninstallerName) && log &&
               log->Same(FLogFile);
    }

    // A link the log names (line not empty) or that the shortcut step would make now.
    void AddLink(const TWindowsPath& link, const std::string& line)
    {
        // Even a look at a file on another computer hands it our credentials.
        if (link.OnShare() && !link.SameRoot(FDir)) {
            if (!line.empty())
                LeaveAlone(line);
            return;
        }
        if (Contains(FPlanned, link) || !PlainFileExists(link))
            return;
        if (!StartsThisInstallation(link)) {
            if (!line.empty())
                LeaveAlone(line);
            return;
        }
        FPlanned.push_back(link);
        FPlan.Links.push_back(link.Text());
        if (!SamePath(link.Levels.back(), ProgramLinkName)) {
            const std::string group = link.Parent().Text();
            if (std::none_of(FPlan.GroupDirs.begin(), FPlan.GroupDirs.end(),
                             [&](const std::string& g) { return SamePath(g, group); }))
                FPlan.GroupDirs.push_back(group);
        }
    }

    const TWindowsPath& Dir() const { return FDir; }

private:
    TUninstallPlan& FPlan;
    const TWindowsPath FLogFile;
    const TWindowsPath FDir;
    TFileSystem& FFiles;
    TShellLinks& FLinks;
    std::vector<TWindowsPath> FPlanned; // every file in a list so far
    std::map<std::string, bool> FChains; // directories looked at: reached through plain directories only
};

} // namespace

TUninstallPlan MakeUninstallPlan(const TUninstallLog& log, const std::string& logPath, const std::string& programName,
                                 const std::string& exeName,
                                 TFileSystem& files, TShellLinks& links,
                                 const std::vector<std::string>& shortcutFiles)
{
    const auto logFile = ResolveWindowsPath(logPath);
    if (!logFile || logFile->Levels.empty())
        throw EUninstallLogError("The install log \"" + logPath +
                                 "\" is not named by its full path. Nothing has been removed");
    TUninstallPlan plan;
    TPlanner planner(plan, *logFile, files, links);
    const TWindowsPath& dir = planner.Dir();
    plan.AppName = log.AppName;
    plan.LogPath = logPath;
    plan.DestinationDir = dir.Text();
    if (plan.DestinationDir.back() == '\\')
        plan.DestinationDir.pop_back();
    plan.InstallDir = plan.DestinationDir + "\\";
    plan.BackupDir = plan.InstallDir + "Backup";
    // The log may name any program; the key is the one this uninstaller's product made.
    plan.UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + programName;
    plan.AppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + exeName;
    const std::string refusal = InstallFolderRefusal(dir.Text(), files);
    if (!refusal.empty()) {
        plan.Refusal = "\"" + dir.Text() + "\" cannot be removed safely: " + refusal +
                       ". Nothing has been removed. If you no longer need the folder, remove it by hand.";
        return plan;
    }

    // The program's own files: a file both copied and created (the site
    // list the payload starts) is the user's too.
    std::vector<TWindowsPath> created, installed;
    TWindowsPath path;
    for (const std::string& line : log.Created)
        if (!planner.IsTheLog(line) && planner.InsideInstallation(line, path))
            created.push_back(path);
    for (const std::string& line : log.Copied) {
        if (planner.IsTheLog(line))
            continue;
        if (!planner.InsideInstallation(line, path)) {
            planner.LeaveAlone(line);
        } else if (Contains(created, path)) {
            planner.AddOnce(plan.DataFiles, path);
        } else {
            installed.push_back(path);
            planner.AddOnce(plan.Files, path);
        }
    }
    for (const TWindowsPath& file : created)
        planner.AddOnce(plan.DataFiles, file);

    for (const std::string& line : log.Created) {
        if (planner.IsTheLog(line) || planner.InsideInstallation(line, path))
            continue;
        const auto link = ResolveWindowsPath(line);
        if (link && IsShortcutName(*link))
            planner.AddLink(*link, line);
        else
            planner.LeaveAlone(line);
    }
    // An earlier install made links that a reinstall without shortcuts no longer logs.
    for (const std::string& file : shortcutFiles) {
        const auto link = ResolveWindowsPath(file);
        if (link && IsShortcutName(*link))
            planner.AddLink(*link, std::string());
    }

    // A reinstall moved each replaced file to Backup under its own name;
    // only those come back, and never through a junction or link.
    const TWindowsPath backup = Child(dir, "Backup");
    for (const TWindowsPath& file : installed) {
        if (file.Levels.size() != dir.Levels.size() + 1)
            continue;
        const TWindowsPath saved = Child(backup, file.Levels.back());
        const bool listed = std::any_of(plan.Restores.begin(), plan.Restores.end(),
                                        [&](const TRestoreMove& m) { return SamePath(m.To, file.Text()); }) ||
                            // an earlier release's file, which the log names to be removed
                            std::any_of(plan.Files.begin(), plan.Files.end(),
                                        [&](const std::string& f) { return SamePath(f, saved.Text()); });
        if (!listed && planner.PlainFileExists(saved))
            plan.Restores.push_back({saved.Text(), file.Text()});
    }
    return plan;
}

std::string InstallFolderRefusal(const std::string& D, TFileSystem& files)
{
    const auto dir = ResolveWindowsPath(D);
    if (!dir)
        return "it is not named by its full path";
    if (dir->Levels.empty())
        return dir->OnShare() ? "it is the root of a network share" : "it is the root of a drive";
    if (!files.OpenDirectoryChain(dir->Text()))
        return "it, or a folder above it, is a junction or a symbolic link, or cannot be examined";
    if (files.OthersMayChange(dir->Text()))
        return "users other than the administrators may change it";
    return std::string();
}
