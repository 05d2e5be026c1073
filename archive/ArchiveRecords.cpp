#include "archive/ArchiveRecords.h"

#include "archive/ArchiverErrors.h"
#include "platform/Stream.h"

TArchiveRecords::TArchiveRecords(TStream& stream, int32_t total)
    : FStream(stream), FSize(stream.Size()), FTotal(total), FNext(stream.Position())
{
}

bool TArchiveRecords::RecordsToTheEnd(int64_t position) const
{
    for (;;) {
        const int64_t left = FSize - position;
        if (left == 0)
            return true;
        uint8_t record[EntryHeaderSize];
        FStream.SetPosition(position);
        if (left < EntryHeaderSize || FStream.Read(record, EntryHeaderSize) != EntryHeaderSize)
            return false;
        const TEntryHeader entry = TEntryHeader::Unpack(record);
        if (entry.NameLength < 0 || entry.StoredSize < 0 || entry.ExpandedSize < 0 ||
            left - EntryHeaderSize < entry.NameLength + static_cast<int64_t>(entry.StoredSize))
            return false;
        position += EntryHeaderSize + entry.NameLength + static_cast<int64_t>(entry.StoredSize);
    }
}

bool TArchiveRecords::Fail(bool fitted)
{
    // Records that run on to the end of the stream past the total mean a
    // damaged total; what is no record after entries that reach the total
    // is something appended; before the total, the archive was cut short.
    if (fitted && RecordsToTheEnd(FNext))
        FDamage = TDamage::dmMismatch;
    else if (FCount > 0 && FSum == FTotal)
        FDamage = TDamage::dmTrailing;
    else
        FDamage = fitted ? TDamage::dmMismatch : TDamage::dmTruncated;
    return false;
}

void TArchiveRecords::RaiseDamage() const
{
    switch (FDamage) {
    case TDamage::dmNone: return;
    case TDamage::dmTruncated: throw ETruncatedArchive(STruncatedArchive);
    case TDamage::dmTrailing: throw ETrailingData(STrailingData);
    case TDamage::dmMismatch: throw ETotalSizeMismatch(STotalSizeMismatch);
    }
}

bool TArchiveRecords::Next(TEntryHeader& entry, std::string& name)
{
    FStream.SetPosition(FNext);
    const int64_t left = FSize - FNext;
    if (left == 0) {
        if (FSum != FTotal)
            FDamage = TDamage::dmTruncated;
        return false;
    }
    uint8_t record[EntryHeaderSize];
    if (left < EntryHeaderSize || FStream.Read(record, EntryHeaderSize) != EntryHeaderSize)
        return Fail(false);
    entry = TEntryHeader::Unpack(record);
    if (entry.NameLength < 0 || entry.StoredSize < 0 || entry.ExpandedSize < 0 ||
        left - EntryHeaderSize < entry.NameLength + static_cast<int64_t>(entry.StoredSize))
        return Fail(false);
    if (FSum + entry.ExpandedSize > FTotal)
        return Fail(true);
    name.assign(static_cast<size_t>(entry.NameLength), '\0');
    if (FStream.Read(name.data(), entry.NameLength) != entry.NameLength)
        return Fail(false);
    FSum += entry.ExpandedSize;
    ++FCount;
    FDataStart = FNext + EntryHeaderSize + entry.NameLength;
    FNext = FDataStart + entry.StoredSize;
    return true;
}

void TArchiveRecords::SkipToNext()
{
    FStream.SetPosition(FNext);
}
