// The entry records of an archive, each checked against the stream and the
// header's total before anyone acts on it, so that the lister, the tester
// and the expander take the same records and fail at the same place.
#pragma once

#include <cstdint>
#include <string>

#include "archive/ArchiveFormat.h"

class TStream;

class TArchiveRecords {
public:
    // The walk starts at the stream's position, just after a header whose
    // TotalSize is total.
    TArchiveRecords(TStream& stream, int32_t total);

    // Reads the next record and its name, leaving the stream on its data.
    // False once no record is left, or at damage, which RaiseDamage then
    // raises.
    bool Next(TEntryHeader& entry, std::string& name);
    // After Next returned false: ETruncatedArchive for a stream that ends
    // inside an entry or before the total is reached, ETrailingData for
    // bytes after a complete archive that are no record, ETotalSizeMismatch
    // for entries that pass the header's total; nothing at a sound end.
    void RaiseDamage() const;
    // Moves to the record after the current entry, wherever its decoder stopped.
    void SkipToNext();

    // Where the current entry's data begins.
    int64_t DataStart() const { return FDataStart; }

private:
    enum class TDamage { dmNone, dmTruncated, dmTrailing, dmMismatch };
    // Records the damage of a record that does not fit (or fits but passes
    // the total) and ends the walk.
    bool Fail(bool fitted);
    // Whether entry records follow one another from position exactly to the
    // end of the stream.
    bool RecordsToTheEnd(int64_t position) const;

    TStream& FStream;
    int64_t FSize;
    int32_t FTotal;
    int64_t FSum = 0;
    int FCount = 0;
    int64_t FDataStart = 0;
    int64_t FNext;
    TDamage FDamage = TDamage::dmNone;
};
