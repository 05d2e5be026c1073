#include "tools/vkar/VkarCreateEntries.h"

#include "archive/ArchiveWriter.h"
#include "archive/Archiver.h"
#include "archive/CodeAhead.h"
#include "archive/CodingJobs.h"
#include "platform/FileSystem.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarNewArchive.h"
#include "tools/vkar/VkarProgress.h"
#include "tools/vkar/VkarReport.h"

namespace {

// The archive's sizes are signed 32-bit.
constexpr int64_t MaxArchiveBytes = INT32_MAX;

TSourceToCode OpenSource(TFileSystem& fileSystem, const TVkarSource& source)
{
    TSourceToCode opened;
    opened.Info.Name = source.Stored;
    opened.Info.DateTime = fileSystem.GetDosDateTime(source.Path);
    const int32_t attributes = fileSystem.GetAttributes(source.Path);
    opened.Info.Attributes = static_cast<int16_t>(
        attributes < 0 ? faArchive : attributes & (faReadOnly | faHidden | faSysFile | faArchive));
    opened.File = fileSystem.OpenRead(source.Path);
    opened.Start = opened.File->Position();
    opened.Size = opened.File->Size() - opened.Start;
    if (opened.Size > MaxArchiveBytes)
        throw Exception("File too large for the archive");
    return opened;
}

} // namespace

TVkarCreateTotals VkarAddSources(const TVkarOptions& options, const std::vector<TVkarSource>& sources,
                                 TFileSystem& fileSystem, TVkarNewArchive& target, TArchiveWriter& writer,
                                 TArchiver& archiver, TVkarProgress& progress)
{
    // An archive written below one of the named directories is not added
    // to itself. That is expected whenever the archive is made inside a
    // directory it stores; not a loss, so not a failure.
    std::vector<const TVkarSource*> coded;
    for (const TVkarSource& source : sources) {
        if (target.IsTheArchive(source.Path))
            VkarReportError(VkarDisplayName(source.Name), "Is the archive itself; not stored");
        else
            coded.push_back(&source);
    }

    TVkarCreateTotals totals;
    size_t current = 0;
    TCodingEvents events;
    events.Begin = [&](size_t index, int64_t size) {
        current = index;
        if (totals.Expanded + size > MaxArchiveBytes)
            throw Exception("Archive would hold more than 2147483647 expanded bytes");
        progress.Begin(VkarDisplayName(coded[index]->Name));
    };
    const TShowProgressEvent handler = progress.Handler();
    events.Progress = [&handler](int32_t percent) {
        if (handler)
            handler(percent);
    };
    events.Done = [&](size_t index, const TWrittenEntry& written, bool changed) {
        progress.Clear();
        const std::string shown = VkarDisplayName(coded[index]->Name);
        totals.Expanded += written.Header.ExpandedSize;
        totals.Stored += written.Header.StoredSize;
        ++totals.Files;
        if (options.Verbose)
            VkarPrintLine(shown + "  " + std::to_string(written.Header.ExpandedSize) + " -> " +
                          std::to_string(written.Header.StoredSize) + "  " +
                          VkarMethodName(written.Header.MethodIndex));
        else if (!options.Quiet)
            VkarPrintLine(shown);
        // A file that grew or shrank since it was opened is stored as far
        // as it was seen then; the archive stays sound, the status says so.
        if (changed) {
            VkarReportError(shown, "File changed as it was read; stored as first seen");
            ++totals.Skipped;
        }
        current = index + 1;
    };
    const unsigned jobs = options.Jobs != 0 ? options.Jobs : DefaultCodingJobs();
    try {
        AddFilesOnCores(
            writer, archiver, coded.size(), [&](size_t index) { return OpenSource(fileSystem, *coded[index]); },
            options.Method, jobs, events);
    } catch (const Exception& e) {
        progress.Clear();
        VkarReportError(VkarDisplayName(coded[current]->Name), e.Message());
        totals.Status = VkarExitFailure;
    }
    return totals;
}
