// p: decodes the named entry straight from the entry records onto standard
// output.
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
