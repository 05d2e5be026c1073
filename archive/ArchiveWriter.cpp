#include "archive/ArchiveWriter.h"

#include <limits>
#include <vector>

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

// Takes coded bytes without keeping them, only counting; gives up as soon as
// the count reaches the size to beat, so a losing coder stops early.
class TSizeProbe : public TStream {
public:
    explicit TSizeProbe(int64_t sizeToBeat) : FSizeToBeat(sizeToBeat) {}

    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void*, int32_t count) override
    {
        FCount += count;
        if (FCount >= FSizeToBeat)
            throw EUnableToCompress(SUnableToCompress);
        return count;
    }
    int64_t Seek(int64_t, TSeekOrigin) override { return FCount; }
    void SetSize(int64_t) override {}

private:
    int64_t FSizeToBeat;
    int64_t FCount = 0;
};

// Shows the up to three coding passes of a best choice as one climb from 0
// to 100: each pass fills its third of the range, and a choice settled in
// fewer passes jumps to 100 at the end. Installed in the archiver's
// OnShowProgress for the duration of one file.
class TPassProgress {
public:
    explicit TPassProgress(TShowProgressEvent& slot) : FSlot(slot), FUser(slot)
    {
        if (FUser)
            FSlot = [this](int32_t& percent) { Show(percent); };
    }
    ~TPassProgress() { FSlot = FUser; }
    TPassProgress(const TPassProgress&) = delete;
    TPassProgress& operator=(const TPassProgress&) = delete;

    void NextPass() { ++FPass; }
    // Reports 100 unless the last pass already did.
    void Finish()
    {
        if (FUser && !FFinished) {
            int32_t percent = 100;
            FUser(percent);
        }
    }
    bool Cancelled() const { return FCancelled; }

private:
    void Show(int32_t& percent)
    {
        const int32_t base = FPass * 33, span = FPass == 2 ? 34 : 33;
        int32_t shown = base + percent * span / 100;
        FFinished = shown == 100;
        FUser(shown);
        if (shown == -1) {
            FCancelled = true;
            percent = -1;
        }
    }

    TShowProgressEvent& FSlot;
    TShowProgressEvent FUser;
    int32_t FPass = 0;
    bool FFinished = false;
    bool FCancelled = false;
};

// Notes a cancel given through the archiver's OnShowProgress while one file
// is coded; passes every report on unchanged.
class TCancelWatch {
public:
    explicit TCancelWatch(TShowProgressEvent& slot) : FSlot(slot), FUser(slot)
    {
        if (FUser)
            FSlot = [this](int32_t& percent) {
                FUser(percent);
                FCancelled = FCancelled || percent == -1;
            };
    }
    ~TCancelWatch() { FSlot = FUser; }
    TCancelWatch(const TCancelWatch&) = delete;
    TCancelWatch& operator=(const TCancelWatch&) = delete;

    bool Cancelled() const { return FCancelled; }

private:
    TShowProgressEvent& FSlot;
    TShowProgressEvent FUser;
    bool FCancelled = false;
};

// Codes the file into dest; false when the coder gave up because its data
// would outgrow the budget (the file's size, or a probe's size to beat).
bool TryCode(TArchiver& archiver, TStream& dest, TStream& source, int32_t size, uint8_t method, int32_t& written,
             uint32_t& checksum)
{
    try {
        written = archiver.RunCodec(dest, source, size, size, method, checksum, TCodecDirection::cdCompress, false);
        return true;
    } catch (const EUnableToCompress&) {
        return false;
    }
}

} // namespace

// Where one file's bytes come from and where its data goes.
struct TArchiveWriter::TEntrySpan {
    TStream& Source;
    int64_t SourceStart;
    int32_t Size;
    int64_t DataStart;
};

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
        throw Exception("File too large for an archive entry: " + PrintableName(info.Name));
    if (info.Name.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max()))
        throw Exception("Name too long for an archive entry: " + PrintableName(info.Name));
    if (FTotalSize + size > MaxInt)
        throw Exception("Archive would expand to more than 2 GiB: " + PrintableName(info.Name));

    TEntryHeader& record = FLast.Header;
    record = TEntryHeader();
    FLast.Name = info.Name;
    record.NameLength = static_cast<int16_t>(info.Name.size());
    record.DateTime = info.DateTime;
    record.Attributes = info.Attributes;
    record.ExpandedSize = static_cast<int32_t>(size);
    // A placeholder until the data is out; MethodBest is never written.
    record.MethodIndex = methodIndex == MethodBest ? MethodLH5 : methodIndex;

    const int64_t recordPosition = FDest.Position();
    auto bytes = record.Pack();
    FDest.WriteBuffer(bytes.data(), EntryHeaderSize);
    FDest.WriteBuffer(info.Name.data(), record.NameLength);
    const int64_t dataStart = FDest.Position();

    uint32_t checksum = 0;
    TCancelWatch cancel(FArchiver.OnShowProgress);
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
        const TEntrySpan span{source, sourceStart, record.ExpandedSize, dataStart};
        uint8_t used = methodIndex;
        record.StoredSize = methodIndex == MethodBest ? CodeBest(span, used, checksum) : CodeOrStore(span, used, checksum);
        record.MethodIndex = used;
        record.LockMode = FArchiver.Key != 0 ? 2 : 0;
    }
    // A record must not claim the whole file over data cut short: the entry
    // would expand "successfully" into a short file.
    if (cancel.Cancelled())
        throw EEntryIncomplete(std::string("Coding cancelled: ").append(PrintableName(info.Name)));
    if (methodIndex != MethodCustom && source.Position() != sourceStart + size)
        throw EEntryIncomplete(std::string("File ended before its size was read: ").append(PrintableName(info.Name)));
    record.Checksum = checksum + (record.LockMode > 0 ? static_cast<uint32_t>(FArchiver.Key) : 0u);

    bytes = record.Pack();
    WriteAt(FDest, recordPosition, bytes.data(), EntryHeaderSize);
    FTotalSize += record.ExpandedSize;
    return FLast;
}

