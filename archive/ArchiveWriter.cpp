#include "archive/ArchiveWriter.h"

#include <limits>

#include "platform/Stream.h"

namespace {

constexpr int64_t MaxInt = std::numeric_limits<int32_t>::max();

void WriteAt(TStream& stream, int64_t position, const uint8_t* bytes, int32_t count)
{
    const int64_t end = stream.Position();
    stream.SetPosition(position);
    stream.WriteBuffer(bytes, count);
    stream.SetPosition(end);
}

} // namespace

TArchiveWriter::TArchiveWriter(TArchiver& archiver, TStream& dest, const std::string& identifier)
    : FArchiver(archiver), FDest(dest), FHeaderPosition(dest.Position())
{
    FArchiver.InitArchiveHeader(FHeader, identifier, caMulti, 0);
    const auto bytes = FHeader.Pack();
    FDest.WriteBuffer(bytes.data(), ArchiveHeaderSize);
}

const TWrittenEntry& TArchiveWriter::AddFile(const TArchiveFileInfo& info, TStream& source, uint8_t methodIndex)
{
    const int64_t sourceStart = source.Position();
    const int64_t size = source.Size() - sourceStart;
    if (size > MaxInt)
        throw Exception("File too large for an archive entry: " + info.Name);
    if (info.Name.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max()))
        throw Exception("Name too long for an archive entry: " + info.Name);
    if (FTotalSize + size > MaxInt)
        throw Exception("Archive would expand to more than 2 GiB: " + info.Name);

    TEntryHeader& record = FLast.Header;
    record = TEntryHeader();
    FLast.Name = info.Name;
    record.NameLength = static_cast<int16_t>(info.Name.size());
    record.DateTime = info.DateTime;
    record.Attributes = info.Attributes;
    record.ExpandedSize = static_cast<int32_t>(size);
    record.MethodIndex = methodIndex;

    const int64_t recordPosition = FDest.Position();
    auto bytes = record.Pack();
    FDest.WriteBuffer(bytes.data(), EntryHeaderSize);
    FDest.WriteBuffer(info.Name.data(), record.NameLength);
    const int64_t dataStart = FDest.Position();

    uint32_t checksum = 0;
    if (methodIndex == MethodCustom) {
        if (!FArchiver.OnCompress)
            throw Exception("No coder is assigned for method " + std::string(CompressIDs[MethodCustom]));
        std::string identifier = CompressIDs[MethodCustom];
        int32_t outputSize = 0, sum = 0;
        FArchiver.OnCompress(FDest, source, identifier, outputSize, sum);
        record.StoredSize = outputSize;
        checksum = static_cast<uint32_t>(sum);
        // The application's own coder does not pass the key transform, so a
        // keyed entry is locked by its checksum alone.
        record.LockMode = FArchiver.Key != 0 ? 1 : 0;
    } else {
        try {
            record.StoredSize = FArchiver.RunCodec(FDest, source, record.ExpandedSize, record.ExpandedSize,
                                                   methodIndex, checksum, TCodecDirection::cdCompress, false);
        } catch (const EUnableToCompress&) {
            // The coded data would be longer than the file: drop what the
            // coder flushed and store the file from its first byte.
            FDest.SetSize(dataStart);
            FDest.SetPosition(dataStart);
            source.SetPosition(sourceStart);
            record.MethodIndex = MethodStored;
            record.StoredSize = FArchiver.RunCodec(FDest, source, record.ExpandedSize, record.ExpandedSize,
                                                   MethodStored, checksum, TCodecDirection::cdCompress, false);
        }
        record.LockMode = FArchiver.Key != 0 ? 2 : 0;
    }
    record.Checksum = checksum + (record.LockMode > 0 ? static_cast<uint32_t>(FArchiver.Key) : 0u);

    bytes = record.Pack();
    WriteAt(FDest, recordPosition, bytes.data(), EntryHeaderSize);
    FTotalSize += record.ExpandedSize;
    return FLast;
}

void TArchiveWriter::Finish()
{
    FHeader.TotalSize = FTotalSize;
    const auto bytes = FHeader.Pack();
    WriteAt(FDest, FHeaderPosition, bytes.data(), ArchiveHeaderSize);
}
