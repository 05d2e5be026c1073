// c: walks the named files and directories, then has each file coded into a
// new archive through the archive writer. Only what x would expand again is
// stored; what is left out is named.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/ArchiveWriter.h"
#include "archive/Archiver.h"
#include "codecs/Coders.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"
#include "platform/PathRules.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarCreateEntries.h"
#include "tools/vkar/VkarNames.h"
#include "tools/vkar/VkarNewArchive.h"
#include "tools/vkar/VkarProgress.h"
#include "tools/vkar/VkarReport.h"

namespace {

// The archive's name fields are signed 16-bit.
constexpr size_t MaxNameLength = 32767;

// A failure of the walk that belongs to one named path.
struct TWalkError {
    std::string Name;
    std::string Message;
    int Status;
};

std::string JoinPath(const std::string& directory, const std::string& name)
{
    if (directory.empty())
        return name;
    if (IsDirectoryBoundary(directory.back()) || directory.back() == '/')
        return directory + name;
    return directory + PathDelim + name;
}

// The levels of a path given on the command line. A stored name must stay
// below the directory it is expanded into, so an absolute path, a drive or
// a ".." level cannot be made into one.
bool SplitRelative(const std::string& operand, std::vector<std::string>& levels)
{
    if (operand.empty() || operand[0] == '/' || operand[0] == '\\' || (operand.size() >= 2 && operand[1] == ':'))
        return false;
    std::string level;
    for (size_t i = 0; i <= operand.size(); ++i) {
        if (i < operand.size() && operand[i] != '/' && operand[i] != '\\') {
            level += operand[i];
            continue;
        }
        if (level == "..")
            return false;
        if (!level.empty() && level != ".")
            levels.push_back(level);
        level.clear();
    }
    return true;
}

bool IsSymlink(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_symlink(std::filesystem::symlink_status(HostPath(path), error));
}

// What stands at path, or why the system cannot tell (a name too long, a
// directory that may not be searched): the reason then, else "".
std::string Probe(const std::string& path, std::filesystem::file_status& status)
{
    std::error_code error;
    status = std::filesystem::status(HostPath(path), error);
    if (error && error != std::errc::no_such_file_or_directory)
        return error.message();
    return std::string();
}

class TSourceWalk {
public:
    explicit TSourceWalk(TFileSystem& fileSystem) : FFileSystem(fileSystem) {}

    void AddOperand(const std::string& baseDir, const std::string& operand)
    {
        std::vector<std::string> levels;
        if (!SplitRelative(operand, levels))
            throw TWalkError{operand, "Path must be relative and stay below the base directory (see -C)", VkarExitUsage};
        std::string path = baseDir, name;
        for (const std::string& level : levels) {
            path = JoinPath(path, level);
            name = name.empty() ? level : name + "\\" + level;
        }
        const std::string probe = path.empty() ? "." : path;
        std::filesystem::file_status status;
        const std::string reason = Probe(probe, status);
        if (!reason.empty())
            throw TWalkError{operand, reason, VkarExitFailure};
        if (std::filesystem::is_directory(status))
            AddTree(probe, name);
        else if (std::filesystem::is_regular_file(status))
            AddFile(probe, name);
        else if (std::filesystem::exists(status))
            throw TWalkError{operand, "Not a regular file", VkarExitFailure};
        else
            throw TWalkError{operand, "No such file or directory", VkarExitFailure};
    }

