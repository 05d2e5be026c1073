#include "tools/vkar/VkarExpandJobs.h"

#include <algorithm>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/Archiver.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "tools/vkar/VkarJobs.h"
#include "tools/vkar/VkarSharedSource.h"

namespace {

struct TRecord {
    TEntryHeader Header;
    std::string Name;
    int64_t DataStart = 0;
};

// The records as they follow one another when each entry's data is read to
// its stored size, which is how a sound archive is read; reading them has no
// effect, so the workers may run ahead of the walk. The walk itself reads
// the records again as the engine does, and leaves these behind when a
// decoder stops elsewhere (data padded past what the decoder takes).
std::vector<TRecord> ReadRecords(TArchiver& archiver, TStream& archive)
{
    std::vector<TRecord> records;
    TRecord record;
    while (archiver.ReadEntryHeader(archive, record.Header, record.Name)) {
        record.DataStart = archive.Position();
        records.push_back(record);
        archive.Seek(record.Header.StoredSize, TSeekOrigin::soCurrent);
    }
    return records;
}

// One entry decoded apart: its bytes as far as the decoder wrote them, and
// its failure; or left to the walk (Direct) when it would not fit in memory.
struct TDecoded {
    bool Direct = false;
    std::unique_ptr<TVkarSpool> Bytes;
    std::exception_ptr Error;
    int64_t End = 0; // where the decoder stopped reading
};

void DecodeApart(const TArchiver& walker, TVkarSharedSource& source, const TRecord& record,
                 const std::string& compressID, size_t limit, const TVkarJobs::TReport& report, TDecoded& slot)
{
    const TEntryHeader& entry = record.Header;
    if (static_cast<size_t>(entry.ExpandedSize) > limit) {
        slot.Direct = true;
        return;
    }
    try {
        TArchiver archiver(NativeFileSystem());
        archiver.Key = walker.Key;
        archiver.OnShowProgress = [&report](int32_t& percent) { report(percent); };
        TVkarSourceReader data(source, record.DataStart);
        slot.Bytes = std::make_unique<TVkarSpool>(limit);
        archiver.ExpandEntry(*slot.Bytes, data, entry.StoredSize, entry.ExpandedSize, entry.Checksum,
                             entry.MethodIndex, compressID, entry.LockMode);
        slot.End = data.Position();
    } catch (const EVkarSpoolFull&) {
        slot.Bytes.reset();
        slot.Direct = true;
    } catch (...) {
        slot.Error = std::current_exception();
    }
}

void WriteOut(TStream& file, const TVkarSpool& bytes)
{
    const std::vector<uint8_t>& data = bytes.Bytes();
    if (!data.empty())
        file.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
}

} // namespace

