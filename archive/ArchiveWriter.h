// Writes archives: a header, then for each file its record, name and coded
// data. Sizes and checksums are known only after coding, so each record is
// written as a placeholder and filled in once its data is out; the header's
// total is filled in by Finish.
#pragma once

#include <cstdint>
#include <string>

#include "archive/Archiver.h"

class TStream;

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

    // Codes one file with methodIndex, storing it instead when the coder
    // cannot shrink it; source is read from its current position to its end.
    const TWrittenEntry& AddFile(const TArchiveFileInfo& info, TStream& source, uint8_t methodIndex);
    // Writes the header's total; the archive is complete after this.
    void Finish();

    int32_t TotalSize() const { return FTotalSize; }

private:
    TArchiver& FArchiver;
    TStream& FDest;
    int64_t FHeaderPosition;
    TArchiveHeader FHeader;
    int32_t FTotalSize = 0;
    TWrittenEntry FLast;
};
