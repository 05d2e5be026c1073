#include "archive/DecodeAhead.h"

#include <exception>
#include <memory>
#include <string>

#include "archive/ArchiveRecords.h"
#include "archive/CodingJobs.h"
#include "archive/SharedSource.h"
#include "platform/FileSystem.h"

namespace {

struct TRecord {
    TEntryHeader Header;
    std::string Name;
    int64_t DataStart = 0;
};

// The records up to the first that the walk will refuse; reading them has
// no effect, so the workers may run ahead of the walk.
std::vector<TRecord> ReadRecords(TStream& archive, int32_t total)
{
    // The walk itself meets any damage in its turn.
    std::vector<TRecord> records;
    TArchiveRecords walk(archive, total);
    TRecord record;
    while (walk.Next(record.Header, record.Name)) {
        record.DataStart = walk.DataStart();
        records.push_back(record);
        walk.SkipToNext();
    }
    return records;
}

// One entry decoded apart: its bytes as far as the decoder wrote them, and
// its failure; or left to the walk (Direct) when it would not fit in memory.
struct TDecoded {
    bool Direct = false;
    std::unique_ptr<TBoundedSpool> Bytes;
    std::exception_ptr Error;
};

class TDecodeAhead : public TDecodedBytesProvider {
public:
    TDecodeAhead(const TArchiver& walker, TSharedSource& source, std::vector<TRecord> records,
                 std::vector<bool> wanted, const std::string& compressID, unsigned jobs)
        : FRecords(std::move(records)), FWanted(std::move(wanted)), FSlots(FRecords.size()),
          FJobs(jobs, FRecords.size(), [this, &walker, &source, compressID, jobs](size_t index,
                                                                                 const TCodingJobs::TReport& report) {
              if (FWanted[index])
                  Decode(walker, source, FRecords[index], compressID, TCodingJobs::BytesPerJob(jobs), report,
                         FSlots[index]);
          })
    {
    }

    bool Provide(int64_t dataStart, TStream& dest, const TShowProgressEvent& handler) override
    {
        const std::function<void(int32_t)> show = [&handler](int32_t percent) {
            if (handler)
                handler(percent);
        };
        TDecoded* slot = Take(dataStart, show);
        if (slot == nullptr || slot->Direct)
            return false;
        const TDecoded decoded = std::move(*slot);
        *slot = TDecoded();
        // What the decoder wrote before it failed is written too, as when
        // it writes to the file itself.
        if (decoded.Bytes && !decoded.Bytes->Bytes().empty())
            dest.WriteBuffer(decoded.Bytes->Bytes().data(), static_cast<int32_t>(decoded.Bytes->Bytes().size()));
        if (decoded.Error)
            std::rethrow_exception(decoded.Error);
        return true;
    }

    void Pass(int64_t dataStart) override
    {
        if (TDecoded* slot = Take(dataStart, nullptr))
            *slot = TDecoded();
    }

private:
    static void Decode(const TArchiver& walker, TSharedSource& source, const TRecord& record,
                       const std::string& compressID, size_t limit, const TCodingJobs::TReport& report, TDecoded& slot)
    {
        if (static_cast<size_t>(record.Header.ExpandedSize) > limit) {
            slot.Direct = true;
            return;
        }
        try {
            TArchiver archiver(NativeFileSystem());
            archiver.Key = walker.Key;
            archiver.OnExpand = walker.OnExpand;
            archiver.OnShowProgress = [&report](int32_t& percent) { report(percent); };
            TSharedSourceReader data(source, record.DataStart);
            slot.Bytes = std::make_unique<TBoundedSpool>(limit);
            archiver.ExpandEntry(*slot.Bytes, data, record.Header, compressID);
        } catch (const ESpoolFull&) {
            slot.Bytes.reset();
            slot.Direct = true;
        } catch (...) {
            slot.Error = std::current_exception();
        }
    }

    // The job of the entry at dataStart: jobs are taken in order, and none
    // once the walk has left the records read ahead.
    TDecoded* Take(int64_t dataStart, const std::function<void(int32_t)>& show)
    {
        if (FNext >= FRecords.size())
            return nullptr;
        if (FRecords[FNext].DataStart != dataStart) {
            FNext = FRecords.size();
            return nullptr;
        }
        FJobs.WaitDone(FNext, show);
        return &FSlots[FNext++];
    }

    std::vector<TRecord> FRecords;
    std::vector<bool> FWanted;
    std::vector<TDecoded> FSlots;
    size_t FNext = 0;
    TCodingJobs FJobs; // last: its workers stop before the slots go
};

} // namespace

std::vector<TEntryResult> ExpandArchiveOnCores(TArchiver& archiver, TStream& stream, TStringList* list, unsigned jobs)
{
    const int64_t start = stream.Position();
    if (jobs > 1 && stream.Size() - start >= ArchiveHeaderSize) {
        const TArchiveHeader header = archiver.ReadArchiveHeader(stream);
        std::vector<TRecord> records = ReadRecords(stream, header.TotalSize);
        std::vector<bool> wanted(records.size());
        size_t count = 0;
        for (size_t i = 0; i < records.size(); ++i) {
            wanted[i] = (list == nullptr || TArchiver::NameInList(*list, records[i].Name)) &&
                        !IsUnsafeArchiveName(records[i].Name);
            count += wanted[i] ? 1 : 0;
        }
        // One entry leaves nothing to do side by side: decoding it apart
        // would only add the copy through memory.
        if (count >= 2) {
            TSharedSource source(stream);
            TSharedSourceReader reader(source, start);
            TDecodeAhead ahead(archiver, source, std::move(records), std::move(wanted), header.Identifier(), jobs);
            return archiver.ExpandArchive(reader, list, &ahead);
        }
    }
    stream.SetPosition(start);
    return archiver.ExpandArchive(stream, list);
}
