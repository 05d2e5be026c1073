// p: decodes the entry of a name (the last of several, the one x leaves on
// disk) onto standard output.
#include <cstdint>
#include <memory>
#include <string>

#include "archive/Archiver.h"
#include "platform/FileSystem.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarNames.h"
#include "tools/vkar/VkarProgress.h"
#include "tools/vkar/VkarReport.h"
#include "tools/vkar/VkarStreams.h"

namespace {

// An entry up to this size is decoded and checked in memory before its
// first byte reaches standard output; a larger one is streamed, and a
// failure then ends output that was already written.
constexpr int32_t CheckedInMemory = 64 << 20;

} // namespace

int RunPrint(const TVkarOptions& options)
{
    TFileSystem& fileSystem = NativeFileSystem();
    TArchiver archiver(fileSystem);
    archiver.NameCodePage = VkarNameCodePage();
    archiver.Key = options.Key;
    TVkarProgress progress(!options.Quiet);
    archiver.OnShowProgress = progress.Handler();

    const std::string wanted = VkarArchiveName(options.Operands.at(0));
    const std::string shown = VkarDisplayName(wanted);
    std::unique_ptr<TStream> stream = VkarOpenArchive(fileSystem, options.Archive);
    TMemoryStream memory;
    TVkarStdoutStream out;
    bool buffered = false, started = false;
    try {
        const bool found = archiver.ExpandNamedEntry(*stream, wanted, [&](const TEntryHeader& entry) -> TStream& {
            progress.Begin(shown);
            started = true;
            buffered = entry.ExpandedSize <= CheckedInMemory;
            return buffered ? static_cast<TStream&>(memory) : static_cast<TStream&>(out);
        });
        if (!found) {
            VkarReportError(shown, "Not found in archive");
            return VkarExitFailure;
        }
        progress.Clear();
        if (buffered && !memory.Bytes().empty())
            out.WriteBuffer(memory.Bytes().data(), static_cast<int32_t>(memory.Bytes().size()));
        out.Flush();
    } catch (const Exception& e) {
        progress.Clear();
        // A damaged archive concerns no single entry until the entry was found.
        VkarReportError(started ? shown : "", e.Message());
        return VkarExitFailure;
    }
    return VkarExitOK;
}