    const std::vector<TVkarSource>& Sources() const { return FSources; }
    // Items named as left out: each makes the status 1, as in tar.
    int Skipped() const { return FSkipped; }

private:
    void AddTree(const std::string& path, const std::string& name)
    {
        const std::string shown = name.empty() ? "." : VkarDisplayName(name);
        if (Refused(name, shown))
            return;
        const size_t before = FSources.size();
        const std::vector<TDirectoryEntry> entries = FFileSystem.ListDirectory(path);
        for (const TDirectoryEntry& entry : entries) {
            const std::string childPath = path == "." && name.empty() ? entry.Name : JoinPath(path, entry.Name);
            const std::string childName = name.empty() ? entry.Name : name + "\\" + entry.Name;
            std::filesystem::file_status status;
            const std::string reason = Probe(childPath, status);
            if (entry.Name.find('\\') != std::string::npos) {
                // Only POSIX names hold one; the archive would take it for a
                // level boundary.
                Skip((name.empty() ? "" : shown + "/") + entry.Name, "Name holds \"\\\"; not stored");
            } else if (!reason.empty()) {
                Skip(VkarDisplayName(childName), reason + "; not stored");
            } else if (std::filesystem::is_directory(status)) {
                // A linked directory may lead back up the tree; only
                // directories named on the command line are followed.
                if (IsSymlink(childPath))
                    Skip(VkarDisplayName(childName), "Linked directory skipped");
                else
                    AddTree(childPath, childName);
            } else if (std::filesystem::is_regular_file(status)) {
                AddFile(childPath, childName);
            } else if (!std::filesystem::exists(status)) {
                Skip(VkarDisplayName(childName), "No such file or directory; not stored");
            } else {
                Skip(VkarDisplayName(childName), "Not a regular file; skipped");
            }
        }
        if (entries.empty() && FSources.size() == before)
            Skip(shown, "Empty directory not stored (the archive holds no directories)");
    }

    void AddFile(const std::string& path, const std::string& name)
    {
        if (Refused(name, VkarDisplayName(name)))
            return;
        std::string stored;
        VkarStoredName(name, stored);
        if (stored.size() > MaxNameLength)
            throw TWalkError{VkarDisplayName(name), "Name too long for the archive", VkarExitFailure};
        if (FNames.insert(name).second)
            FSources.push_back({path, name, stored});
    }

    // A name that x would refuse ("...", control characters, "X:"), or one
    // the archive's code page cannot hold, is left out rather than stored
    // for nothing or as another name.
    bool Refused(const std::string& name, const std::string& shown)
    {
        std::string stored;
        if (!VkarStoredName(name, stored)) {
            Skip(shown, VkarUnstorableNameMessage());
            return true;
        }
        if (!IsUnsafeArchiveName(name))
            return false;
        Skip(shown, "Name that x would refuse; not stored");
        return true;
    }

    void Skip(const std::string& shown, const std::string& message)
    {
        VkarReportError(shown, message);
        ++FSkipped;
    }

    TFileSystem& FFileSystem;
    std::vector<TVkarSource> FSources;
    std::set<std::string> FNames;
    int FSkipped = 0;
};

} // namespace

int RunCreate(const TVkarOptions& options)
{
    TFileSystem& fileSystem = NativeFileSystem();
    TVkarNewArchive target(options.Archive);
    // The archive's bytes own standard output then.
    if (target.SharesStandardOutput())
        VkarListOnStandardError();
    TSourceWalk walk(fileSystem);
    try {
        for (const std::string& operand : options.Operands)
            walk.AddOperand(options.BaseDir, operand);
    } catch (const TWalkError& e) {
        VkarReportError(e.Name, e.Message);
        return e.Status;
    }

    TStream& dest = target.Open();
    TArchiver archiver(fileSystem);
    archiver.Coders = &StandardCoders();
    archiver.Key = options.Key;
    TVkarProgress progress(!options.Quiet);
    archiver.OnShowProgress = progress.Handler();
    TArchiveWriter writer(archiver, dest, ArchiveIdentifierOf(options.Method));

    const TVkarCreateTotals totals = VkarAddSources(options, walk.Sources(), fileSystem, target, writer, archiver, progress);
    if (totals.Status != VkarExitOK)
        return totals.Status;
    writer.Finish();
    target.Commit();
    if (options.Verbose)
        VkarPrintLine(std::to_string(totals.Files) + (totals.Files == 1 ? " file, " : " files, ") +
                      std::to_string(totals.Expanded) + " -> " + std::to_string(totals.Stored) + " bytes");
    return walk.Skipped() + totals.Skipped > 0 ? VkarExitFailure : VkarExitOK;
}
