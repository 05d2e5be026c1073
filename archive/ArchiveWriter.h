// Writes archives: a header, then for each file its record, name and coded
// data. Sizes and checksums are known only after coding, so each record is
// written as a placeholder and filled in once its data is out; the header's
// total is filled in by Finish.
#pragma once

#include <cstdint>
#include <string>

#include "archive/Archiver.h"

class TStream;

// An entry whose data does not hold the whole file: coding was cancelled
// through OnShowProgress, or the file ended before its size was read. The
// destination then holds a partial entry and no archive.
DECLARE_EXCEPTION(EEntryIncomplete);

// Not a method of the format: AddFile codes the file with LH5 and with LZH
// and keeps the smaller (LH5 on a tie, stored when neither shrinks it). The
// record names the method that was used.
inline constexpr uint8_t MethodBest = 0xFF;

// The header identifier of an archive whose entries are coded with method.
inline const char* ArchiveIdentifierOf(uint8_t method)
{
    return method == MethodBest ? CompressIDs[MethodLH5] : CompressIDs[method];
}

struct TArchiveFileInfo {
    std::string Name;          // relative path, "\" between levels
    uint32_t DateTime = 0;     // MS-DOS local date and time
    int16_t Attributes = 0x20; // archive bit
};

struct TWrittenEntry {
    TEntryHeader Header;
    std::string Name;
};

class TArchiveWriter {
public:
    // Writes to dest from its current position; dest must be seekable.
    // The archiver's Key, OnShowProgress and OnCompress are used.
    TArchiveWriter(TArchiver& archiver, TStream& dest, const std::string& identifier);

    // Codes one file with methodIndex (or MethodBest), storing it instead
    // when the coder cannot shrink it; source is read from its current
    // position to its end and must be seekable.
    const TWrittenEntry& AddFile(const TArchiveFileInfo& info, TStream& source, uint8_t methodIndex);
    // Appends an entry that another writer coded: what that writer put after
    // its archive header (the record, the name and the data), read from
    // coded's current position to its end. So entries can be coded apart
    // and written in order, giving the bytes AddFile would have written.
    const TWrittenEntry& AddCoded(const TWrittenEntry& entry, TStream& coded);
    // Writes the header's total; the archive is complete after this.
    void Finish();

    int32_t TotalSize() const { return FTotalSize; }
    std::string Identifier() const { return FHeader.Identifier(); }

private:
    struct TEntrySpan;
    // Drops the data coded so far and goes back to the file's first byte.
    void Restart(const TEntrySpan& span);
    int32_t CodeOrStore(const TEntrySpan& span, uint8_t& method, uint32_t& checksum);
    int32_t CodeBest(const TEntrySpan& span, uint8_t& method, uint32_t& checksum);

    TArchiver& FArchiver;
    TStream& FDest;
    int64_t FHeaderPosition;
    TArchiveHeader FHeader;
    int32_t FTotalSize = 0;
    TWrittenEntry FLast;
};
