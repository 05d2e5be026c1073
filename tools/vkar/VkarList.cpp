// l: the entries as the lister records them, then the totals and the header's
// identifier.
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "archive/Archiver.h"
#include "platform/DosDateTime.h"
#include "platform/FileSystem.h"
#include "tools/vkar/VkarCommands.h"
#include "tools/vkar/VkarNames.h"
#include "tools/vkar/VkarStreams.h"
#include "tools/vkar/VkarReport.h"

namespace {

#ifdef __GNUC__
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
#endif

std::string Format(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// Stored size as a share of the expanded size, to one decimal; "-" where
// that means nothing (an empty file, or sizes of a damaged record).
std::string Ratio(int64_t stored, int64_t expanded)
{
    if (expanded <= 0 || stored < 0)
        return "-";
    const int64_t permille = stored * 1000 / expanded;
    return Format("%" PRId64 ".%" PRId64 "%%", permille / 10, permille % 10);
}

std::string AttributeLetters(int16_t attributes)
{
    std::string letters = "----";
    if (attributes & faReadOnly)
        letters[0] = 'R';
    if (attributes & faHidden)
        letters[1] = 'H';
    if (attributes & faSysFile)
        letters[2] = 'S';
    if (attributes & faArchive)
        letters[3] = 'A';
    return letters;
}

std::string DateAndTime(uint32_t dosDateTime)
{
    const TDosDateTimeParts p = UnpackDosDateTime(dosDateTime);
    return Format("%04d-%02d-%02d %02d:%02d:%02d", p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second);
}

std::string EntryLine(const TCompressedFileInfo& info, const std::string& name, bool verbose)
{
    std::string line = Format("%8" PRId32 " %8" PRId32 " %6s %-6s %s %s %-4s ", info.ExpandedSize, info.StoredSize,
                              Ratio(info.StoredSize, info.ExpandedSize).c_str(), VkarMethodName(info.MethodIndex).c_str(),
                              DateAndTime(info.DateTime).c_str(), AttributeLetters(info.Attributes).c_str(),
                              info.Locked ? "yes" : "no");
    if (verbose)
        line += Format("%08" PRIX32 " %10" PRId32 " ", info.Checksum, info.EntryOffset);
    return line + VkarDisplayName(name);
}

} // namespace

int RunList(const TVkarOptions& options)
{
    TFileSystem& fileSystem = NativeFileSystem();
    TArchiver archiver(fileSystem);
    archiver.NameCodePage = VkarNameCodePage();
    TStringList entries;
    // One stream, so that standard input can be listed too: the lister
    // does not report the header, which is read again from the start.
    std::unique_ptr<TStream> stream = VkarOpenArchive(fileSystem, options.Archive);
    const int64_t start = stream->Position();
    // The entries before damage are listed, then the damage is reported.
    std::string failure;
    try {
        archiver.ListArchiveContents(*stream, entries);
        if (entries.Count() == 0) {
            // The lister looks at nothing shorter than a header and a
            // record; the walk with nothing selected checks what follows a
            // header as x would.
            stream->SetPosition(start);
            TStringList none;
            archiver.ExpandArchive(*stream, &none);
        }
    } catch (const Exception& e) {
        failure = e.Message();
    }
    stream->SetPosition(start);
    const TArchiveHeader header = archiver.ReadArchiveHeader(*stream);

    const std::string rule = options.Verbose ? "-------- -------- ------ ------ ---------- -------- ---- ---- -------- ---------- ----"
                                             : "-------- -------- ------ ------ ---------- -------- ---- ---- ----";
    if (!options.Quiet) {
        VkarPrintLine(options.Verbose ? "    Size   Stored  Ratio Method Date       Time     Attr Lock Checksum     Offset Name"
                                      : "    Size   Stored  Ratio Method Date       Time     Attr Lock Name");
        VkarPrintLine(rule);
    }
    int64_t expanded = 0, stored = 0;
    for (int i = 0; i < entries.Count(); ++i) {
        const auto* found = dynamic_cast<const TCompressedFileInfo*>(entries.Objects(i));
        if (found == nullptr)
            continue;
        const TCompressedFileInfo& info = *found;
        expanded += info.ExpandedSize;
        stored += info.StoredSize;
        if (!options.Quiet)
            VkarPrintLine(EntryLine(info, entries[i], options.Verbose));
    }
    if (!options.Quiet)
        VkarPrintLine(rule);
    const size_t nameColumn = rule.size() - 4;
    std::string totals = Format("%8" PRId64 " %8" PRId64 " %6s", expanded, stored, Ratio(stored, expanded).c_str());
    totals.resize(nameColumn, ' ');
    totals += std::to_string(entries.Count()) + (entries.Count() == 1 ? " file" : " files");
    VkarPrintLine(totals);
    VkarPrintLine("Header identifier: " + VkarDisplayName(header.Identifier()));
    if (options.Verbose)
        VkarPrintLine("Header total size: " + std::to_string(header.TotalSize) +
                      ", lock mode: " + std::to_string(header.LockMode));
    if (!failure.empty()) {
        VkarReportError("", failure);
        return VkarExitFailure;
    }
    return VkarExitOK;
}