void VkarExpandInParallel(TArchiver& archiver, TVkarSharedSource& source, TStream& archive, const TStringList* list,
                          unsigned workers)
{
    const int64_t archiveStart = archive.Position();
    const TArchiveHeader header = archiver.ReadArchiveHeader(archive);
    const std::string compressID = header.Identifier();
    const int64_t recordsStart = archive.Position();
    const std::vector<TRecord> records = ReadRecords(archiver, archive);
    archive.SetPosition(recordsStart);

    // Only entries the walk would expand are decoded ahead.
    std::vector<bool> wanted(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        wanted[i] = (list == nullptr || TArchiver::NameInList(*list, records[i].Name)) &&
                    !IsUnsafeArchiveName(records[i].Name);
    // One entry leaves nothing to do side by side: decoding it apart would
    // only add the copy through memory.
    if (std::count(wanted.begin(), wanted.end(), true) < 2) {
        TStringList names;
        if (list != nullptr)
            for (int i = 0; i < list->Count(); ++i)
                names.Add((*list)[i]);
        archive.SetPosition(archiveStart);
        archiver.ExpandArchive(archive, list != nullptr ? &names : nullptr);
        return;
    }
    std::vector<TDecoded> slots(records.size());
    const size_t limit = TVkarJobs::BytesPerJob(workers);
    TVkarJobs jobs(workers, records.size(), [&](size_t index, const TVkarJobs::TReport& report) {
        if (wanted[index])
            DecodeApart(archiver, source, records[index], compressID, limit, report, slots[index]);
    });
    const std::function<void(int32_t)> show = [&archiver](int32_t percent) {
        if (archiver.OnShowProgress)
            archiver.OnShowProgress(percent);
    };
    TFileSystem& disk = archiver.FileSystem();

    // The job decoded ahead for the record at dataStart, if any: jobs are
    // taken in order, and none once the walk has left the records above.
    size_t nextJob = 0;
    const auto takeJob = [&](int64_t dataStart, bool shown) -> TDecoded* {
        if (nextJob >= records.size())
            return nullptr;
        if (records[nextJob].DataStart != dataStart) {
            nextJob = records.size();
            return nullptr;
        }
        jobs.WaitDone(nextJob, shown ? show : std::function<void(int32_t)>());
        return &slots[nextJob++];
    };

    // From here on, ExpandArchive's walk.
    int64_t total = 0, walked = 0;
    bool truncated = false;
    TEntryHeader entry;
    std::string name;
    for (;;) {
        if (!archiver.ReadEntryHeader(archive, entry, name)) {
            truncated = walked < header.TotalSize;
            break;
        }
        if (total >= header.TotalSize)
            break;
        const int64_t dataStart = archive.Position();
        walked += entry.ExpandedSize;
        if (list != nullptr && !TArchiver::NameInList(*list, name)) {
            takeJob(dataStart, false);
            archive.Seek(entry.StoredSize, TSeekOrigin::soCurrent);
            total += entry.ExpandedSize;
            continue;
        }
        if (IsUnsafeArchiveName(name))
            throw EUnsafePath(SUnsafePath + PrintableName(name));

        std::string path = ToNativePath(!name.empty() && name[0] == '\\' ? name : archiver.TargetPath() + name);
        if (archiver.OnCheckFile) {
            archiver.OnCheckFile(path, cpExpanding);
            if (path.empty()) {
                takeJob(dataStart, false);
                archive.Seek(entry.StoredSize, TSeekOrigin::soCurrent);
                continue;
            }
            if (path == "*")
                break;
        }
        if (archiver.SpaceAvailable(path) < entry.ExpandedSize)
            throw EInsufficientDiskSpace(SInsufficientDiskSpace + PrintableName(path));
        if (archiver.MakeDirectories)
            MakeDirectoryLevels(disk, ExtractFilePath(path), NativePathRules);

        std::unique_ptr<TFileStream> file;
        try {
            file = disk.CreateAlways(path);
        } catch (const EFCreateError&) {
            if (archiver.ExceptionOnFileError)
                throw;
            takeJob(dataStart, false);
            archive.Seek(entry.StoredSize, TSeekOrigin::soCurrent);
            continue;
        }

        const int32_t attributes = entry.Attributes; // widened with its sign
        try {
            TDecoded* slot = takeJob(dataStart, true);
            if (slot == nullptr || slot->Direct) {
                archiver.ExpandEntry(*file, archive, entry.StoredSize, entry.ExpandedSize, entry.Checksum,
                                     entry.MethodIndex, compressID, entry.LockMode);
            } else {
                // What the decoder wrote before it failed is left in the
                // file, as when it writes there itself.
                if (slot->Bytes)
                    WriteOut(*file, *slot->Bytes);
                if (slot->Error)
                    std::rethrow_exception(slot->Error);
                archive.SetPosition(slot->End);
                *slot = TDecoded();
            }
        } catch (const EInvalidKey&) {
            file.reset();
            disk.RemoveFile(path);
            throw;
        } catch (...) {
            file.reset();
            disk.SetAttributes(path, attributes);
            throw;
        }
        // A method with no codec reads none of its data; step over it.
        if (!(entry.MethodIndex <= MethodLH5 && (entry.MethodIndex != MethodCustom || archiver.OnExpand)))
            archive.Seek(entry.StoredSize, TSeekOrigin::soCurrent);
        file->SetDosDateTime(entry.DateTime);
        file.reset();
        disk.SetAttributes(path, attributes);
        total += entry.ExpandedSize;
    }
    if (truncated)
        throw ETruncatedArchive(STruncatedArchive);
}