const TWrittenEntry& TArchiveWriter::AddCoded(const TWrittenEntry& entry, TStream& coded)
{
    if (FTotalSize + static_cast<int64_t>(entry.Header.ExpandedSize) > MaxInt)
        throw Exception("Archive would expand to more than 2 GiB: " + PrintableName(entry.Name));
    std::vector<uint8_t> buffer(64 * 1024);
    for (;;) {
        const int32_t n = coded.Read(buffer.data(), static_cast<int32_t>(buffer.size()));
        if (n <= 0)
            break;
        FDest.WriteBuffer(buffer.data(), n);
    }
    FLast = entry;
    FTotalSize += entry.Header.ExpandedSize;
    return FLast;
}

void TArchiveWriter::Restart(const TEntrySpan& span)
{
    FDest.SetSize(span.DataStart);
    FDest.SetPosition(span.DataStart);
    span.Source.SetPosition(span.SourceStart);
}

int32_t TArchiveWriter::CodeOrStore(const TEntrySpan& span, uint8_t& method, uint32_t& checksum)
{
    int32_t written = 0;
    if (TryCode(FArchiver, FDest, span.Source, span.Size, method, written, checksum))
        return written;
    // The coded data would be longer than the file: drop what the coder
    // flushed and store the file from its first byte.
    Restart(span);
    method = MethodStored;
    return FArchiver.RunCodec(FDest, span.Source, span.Size, span.Size, MethodStored, checksum,
                              TCodecDirection::cdCompress, false);
}

// LH5 goes straight into the archive; LZH is then tried against its size
// without keeping its output, and only a strictly smaller LZH result is
// coded again into the archive. So no file is ever held in memory, at the
// price of a third pass when LZH wins. When LH5 does not shrink the file,
// LZH goes straight into the archive, and the file is stored when neither
// does (an empty file included).
int32_t TArchiveWriter::CodeBest(const TEntrySpan& span, uint8_t& method, uint32_t& checksum)
{
    TPassProgress progress(FArchiver.OnShowProgress);
    int32_t lh5 = 0, lzh = 0;
    // A coder shrinks the file only when its data is strictly shorter;
    // otherwise storing gives the same size and the cheapest decoding.
    if (TryCode(FArchiver, FDest, span.Source, span.Size, MethodLH5, lh5, checksum) && lh5 < span.Size) {
        method = MethodLH5;
        // After a cancel no second coder is asked; AddFile refuses the
        // entry.
        bool keep = progress.Cancelled();
        const int64_t lh5End = span.Source.Position();
        if (!keep) {
            progress.NextPass();
            span.Source.SetPosition(span.SourceStart);
            TSizeProbe probe(lh5);
            uint32_t probeSum = 0;
            keep = !TryCode(FArchiver, probe, span.Source, span.Size, MethodLZH, lzh, probeSum) || lzh >= lh5 ||
                   progress.Cancelled();
        }
        if (keep) {
            span.Source.SetPosition(lh5End);
            progress.Finish();
            return lh5;
        }
        progress.NextPass();
        Restart(span);
        method = MethodLZH;
        return FArchiver.RunCodec(FDest, span.Source, span.Size, span.Size, MethodLZH, checksum,
                                  TCodecDirection::cdCompress, false);
    }
    progress.NextPass();
    Restart(span);
    if (TryCode(FArchiver, FDest, span.Source, span.Size, MethodLZH, lzh, checksum) && lzh < span.Size) {
        method = MethodLZH;
        progress.Finish();
        return lzh;
    }
    progress.NextPass();
    Restart(span);
    method = MethodStored;
    return FArchiver.RunCodec(FDest, span.Source, span.Size, span.Size, MethodStored, checksum,
                              TCodecDirection::cdCompress, false);
}

void TArchiveWriter::Finish()
{
    FHeader.TotalSize = FTotalSize;
    const auto bytes = FHeader.Pack();
    WriteAt(FDest, FHeaderPosition, bytes.data(), ArchiveHeaderSize);
}
