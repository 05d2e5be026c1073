#include "installer/UninstallPlan.h"

#include <algorithm>

#include "archive/StringList.h"
#include "platform/FileSystem.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithoutLastSeparator(std::string path)
{
    if (!path.empty() && IsSeparator(path.back()))
        path.pop_back();
    return path;
}

std::string NamePart(const std::string& path) { return path.substr(DirectoryOfPath(path).size()); }

// The folder of the logged uninstall link, when it is the program group.
// Desktop and Send To hold links too, but they are the user's folders.
std::string ProgramGroup(const std::vector<std::string>& created)
{
    for (const std::string& file : created) {
        if (!SameText(NamePart(file), UninstallLinkName))
            continue;
        const std::string folder = WithoutLastSeparator(DirectoryOfPath(file));
        if (SameText(NamePart(folder), ProgramGroupName))
            return folder;
    }
    return std::string();
}

} // namespace

bool SamePath(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 'a' + 'A') : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 'a' + 'A') : b[i];
        if (x != y && !(IsSeparator(x) && IsSeparator(y)))
            return false;
    }
    return true;
}

bool PathStartsWith(const std::string& path, const std::string& prefix)
{
    return path.size() >= prefix.size() && SamePath(path.substr(0, prefix.size()), prefix);
}

bool PathEndsWith(const std::string& path, const std::string& suffix)
{
    return path.size() >= suffix.size() && SamePath(path.substr(path.size() - suffix.size()), suffix);
}

std::string DirectoryOfPath(const std::string& path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1]))
            return path.substr(0, i);
    return std::string();
}

TUninstallPlan MakeUninstallPlan(const TUninstallLog& log, const std::string& logPath, const std::string& exeName,
                                 TFileSystem& files)
{
    TUninstallPlan plan;
    plan.AppName = log.AppName;
    plan.LogPath = logPath;
    plan.InstallDir = DirectoryOfPath(logPath);
    plan.DestinationDir = WithoutLastSeparator(plan.InstallDir);
    plan.BackupDir = plan.InstallDir + "Backup";
    plan.GroupDir = ProgramGroup(log.Created);
    plan.UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + log.AppName;
    plan.AppPathsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + exeName;

    // The log names sites.ini twice, in two spellings: Windows sees one file.
    auto add = [&](const std::string& path) {
        const auto same = [&](const std::string& p) { return SamePath(p, path); };
        if (SamePath(path, logPath) || std::any_of(plan.Files.begin(), plan.Files.end(), same) ||
            !files.FileExists(path))
            return;
        plan.Files.push_back(path);
    };
    for (const std::string& path : log.Copied)
        add(path);
    for (const std::string& path : log.Created)
        add(path);

    // A reinstall moved each replaced file to Backup under its own name.
    if (!plan.InstallDir.empty())
        for (const std::string& path : log.Copied) {
            if (!PathStartsWith(path, plan.InstallDir))
                continue;
            const std::string saved = plan.InstallDir + "Backup\\" + path.substr(plan.InstallDir.size());
            if (files.FileExists(saved))
                plan.Restores.push_back({saved, path});
        }
    return plan;
}
