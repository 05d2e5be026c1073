// t and p: decode entries one at a time, straight from the entry records,
// into nowhere or onto standard output. Walking entry by entry lets a bad
// entry be reported and the walk go on with the next one.
#include <cstdint>
#include <memory>
#include <string>

#include "archive/Archiver.h"
#include "platform/FileSystem.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarProgress.h"
#include "tools/vkar/VkarReport.h"
#include "tools/vkar/VkarStreams.h"

namespace {

void Decode(TArchiver& archiver, const TArchiveHeader& header, const TEntryHeader& entry, TStream& source,
            TStream& dest)
{
    archiver.ExpandEntry(dest, source, entry.StoredSize, entry.ExpandedSize, entry.Checksum, entry.MethodIndex,
                         header.Identifier(), entry.LockMode);
}

} // namespace

int RunTest(const TVkarOptions& options)
{
    TFileSystem& fileSystem = NativeFileSystem();
    TArchiver archiver(fileSystem);
    archiver.Key = options.Key;
    TVkarProgress progress(!options.Quiet);
    archiver.OnShowProgress = progress.Handler();

    std::unique_ptr<TStream> stream = VkarOpenArchive(fileSystem, options.Archive);
    const TArchiveHeader header = archiver.ReadArchiveHeader(*stream);
    int entries = 0, failed = 0;
    int64_t walked = 0;
    TEntryHeader entry;
    std::string name;
    while (archiver.ReadEntryHeader(*stream, entry, name)) {
        ++entries;
        walked += entry.ExpandedSize;
        const std::string shown = VkarDisplayName(name);
        const int64_t dataStart = stream->Position();
        progress.Begin(shown);
        try {
            TVkarNullStream sink;
            Decode(archiver, header, entry, *stream, sink);
            progress.Clear();
            if (options.Verbose)
                VkarPrintLine(shown + "  OK  " + std::to_string(entry.ExpandedSize) + " bytes, " +
                              VkarMethodName(entry.MethodIndex) + (entry.LockMode > 0 ? ", locked" : ""));
            else if (!options.Quiet)
                VkarPrintLine(shown + "  OK");
        } catch (const Exception& e) {
            progress.Clear();
            VkarReportError(shown, e.Message());
            ++failed;
        }
        // Wherever a failing codec stopped, the next record follows the data
        // (the entry reader refuses negative sizes).
        stream->SetPosition(dataStart + entry.StoredSize);
    }
    // Records that end before the header's total mean a cut-off archive,
    // however well the entries before the cut decode.
    const bool truncated = walked < header.TotalSize;
    if (truncated)
        VkarReportError("", STruncatedArchive);
    if (failed > 0) {
        VkarReportError("", std::to_string(failed) + " of " + std::to_string(entries) +
                                (entries == 1 ? " entry" : " entries") + " failed the test");
        return VkarExitFailure;
    }
    if (truncated)
        return VkarExitFailure;
    if (options.Verbose)
        VkarPrintLine(std::to_string(entries) + (entries == 1 ? " entry" : " entries") + " OK");
    return VkarExitOK;
}

int RunPrint(const TVkarOptions& options)
{
    TFileSystem& fileSystem = NativeFileSystem();
    TArchiver archiver(fileSystem);
    archiver.Key = options.Key;
    TVkarProgress progress(!options.Quiet);
    archiver.OnShowProgress = progress.Handler();

    const std::string wanted = VkarArchiveName(options.Operands.at(0));
    std::unique_ptr<TStream> stream = VkarOpenArchive(fileSystem, options.Archive);
    const TArchiveHeader header = archiver.ReadArchiveHeader(*stream);
    TEntryHeader entry;
    std::string name;
    while (archiver.ReadEntryHeader(*stream, entry, name)) {
        if (!SameText(name, wanted)) {
            stream->Seek(entry.StoredSize, TSeekOrigin::soCurrent);
            continue;
        }
        const std::string shown = VkarDisplayName(name);
        progress.Begin(shown);
        try {
            TVkarStdoutStream out;
            Decode(archiver, header, entry, *stream, out);
            out.Flush();
            progress.Clear();
        } catch (const Exception& e) {
            progress.Clear();
            VkarReportError(shown, e.Message());
            return VkarExitFailure;
        }
        return VkarExitOK;
    }
    VkarReportError(VkarDisplayName(wanted), "Not found in archive");
    return VkarExitFailure;
}
