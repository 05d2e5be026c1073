// x: hands the whole expansion to the engine, with the selection in its name
// list, and watches it through OnCheckFile: that is where a name that would
// leave the target directory by a leading "\" is refused, and where vkar
// learns which entry the engine is working on.
#include <memory>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarStreams.h"
#include "tools/vkar/VkarProgress.h"
#include "tools/vkar/VkarReport.h"

namespace {

class TExtractWatch {
public:
    TExtractWatch(TArchiver& archiver, const TVkarOptions& options, const TStringList& selection)
        : FArchiver(archiver), FOptions(options), FSelection(selection), FMatched(selection.Count(), false),
          FProgress(!options.Quiet)
    {
        archiver.OnShowProgress = FProgress.Handler();
        archiver.OnCheckFile = [this](std::string& filepath, TCProcessMode) { CheckFile(filepath); };
    }

    // The entry of the last OnCheckFile, done once the next one is asked
    // about or the expansion returns.
    void FinishPending()
    {
        FProgress.Clear();
        if (!FPending)
            return;
        FPending = false;
        if (FOptions.Verbose)
            VkarPrintLine(VkarDisplayName(FCurrent) + " -> " + ToNativePath(FCurrentPath));
        else if (!FOptions.Quiet)
            VkarPrintLine(VkarDisplayName(FCurrent));
    }

    // Reports a failure that left ExpandArchive, naming its entry.
    void ReportFailure(const Exception& e)
    {
        FProgress.Clear();
        if (dynamic_cast<const EUnsafePath*>(&e) != nullptr) {
            // The engine refuses a name before asking about it; the message
            // names the entry. Any entry asked about before it is done.
            if (e.Message() != std::string(SUnsafePath) + FCurrent)
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
        if (!FOptions.Absolute && !name.empty() && name[0] == '\\')
            throw EUnsafePath(SUnsafePath + name);
        for (int i = 0; i < FSelection.Count(); ++i)
            if (SameText(FSelection[i], name))
                FMatched[static_cast<size_t>(i)] = true;
        FCurrentPath = filepath;
        FPending = true;
        FProgress.Begin(VkarDisplayName(name));
    }

    TArchiver& FArchiver;
    const TVkarOptions& FOptions;
    const TStringList& FSelection;
    std::vector<bool> FMatched;
    TVkarProgress FProgress;
    std::string FCurrent, FCurrentPath;
    bool FPending = false;
};

} // namespace

int RunExtract(const TVkarOptions& options)
{
    TFileSystem& fileSystem = NativeFileSystem();
    TArchiver archiver(fileSystem);
    archiver.Key = options.Key;
    archiver.MakeDirectories = true;
    archiver.ExceptionOnFileError = true;
    archiver.SetTargetPath(options.BaseDir);

    TStringList selection, names;
    for (const std::string& name : options.Operands) {
        selection.Add(VkarArchiveName(name));
        names.Add(VkarArchiveName(name));
    }
    TExtractWatch watch(archiver, options, selection);
    std::unique_ptr<TStream> stream = VkarOpenArchive(fileSystem, options.Archive);
    try {
        // The engine replaces the list's content with the written paths.
        archiver.ExpandArchive(*stream, names.Count() > 0 ? &names : nullptr);
        watch.FinishPending();
    } catch (const Exception& e) {
        watch.ReportFailure(e);
        return VkarExitFailure;
    }
    int status = VkarExitOK;
    for (int i = 0; i < selection.Count(); ++i)
        if (!watch.Matched(i)) {
            VkarReportError(VkarDisplayName(selection[i]), "Not found in archive");
            status = VkarExitFailure;
        }
    return status;
}
