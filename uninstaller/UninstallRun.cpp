#include "uninstaller/UninstallRun.h"

#include <iterator>

#include "installer/PathCompare.h"
#include "installer/ProtocolValues.h"
#include "installer/Shortcuts.h"
#include "installer/UninstallCommandLine.h"
#include "uninstaller/UninstallLog.h"
#include "uninstaller/UninstallPlan.h"
#include "installer/WindowsPath.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/UserQuestions.h"

namespace {

const char* const LocalMachineName = "HKEY_LOCAL_MACHINE\\";
const char* const ClassesRootName = "HKEY_CLASSES_ROOT\\";

// The default (or named) value of an existing key, and whether it is
// expandable; false when the key is absent.
bool ReadKeyValue(TRegistry& registry, const std::string& key, const std::string& name, std::string& value,
                  TRegDataType* type = nullptr)
{
    if (!registry.OpenKeyReadOnly(key))
        return false;
    if (!registry.ReadString(name, value, type))
        value.clear();
    registry.CloseKey();
    return true;
}

void AppendList(std::string& text, const std::string& heading, const std::vector<std::string>& items)
{
    if (items.empty())
        return;
    text += "\n\n";
    text += heading;
    for (const std::string& item : items)
        text += "\n" + item;
}

// The directory a resolved path lies in, held from its root, and the
// path's last name; nothing when a level is not a plain directory now.
std::unique_ptr<TDirectoryHandle> OpenParent(TFileSystem& files, const std::string& path, std::string& name)
{
    const auto resolved = ResolveWindowsPath(path);
    if (!resolved || resolved->Levels.empty())
        return nullptr;
    name = resolved->Levels.back();
    return files.OpenDirectoryChain(resolved->Parent().Text());
}

// The uninstaller's command for the log at logPath: any unzarn.exe given
// that log, as the install run writes it; nothing else proves the entry ours.
bool IsCommandForLog(const std::string& command, const std::string& logPath)
{
    const auto log = ResolveWindowsPath(logPath);
    if (!log)
        return false;
    // The program's path and the log's both may hold blanks: every split is tried.
    for (size_t blank = command.find(' '); blank != std::string::npos; blank = command.find(' ', blank + 1)) {
        const auto program = ResolveWindowsPath(command.substr(0, blank));
        const auto named = ResolveWindowsPath(LogPathFromArguments(command.substr(blank + 1)));
        if (program && !program->Levels.empty() && SamePath(program->Levels.back(), UninstallerName) && named &&
            named->Same(*log))
            return true;
    }
    return false;
}

} // namespace

bool RemoveInstalledFile(TFileSystem& files, const std::string& path)
{
    std::string name;
    const auto directory = OpenParent(files, path, name);
    return directory && files.RemoveFileAt(*directory, name);
}

namespace {

// Whether a plain file is at path now, looked at through held directories.
bool InstalledFileExists(TFileSystem& files, const std::string& path)
{
    std::string name;
    const auto directory = OpenParent(files, path, name);
    return directory && files.FileExistsAt(*directory, name);
}

} // namespace

TUninstallRun::TUninstallRun(std::string programName, std::string exeName, const TUninstallServices& services)
    : FCodePage(AnsiCodePage()), FProgramName(std::move(programName)), FExeName(std::move(exeName)),
      FServices(services)
{
}

TUninstallOutcome TUninstallRun::Execute(const std::string& logPath)
{
    TUninstallOutcome outcome;
    TFileSystem& files = FServices.Files;
    if (logPath.empty()) {
        FServices.Report.ShowError("No install log was given. Nothing has been removed");
        return outcome;
    }
    TUninstallLog log;
    try {
        log = ReadUninstallLog(files, logPath, FCodePage);
    } catch (const EUninstallLogError& e) {
        FServices.Report.ShowError(e.Message());
        return outcome;
    }
    outcome.AppName = log.AppName;
    TUninstallPlan plan;
    try {
        plan = MakeUninstallPlan(log, logPath, FProgramName, FExeName, files, FServices.Links,
                                 ShortcutFiles(FServices.Registry));
    } catch (const EUninstallLogError& e) {
        FServices.Report.ShowError(e.Message());
        return outcome;
    }
    // An elevated program acting where others may change the folder could
    // be led to any file: nothing there is touched.
    if (!plan.Refusal.empty()) {
        FServices.Report.ShowError(plan.Refusal);
        outcome.Result = urRefused;
        return outcome;
    }

    if (!FServices.Questions.Confirm("Are you sure you want to remove " + plan.AppName +
                                     " and all of its components?")) {
        outcome.Result = urDeclined;
        return outcome;
    }
    // The settings and the site list (which may hold passwords) are the user's.
    const bool keepData = !plan.DataFiles.empty() && FServices.Questions.Confirm(KeepDataQuestion);
    const bool restore = !plan.Restores.empty() && FServices.Questions.Confirm("Restore the files saved in Backup?");

    outcome.LeftAlone = plan.LeftAlone;
    RemoveFiles(plan.Files, outcome);
    RemoveFiles(plan.Links, outcome);
    if (keepData) {
        outcome.DataDir = plan.DestinationDir;
        for (const std::string& path : plan.DataFiles)
            outcome.KeptData.push_back(path.substr(plan.InstallDir.size()));
    } else {
        RemoveFiles(plan.DataFiles, outcome);
    }
    // A file in use stays; so do the log and the uninstall entry, so that the
    // person can close the program and remove the rest by the same way.
    outcome.Repeatable = !outcome.NotRemoved.empty();
    if (restore)
        RestoreBackups(plan, outcome);
    RemoveRegistryEntries(plan, outcome);
    for (const std::string& group : plan.GroupDirs)
        RemoveIfEmpty(group, outcome);
    RemoveIfEmpty(plan.BackupDir, outcome);
    // The log goes last: until then a failed run can be repeated.
    if (!outcome.Repeatable && InstalledFileExists(files, logPath) && !RemoveInstalledFile(files, logPath))
        outcome.NotRemoved.push_back(logPath);
    RemoveIfEmpty(plan.DestinationDir, outcome);

    outcome.Result = outcome.NotRemoved.empty() && outcome.NotRestored.empty() ? urRemoved : urIncomplete;
    FServices.Report.ShowSummary(UninstallSummaryText(outcome));
    return outcome;
}

