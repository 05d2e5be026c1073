#include "archive/CodeAhead.h"

#include <exception>
#include <optional>

#include "archive/CodingJobs.h"
#include "platform/FileSystem.h"

namespace {

bool Changed(const TSourceToCode& source)
{
    return source.File && source.File->Size() - source.Start != source.Size;
}

// What a worker made of one file: the entry coded apart into memory, or the
// file left open for the caller to code in its turn (too large to hold), or
// the failure to raise in its turn.
struct TCodedSource {
    std::optional<TSourceToCode> Opened;
    bool Direct = false;
    std::unique_ptr<TBoundedSpool> Coded;
    TWrittenEntry Written;
    bool Changed = false;
    std::exception_ptr Error;
};

void CodeApart(const TArchiver& settings, const std::function<TSourceToCode(size_t)>& open, size_t index,
               uint8_t method, const std::string& identifier, size_t limit, const TCodingJobs::TReport& report,
               TCodedSource& slot)
{
    try {
        slot.Opened = open(index);
        TSourceToCode& opened = *slot.Opened;
        // Coded data is never longer than the file, which would be stored.
        const int64_t room = static_cast<int64_t>(limit) - ArchiveHeaderSize - EntryHeaderSize -
                             static_cast<int64_t>(opened.Info.Name.size());
        if (opened.Size > room) {
            slot.Direct = true;
            return;
        }
        TArchiver archiver(NativeFileSystem());
        archiver.Coders = settings.Coders;
        archiver.Key = settings.Key;
        archiver.OnCompress = settings.OnCompress;
        archiver.OnShowProgress = [&report](int32_t& percent) { report(percent); };
        auto spool = std::make_unique<TBoundedSpool>(limit);
        TArchiveWriter writer(archiver, *spool, identifier);
        slot.Written = writer.AddFile(opened.Info, *opened.File, method);
        slot.Changed = Changed(opened);
        opened.File.reset();
        spool->SetPosition(ArchiveHeaderSize);
        slot.Coded = std::move(spool);
    } catch (const ESpoolFull&) {
        slot.Direct = true;
    } catch (...) {
        slot.Error = std::current_exception();
    }
}

void AddOneByOne(TArchiveWriter& writer, size_t count, const std::function<TSourceToCode(size_t)>& open,
                 uint8_t method, const TCodingEvents& events)
{
    for (size_t i = 0; i < count; ++i) {
        TSourceToCode opened = open(i);
        if (events.Begin)
            events.Begin(i, opened.Size);
        const TWrittenEntry& written = writer.AddFile(opened.Info, *opened.File, method);
        if (events.Done)
            events.Done(i, written, Changed(opened));
    }
}

} // namespace

void AddFilesOnCores(TArchiveWriter& writer, const TArchiver& settings, size_t count,
                     const std::function<TSourceToCode(size_t index)>& open, uint8_t method, unsigned jobs,
                     const TCodingEvents& events)
{
    if (jobs <= 1 || count <= 1) {
        AddOneByOne(writer, count, open, method, events);
        return;
    }
    const std::string identifier = writer.Identifier();
    std::vector<TCodedSource> slots(count);
    const size_t limit = TCodingJobs::BytesPerJob(jobs);
    TCodingJobs workers(jobs, count, [&](size_t index, const TCodingJobs::TReport& report) {
        CodeApart(settings, open, index, method, identifier, limit, report, slots[index]);
    });
    const std::function<void(int32_t)> show = [&events](int32_t percent) {
        if (events.Progress)
            events.Progress(percent);
    };
    for (size_t i = 0; i < count; ++i) {
        TCodedSource& slot = slots[i];
        // The first figure comes once the file is open and its size known.
        const bool started = workers.WaitStarted(i);
        if (!started)
            workers.WaitDone(i, nullptr);
        if (!slot.Opened)
            std::rethrow_exception(slot.Error);
        if (events.Begin)
            events.Begin(i, slot.Opened->Size);
        if (started)
            workers.WaitDone(i, show);
        const TWrittenEntry* written = nullptr;
        if (slot.Direct) {
            TSourceToCode& opened = *slot.Opened;
            opened.File->SetPosition(opened.Start);
            written = &writer.AddFile(opened.Info, *opened.File, method);
            slot.Changed = Changed(opened);
        } else {
            if (slot.Error)
                std::rethrow_exception(slot.Error);
            written = &writer.AddCoded(slot.Written, *slot.Coded);
        }
        if (events.Done)
            events.Done(i, *written, slot.Changed);
        slot = TCodedSource();
    }
}
