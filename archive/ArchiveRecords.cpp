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

void TArchiveRecords::Fail(bool fitted) const
{
    // Records that run on to the end of the stream past the total mean a
    // damaged total; what is no record after entries that reach the total
    // is something appended; before the total, the archive was cut short.
    if (fitted && RecordsToTheEnd(FNext))
        throw ETotalSizeMismatch(STotalSizeMismatch);
    if (FCount > 0 && FSum == FTotal)
        throw ETrailingData(STrailingData);
    if (fitted)
        throw ETotalSizeMismatch(STotalSizeMismatch);
    throw ETruncatedArchive(STruncatedArchive);
}

bool TArchiveRecords::Next(TEntryHeader& entry, std::string& name)
{
    FStream.SetPosition(FNext);
    const int64_t left = FSize - FNext;
    if (left == 0) {
        if (FSum != FTotal)
            throw ETruncatedArchive(STruncatedArchive);
        return false;
    }
    uint8_t record[EntryHeaderSize];
    if (left < EntryHeaderSize || FStream.Read(record, EntryHeaderSize) != EntryHeaderSize)
        Fail(false);
    entry = TEntryHeader::Unpack(record);
    if (entry.NameLength < 0 || entry.StoredSize < 0 || entry.ExpandedSize < 0 ||
        left - EntryHeaderSize < entry.NameLength + static_cast<int64_t>(entry.StoredSize))
        Fail(false);
    if (FSum + entry.ExpandedSize > FTotal)
        Fail(true);
    name.assign(static_cast<size_t>(entry.NameLength), '\0');
    if (FStream.Read(name.data(), entry.NameLength) != entry.NameLength)
        Fail(false);
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
