// x and t: both hand the whole walk to the engine, with the selection in its
// name list and -j as its number of jobs. OnCheckFile is where a name that
// would leave the target directory by a leading "\" is refused and where
// what stands at a target path is kept (-k) or the archive itself is
// spared; each entry's result is printed as the engine reports it. t
// expands onto a model of an empty disk, so it passes exactly when x into
// an empty directory would.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarNames.h"
#include "tools/vkar/VkarExpandFiles.h"
#include "archive/CodingJobs.h"
#include "archive/DecodeAhead.h"
#include "tools/vkar/VkarProgress.h"
#include "tools/vkar/VkarReport.h"
#include "tools/vkar/VkarStreams.h"

namespace {

enum class TWalkKind { wkExtract, wkTest };

class TExpandWatch {
public:
    TExpandWatch(TArchiver& archiver, const TVkarOptions& options, const TStringList& selection, TWalkKind kind)
        : FArchiver(archiver), FOptions(options), FSelection(selection), FKind(kind),
          FMatched(selection.Count(), false), FProgress(!options.Quiet)
    {
        archiver.OnShowProgress = FProgress.Handler();
        archiver.OnCheckFile = [this](std::string& filepath, TCProcessMode) { CheckFile(filepath); };
        archiver.OnEntryDone = [this](const TEntryResult& result) { EntryDone(result); };
    }

    // Reports a failure that left the walk; one that belongs to an entry
    // was named with it already.
    void ReportFailure(const Exception& e)
    {
        FProgress.Clear();
        if (!FReported)
            VkarReportError("", e.Message());
    }

    bool Matched(int index) const { return FMatched[static_cast<size_t>(index)]; }
    // Entries left out because writing them would have replaced the archive.
    int Spared() const { return FSpared; }

private:
    void EntryDone(const TEntryResult& result)
    {
        FProgress.Clear();
        FReported = false;
        const std::string shown = VkarDisplayName(result.Name);
        if (result.Outcome == TEntryOutcome::eoFailed) {
            // That message names the entry itself.
            const bool unsafe = result.Reason.compare(0, std::string(SUnsafePath).size(), SUnsafePath) == 0;
            VkarReportError(unsafe ? "" : shown, result.Reason);
            FReported = true;
            return;
        }
        if (result.Outcome != TEntryOutcome::eoWritten)
            return;
        const TEntryHeader& entry = result.Record;
        if (FKind == TWalkKind::wkTest) {
            if (FOptions.Verbose)
                VkarPrintLine(shown + "  OK  " + std::to_string(entry.ExpandedSize) + " bytes, " +
                              VkarMethodName(entry.MethodIndex) + (entry.LockMode > 0 ? ", locked" : ""));
            else if (!FOptions.Quiet)
                VkarPrintLine(shown + "  OK");
        } else if (FOptions.Verbose) {
            VkarPrintLine(shown + " -> " + VkarPrintable(ToNativePath(result.Path)));
        } else if (!FOptions.Quiet) {
            VkarPrintLine(shown);
        }
    }

    void CheckFile(std::string& filepath)
    {
        // The engine puts TargetPath in front of every name that does not
        // begin with "\" and hands the path over in the platform's spelling;
        // what follows TargetPath is the stored name.
        const std::string& target = FArchiver.TargetPath();
        const bool belowTarget = !target.empty() && filepath.compare(0, target.size(), target) == 0;
        const std::string name = VkarArchiveName(belowTarget ? filepath.substr(target.size()) : filepath);
        // The engine itself would take the target directory for the file,
        // or skip the entry without a word when there is no target.
        if (name.empty())
            throw Exception("Entry without a name");
        if (!FOptions.Absolute && name[0] == '\\')
            throw EUnsafePath(SUnsafePath + PrintableName(name));
        for (int i = 0; i < FSelection.Count(); ++i)
            if (SameText(FSelection[i], name))
                FMatched[static_cast<size_t>(i)] = true;
        if (FKind == TWalkKind::wkExtract && IsTheArchive(filepath)) {
            VkarReportError(VkarDisplayName(name), "Is the archive being read; not expanded");
            ++FSpared;
            filepath.clear();
            return;
        }
        if (FKind == TWalkKind::wkExtract && FOptions.KeepOld && VkarNonDirectoryExists(filepath)) {
            VkarReportError(VkarDisplayName(name), "Exists; kept");
            filepath.clear();
            return;
        }
        FProgress.Begin(VkarDisplayName(name));
    }

    bool IsTheArchive(const std::string& path) const
    {
        return FOptions.Archive == "-" ? VkarIsStandardInput(path) : VkarSameFile(path, FOptions.Archive);
    }

    TArchiver& FArchiver;
    const TVkarOptions& FOptions;
    const TStringList& FSelection;
    TWalkKind FKind;
    std::vector<bool> FMatched;
    TVkarProgress FProgress;
    bool FReported = false;
    int FSpared = 0;
};

int Walk(TFileSystem& disk, const TVkarOptions& options, TWalkKind kind)
{
    TArchiver archiver(disk);
    archiver.NameCodePage = VkarNameCodePage();
    archiver.Key = options.Key;
    archiver.MakeDirectories = true;
    archiver.ExceptionOnFileError = true;
    // A failed entry leaves what stood at its path as it was.
    archiver.ReplaceWhenChecked = true;
    if (kind == TWalkKind::wkExtract)
        archiver.SetTargetPath(options.BaseDir);

    TStringList selection, names;
    for (const std::string& name : options.Operands) {
        selection.Add(VkarArchiveName(name));
        names.Add(VkarArchiveName(name));
    }
    std::unique_ptr<TStream> stream = VkarOpenArchive(NativeFileSystem(), options.Archive);
    const unsigned jobs = options.Jobs != 0 ? options.Jobs : DefaultCodingJobs();
    TExpandWatch watch(archiver, options, selection, kind);
    try {
        // The engine replaces the list's content with the written paths.
        ExpandArchiveOnCores(archiver, *stream, names.Count() > 0 ? &names : nullptr, jobs);
    } catch (const Exception& e) {
        watch.ReportFailure(e);
        return VkarExitFailure;
    }
    int status = watch.Spared() > 0 ? VkarExitFailure : VkarExitOK;
    for (int i = 0; i < selection.Count(); ++i)
        if (!watch.Matched(i)) {
            VkarReportError(VkarDisplayName(selection[i]), "Not found in archive");
            status = VkarExitFailure;
        }
    return status;
}

} // namespace

int RunExtract(const TVkarOptions& options)
{
    TVkarReplacingFileSystem disk(NativeFileSystem());
    return Walk(disk, options, TWalkKind::wkExtract);
}

int RunTest(const TVkarOptions& options)
{
    TVkarModelFileSystem empty;
    const int status = Walk(empty, options, TWalkKind::wkTest);
    if (status == VkarExitOK && options.Verbose)
        VkarPrintLine("Archive OK");
    return status;
}
