#include "tools/vkar/VkarCreateEntries.h"

#include <exception>
#include <memory>
#include <optional>

#include "archive/ArchiveWriter.h"
#include "archive/Archiver.h"
#include "codecs/Coders.h"
#include "platform/FileSystem.h"
#include "tools/vkar/VkarCommands.h"
#include "archive/CodingJobs.h"
#include "tools/vkar/VkarNewArchive.h"
#include "tools/vkar/VkarProgress.h"
#include "tools/vkar/VkarReport.h"

namespace {

// The archive's sizes are signed 32-bit.
constexpr int64_t MaxArchiveBytes = INT32_MAX;

// A file opened for coding: its record's fields and its size.
struct TOpenedSource {
    TArchiveFileInfo Info;
    std::unique_ptr<TFileStream> File;
    int64_t Start = 0;
    int64_t Size = 0;
};

TOpenedSource OpenSource(TFileSystem& fileSystem, const TVkarSource& source)
{
    TOpenedSource opened;
    opened.Info.Name = source.Name;
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

void CheckTotal(int64_t expandedTotal, int64_t size)
{
    if (expandedTotal + size > MaxArchiveBytes)
        throw Exception("Archive would hold more than 2147483647 expanded bytes");
}

// A file that grew or shrank since it was opened is stored as far as it was
// seen then; the archive stays sound, the status says so.
bool Changed(const TOpenedSource& opened)
{
    return opened.File && opened.File->Size() - opened.Start != opened.Size;
}

void ReportChanged(const std::string& shown, TVkarCreateTotals& totals)
{
    VkarReportError(shown, "File changed as it was read; stored as first seen");
    ++totals.Skipped;
}

// Counts an entry that is out and prints its line.
void Account(const TVkarOptions& options, const std::string& shown, const TWrittenEntry& written,
             TVkarCreateTotals& totals)
{
    totals.Expanded += written.Header.ExpandedSize;
    totals.Stored += written.Header.StoredSize;
    ++totals.Files;
    if (options.Verbose)
        VkarPrintLine(shown + "  " + std::to_string(written.Header.ExpandedSize) + " -> " +
                      std::to_string(written.Header.StoredSize) + "  " + VkarMethodName(written.Header.MethodIndex));
    else if (!options.Quiet)
        VkarPrintLine(shown);
}

// What a worker made of one file: the entry coded apart into memory, or the
// file left open for the caller to code in its turn (too large to hold), or
// the failure to raise in its turn.
struct TCodedSource {
    std::optional<TOpenedSource> Opened;
    bool Direct = false;
    std::unique_ptr<TBoundedSpool> Coded;
    TWrittenEntry Written;
    bool Changed = false;
    std::exception_ptr Error;
};

void CodeApart(const TVkarOptions& options, TFileSystem& fileSystem, const TVkarSource& source, size_t limit,
               const TCodingJobs::TReport& report, TCodedSource& slot)
{
    try {
        slot.Opened = OpenSource(fileSystem, source);
        TOpenedSource& opened = *slot.Opened;
        // Coded data is never longer than the file, which would be stored.
        const int64_t room = static_cast<int64_t>(limit) - ArchiveHeaderSize - EntryHeaderSize -
                             static_cast<int64_t>(source.Name.size());
        if (opened.Size > room) {
            slot.Direct = true;
            return;
        }
        TArchiver archiver(fileSystem);
        archiver.Coders = &StandardCoders();
        archiver.Key = options.Key;
        archiver.OnShowProgress = [&report](int32_t& percent) { report(percent); };
        auto spool = std::make_unique<TBoundedSpool>(limit);
        TArchiveWriter writer(archiver, *spool, ArchiveIdentifierOf(options.Method));
        slot.Written = writer.AddFile(opened.Info, *opened.File, options.Method);
        slot.Changed = Changed(opened);
        opened.File.reset();
        spool->SetPosition(ArchiveHeaderSize);
        slot.Coded = std::move(spool);
    } catch (const ESpoolFull&) {
        slot.Direct = true;
    } catch (...) {
        slot.Error = std::current_exception();
    }
}

TVkarCreateTotals AddOneByOne(const TVkarOptions& options, const std::vector<TVkarSource>& sources,
                              TFileSystem& fileSystem, TVkarNewArchive& target, TArchiveWriter& writer,
                              TVkarProgress& progress)
{
    TVkarCreateTotals totals;
    for (const TVkarSource& source : sources) {
        const std::string shown = VkarDisplayName(source.Name);
        // An archive written below one of the named directories is not
        // added to itself.
        if (target.IsTheArchive(source.Path)) {
            // Expected whenever the archive is made inside a directory it
            // stores; not a loss, so not a failure.
            VkarReportError(shown, "Is the archive itself; not stored");
            continue;
        }
        try {
            TOpenedSource opened = OpenSource(fileSystem, source);
            CheckTotal(totals.Expanded, opened.Size);
            progress.Begin(shown);
            const TWrittenEntry& written = writer.AddFile(opened.Info, *opened.File, options.Method);
            progress.Clear();
            Account(options, shown, written, totals);
            if (Changed(opened))
                ReportChanged(shown, totals);
        } catch (const Exception& e) {
            progress.Clear();
            VkarReportError(shown, e.Message());
            totals.Status = VkarExitFailure;
            return totals;
        }
    }
    return totals;
}

// Workers code the files ahead into memory; this thread takes their entries
// in order, with the checks, messages and progress of AddOneByOne.
TVkarCreateTotals AddInParallel(const TVkarOptions& options, unsigned workers, const std::vector<TVkarSource>& sources,
                                TFileSystem& fileSystem, TVkarNewArchive& target, TArchiveWriter& writer,
                                TVkarProgress& progress)
{
    std::vector<bool> itself(sources.size());
    for (size_t i = 0; i < sources.size(); ++i)
        itself[i] = target.IsTheArchive(sources[i].Path);
    std::vector<TCodedSource> slots(sources.size());
    const size_t limit = TCodingJobs::BytesPerJob(workers);
    TCodingJobs jobs(workers, sources.size(), [&](size_t index, const TCodingJobs::TReport& report) {
        if (!itself[index])
            CodeApart(options, fileSystem, sources[index], limit, report, slots[index]);
    });
    const TShowProgressEvent handler = progress.Handler();
    const auto show = [&handler](int32_t percent) {
        if (handler)
            handler(percent);
    };

    TVkarCreateTotals totals;
    for (size_t i = 0; i < sources.size(); ++i) {
        const std::string shown = VkarDisplayName(sources[i].Name);
        TCodedSource& slot = slots[i];
        if (itself[i]) {
            jobs.WaitDone(i, nullptr);
            // Expected whenever the archive is made inside a directory it
            // stores; not a loss, so not a failure.
            VkarReportError(shown, "Is the archive itself; not stored");
            continue;
        }
        // The first figure comes once the file is open and its size known.
        const bool started = jobs.WaitStarted(i);
        try {
            if (!started)
                jobs.WaitDone(i, nullptr);
            if (!slot.Opened)
                std::rethrow_exception(slot.Error);
            CheckTotal(totals.Expanded, slot.Opened->Size);
            progress.Begin(shown);
            if (started)
                jobs.WaitDone(i, show);
            const TWrittenEntry* written = nullptr;
            if (slot.Direct) {
                TOpenedSource& opened = *slot.Opened;
                opened.File->SetPosition(opened.Start);
                written = &writer.AddFile(opened.Info, *opened.File, options.Method);
                slot.Changed = Changed(opened);
            } else {
                if (slot.Error)
                    std::rethrow_exception(slot.Error);
                written = &writer.AddCoded(slot.Written, *slot.Coded);
            }
            progress.Clear();
            Account(options, shown, *written, totals);
            if (slot.Changed)
                ReportChanged(shown, totals);
            slot = TCodedSource();
        } catch (const Exception& e) {
            progress.Clear();
            VkarReportError(shown, e.Message());
            totals.Status = VkarExitFailure;
            return totals;
        }
    }
    return totals;
}

} // namespace

TVkarCreateTotals VkarAddSources(const TVkarOptions& options, const std::vector<TVkarSource>& sources,
                                 TFileSystem& fileSystem, TVkarNewArchive& target, TArchiveWriter& writer,
                                 TVkarProgress& progress)
{
    const unsigned workers = options.Jobs != 0 ? options.Jobs : DefaultCodingJobs();
    if (workers <= 1 || sources.size() <= 1)
        return AddOneByOne(options, sources, fileSystem, target, writer, progress);
    return AddInParallel(options, workers, sources, fileSystem, target, writer, progress);
}
