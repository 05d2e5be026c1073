// x and t: both hand the whole walk to the engine (or, with -j, to its
// parallel twin), with the selection in its name list, and watch it through
// OnCheckFile: that is where a name that
// would leave the target directory by a leading "\" is refused, where what
// stands at a target path is kept (-k) or the archive itself is spared, and
// where vkar learns which entry the engine is working on. t expands onto a
// disk that keeps nothing, so it passes exactly when x would.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarExpandFiles.h"
#include "tools/vkar/VkarExpandJobs.h"
#include "tools/vkar/VkarJobs.h"
#include "tools/vkar/VkarProgress.h"
#include "tools/vkar/VkarReport.h"
#include "tools/vkar/VkarSharedSource.h"
#include "tools/vkar/VkarStreams.h"

namespace {

enum class TWalkKind { wkExtract, wkTest };

class TExpandWatch {
public:
    TExpandWatch(TArchiver& archiver, const TVkarOptions& options, const TStringList& selection, TWalkKind kind,
                 TStream& archive)
        : FArchiver(archiver), FOptions(options), FSelection(selection), FKind(kind), FArchive(archive),
          FMatched(selection.Count(), false), FProgress(!options.Quiet)
    {
        archiver.OnShowProgress = FProgress.Handler();
        archiver.OnCheckFile = [this](std::string& filepath, TCProcessMode) { CheckFile(filepath); };
    }

    // The entry of the last OnCheckFile, done once the next one is asked
    // about or the walk returns.
    void FinishPending()
    {
        FProgress.Clear();
        if (!FPending)
            return;
        FPending = false;
        const std::string shown = VkarDisplayName(FCurrent);
        if (FKind == TWalkKind::wkTest) {
            if (FOptions.Verbose)
                VkarPrintLine(shown + "  OK  " + std::to_string(FEntry.ExpandedSize) + " bytes, " +
                              VkarMethodName(FEntry.MethodIndex) + (FEntry.LockMode > 0 ? ", locked" : ""));
            else if (!FOptions.Quiet)
                VkarPrintLine(shown + "  OK");
        } else if (FOptions.Verbose) {
            VkarPrintLine(shown + " -> " + PrintableName(ToNativePath(FCurrentPath)));
        } else if (!FOptions.Quiet) {
            VkarPrintLine(shown);
        }
    }

    // Reports a failure that left ExpandArchive, naming its entry.
    void ReportFailure(const Exception& e)
    {
        FProgress.Clear();
        if (dynamic_cast<const EUnsafePath*>(&e) != nullptr) {
            // The engine refuses a name before asking about it; the message
            // names the entry. Any entry asked about before it is done.
            if (e.Message() != std::string(SUnsafePath) + PrintableName(FCurrent))
                FinishPending();
            VkarReportError("", e.Message());
            return;
        }
        if (dynamic_cast<const ETruncatedArchive*>(&e) != nullptr) {
            // Raised after the last entry that could be written.
            FinishPending();
            VkarReportError("", e.Message());
            return;
        }
        VkarReportError(FPending ? VkarDisplayName(FCurrent) : "", e.Message());
    }

    bool Matched(int index) const { return FMatched[static_cast<size_t>(index)]; }
    // Entries left out because writing them would have replaced the archive.
    int Spared() const { return FSpared; }

private:
    void CheckFile(std::string& filepath)
    {
        FinishPending();
        // The engine puts TargetPath in front of every name that does not
        // begin with "\" and hands the path over in the platform's spelling;
        // what follows TargetPath is the stored name.
        const std::string& target = FArchiver.TargetPath();
        const bool belowTarget = !target.empty() && filepath.compare(0, target.size(), target) == 0;
        const std::string name = VkarArchiveName(belowTarget ? filepath.substr(target.size()) : filepath);
        FCurrent = name;
        // The engine itself would take the target directory for the file,
        // or skip the entry without a word when there is no target.
        if (name.empty())
            throw Exception("Entry without a name");
        if (!FOptions.Absolute && !name.empty() && name[0] == '\\')
            throw EUnsafePath(SUnsafePath + name);
        for (int i = 0; i < FSelection.Count(); ++i)
            if (SameText(FSelection[i], name))
                FMatched[static_cast<size_t>(i)] = true;
        if (FKind == TWalkKind::wkTest) {
            ReadRecordBack(name);
        } else if (IsTheArchive(filepath)) {
            VkarReportError(VkarDisplayName(name), "Is the archive being read; not expanded");
            ++FSpared;
            filepath.clear();
            return;
        } else if (FOptions.KeepOld && VkarNonDirectoryExists(filepath)) {
            VkarReportError(VkarDisplayName(name), "Exists; kept");
            filepath.clear();
            return;
        }
        FCurrentPath = filepath;
        FPending = true;
        FProgress.Begin(VkarDisplayName(name));
    }

    bool IsTheArchive(const std::string& path) const
    {
        return FOptions.Archive == "-" ? VkarIsStandardInput(path) : VkarSameFile(path, FOptions.Archive);
    }

    // The engine asks just after reading the entry's record and name, so
    // they lie right before the archive's position.
    void ReadRecordBack(const std::string& name)
    {
        const int64_t here = FArchive.Position();
        FArchive.SetPosition(here - EntryHeaderSize - static_cast<int64_t>(name.size()));
        uint8_t bytes[EntryHeaderSize];
        FArchive.ReadBuffer(bytes, EntryHeaderSize);
        FEntry = TEntryHeader::Unpack(bytes);
        FArchive.SetPosition(here);
    }

    TArchiver& FArchiver;
    const TVkarOptions& FOptions;
    const TStringList& FSelection;
    TWalkKind FKind;
    TStream& FArchive;
    std::vector<bool> FMatched;
    TVkarProgress FProgress;
    std::string FCurrent, FCurrentPath;
    TEntryHeader FEntry;
    bool FPending = false;
    int FSpared = 0;
};

int Walk(TFileSystem& disk, const TVkarOptions& options, TWalkKind kind)
{
    TArchiver archiver(disk);
    archiver.Key = options.Key;
    archiver.MakeDirectories = true;
    archiver.ExceptionOnFileError = true;
    if (kind == TWalkKind::wkExtract)
        archiver.SetTargetPath(options.BaseDir);

    TStringList selection, names;
    for (const std::string& name : options.Operands) {
        selection.Add(VkarArchiveName(name));
        names.Add(VkarArchiveName(name));
    }
    std::unique_ptr<TStream> stream = VkarOpenArchive(NativeFileSystem(), options.Archive);
    // With workers, every reader of the archive, this thread included, goes
    // through the shared source.
    const unsigned workers = options.Jobs != 0 ? options.Jobs : VkarDefaultJobs();
    std::optional<TVkarSharedSource> shared;
    std::optional<TVkarSourceReader> reader;
    if (workers > 1) {
        shared.emplace(*stream);
        reader.emplace(*shared, stream->Position());
    }
    TExpandWatch watch(archiver, options, selection, kind, reader ? static_cast<TStream&>(*reader) : *stream);
    try {
        // The engine replaces the list's content with the written paths.
        if (workers > 1)
            VkarExpandInParallel(archiver, *shared, *reader, names.Count() > 0 ? &names : nullptr, workers);
        else
            archiver.ExpandArchive(*stream, names.Count() > 0 ? &names : nullptr);
        watch.FinishPending();
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
    TVkarDiscardFileSystem nowhere;
    const int status = Walk(nowhere, options, TWalkKind::wkTest);
    if (status == VkarExitOK && options.Verbose)
        VkarPrintLine("Archive OK");
    return status;
}