void TUninstallRun::RemoveFiles(const std::vector<std::string>& paths, TUninstallOutcome& outcome)
{
    // A file in use stays; the others go all the same.
    for (const std::string& path : paths)
        if (!RemoveInstalledFile(FServices.Files, path))
            outcome.NotRemoved.push_back(path);
}

void TUninstallRun::RestoreBackups(const TUninstallPlan& plan, TUninstallOutcome& outcome)
{
    TFileSystem& files = FServices.Files;
    for (const TRestoreMove& move : plan.Restores) {
        // An installed file that could not be removed is not replaced either.
        std::string from, to;
        const auto backup = OpenParent(files, move.From, from);
        const auto destination = OpenParent(files, move.To, to);
        if (!backup || !destination || files.FileExistsAt(*destination, to) ||
            !files.MoveFileAt(*backup, from, *destination, to))
            outcome.NotRestored.push_back(move.From);
    }
}

void TUninstallRun::RemoveRegistryEntries(const TUninstallPlan& plan, TUninstallOutcome& outcome)
{
    TRegistry& registry = FServices.Registry;
    std::string value;
    registry.SetRootKey(rkLocalMachine);
    // A later install elsewhere took these keys over; they are its own now.
    const bool ownEntry = ReadKeyValue(registry, plan.UninstallKey, "UninstallString", value) &&
                          IsCommandForLog(value, plan.LogPath);
    // What the protocol held before the install, kept in our own entry.
    std::string previous[std::size(ProtocolValues)];
    TRegDataType previousType[std::size(ProtocolValues)] = {};
    for (size_t i = 0; ownEntry && i < std::size(ProtocolValues); ++i)
        ReadKeyValue(registry, plan.UninstallKey, ProtocolValues[i].Previous, previous[i], &previousType[i]);
    if (ownEntry && !outcome.Repeatable && !registry.DeleteKey(plan.UninstallKey))
        outcome.NotRemoved.push_back(LocalMachineName + plan.UninstallKey);
    if (ReadKeyValue(registry, plan.AppPathsKey, "", value) &&
        (value.empty() || PointsInto(value, plan.InstallDir)) && !registry.DeleteKey(plan.AppPathsKey))
        outcome.NotRemoved.push_back(LocalMachineName + plan.AppPathsKey);

    registry.SetRootKey(rkClassesRoot);
    for (size_t i = 0; i < std::size(ProtocolValues); ++i) {
        const char* key = ProtocolValues[i].Key;
        if (!ReadKeyValue(registry, key, "", value) || !PointsInto(value, plan.InstallDir))
            continue;
        // Given back when it was kept; cleared rather than left naming a removed program.
        bool done = false;
        if (registry.OpenKey(key, false)) {
            try {
                if (!previous[i].empty())
                    registry.WriteString("", previous[i], previousType[i]);
                else if (!registry.DeleteValue(""))
                    throw ERegistryException("not cleared");
                done = true;
            } catch (const ERegistryException&) {
            }
        }
        registry.CloseKey();
        if (!done)
            outcome.NotRemoved.push_back(ClassesRootName + std::string(key));
    }
}

void TUninstallRun::RemoveIfEmpty(const std::string& directory, TUninstallOutcome& outcome)
{
    TFileSystem& files = FServices.Files;
    // A junction or link in the place of a folder, or on the way to it, is
    // not the installation's.
    std::string name;
    const auto parent = OpenParent(files, directory, name);
    bool empty = false;
    {
        const auto held = parent ? files.OpenDirectoryChain(directory) : nullptr;
        if (!held)
            return;
        try {
            empty = files.ListDirectoryAt(*held).empty();
        } catch (const Exception&) {
        }
    }
    // Released before it goes: its own handle would keep it.
    if (!empty)
        outcome.Kept.push_back(directory);
    else if (!files.RemoveDirectoryAt(*parent, name))
        outcome.NotRemoved.push_back(directory);
}

std::string UninstallSummaryText(const TUninstallOutcome& outcome)
{
    std::string text = outcome.AppName + (outcome.NotRemoved.empty() && outcome.NotRestored.empty()
                                              ? " has been removed."
                                              : " has been removed, but not completely.");
    AppendList(text, "These could not be removed:", outcome.NotRemoved);
    AppendList(text, "These could not be restored and stay in Backup:", outcome.NotRestored);
    if (!outcome.KeptData.empty())
        AppendList(text, "Your settings and site list were kept in " + outcome.DataDir + ":", outcome.KeptData);
    AppendList(text, "These folders hold files of your own and were left in place:", outcome.Kept);
    AppendList(text, "These are outside the installation and were not removed:", outcome.LeftAlone);
    if (outcome.Repeatable)
        text += "\n\nClose the programs that use them and remove " + outcome.AppName + " again to finish.";
    return text;
}
