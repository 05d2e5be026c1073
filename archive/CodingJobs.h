// Coding and decoding on several cores: entries are worked on by several threads, each with its
// own archiver (and so its own codec state), while the caller takes their
// results strictly in archive order. What a worker produces is held in
// memory until the caller takes it, so the number of entries in flight and
// the bytes each may hold are capped.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Stream.h"

// The number of entries worked on at once by default: one per processor (1
// when the system does not say).
unsigned DefaultCodingJobs();

// At most this many bytes of coded or expanded data are held in memory by
// all the entries in flight together; an entry that needs more than its
// share is done by the caller itself, in its turn, as with one job.
inline constexpr size_t CodingInFlightBytes = size_t{256} << 20;

// Runs work(index, report) for jobs 0 .. count-1 on workers threads, starting
// no job more than window jobs ahead of the one the caller waits for. report
// records a progress figure of the job (and turns it into -1, a cancel, once
// the jobs are being stopped); the caller sees each figure of job i in order
// while it waits for it.
class TCodingJobs {
public:
    using TReport = std::function<void(int32_t& percent)>;
    using TWork = std::function<void(size_t index, const TReport& report)>;

    TCodingJobs(unsigned workers, size_t count, TWork work);
    // Starts no more jobs, cancels those running and waits for them.
    ~TCodingJobs();
    TCodingJobs(const TCodingJobs&) = delete;
    TCodingJobs& operator=(const TCodingJobs&) = delete;

    // How many jobs may be in flight with workers threads, two more than the
    // workers so that each can start its next job while the caller takes
    // the one before; and the bytes each may hold in memory.
    static size_t Window(unsigned workers) { return static_cast<size_t>(workers < 1 ? 1 : workers) + 2; }
    static size_t BytesPerJob(unsigned workers) { return CodingInFlightBytes / Window(workers); }

    // Waits until job index has reported a figure (true) or ended without
    // one (false). Jobs must be waited for in order.
    bool WaitStarted(size_t index);
    // Passes each figure of job index to show as it arrives, until the job
    // has ended; the next job may then start beyond the window.
    void WaitDone(size_t index, const std::function<void(int32_t)>& show);

private:
    struct TSlot {
        std::vector<int32_t> Figures;
        size_t Shown = 0;
        bool Done = false;
    };
    void Worker();

    TWork FWork;
    size_t FCount;
    size_t FWindow;
    std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<TSlot> FSlots;
    size_t FNext = 0;    // the next job to start
    size_t FWaited = 0;  // the job the caller waits for, or takes next
    bool FStopping = false;
    std::vector<std::thread> FThreads;
};

// A memory stream that refuses to grow past a limit: the worker then leaves
// the entry to the caller.
struct ESpoolFull {};
class TBoundedSpool : public TMemoryStream {
public:
    explicit TBoundedSpool(size_t limit) : FLimit(limit) {}
    int32_t Write(const void* buffer, int32_t count) override;
    void SetSize(int64_t size) override;

private:
    size_t FLimit;
};
