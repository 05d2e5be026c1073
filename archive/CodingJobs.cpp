#include "archive/CodingJobs.h"

#include <algorithm>

unsigned DefaultCodingJobs()
{
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : processors;
}

TCodingJobs::TCodingJobs(unsigned workers, size_t count, TWork work)
    : FWork(std::move(work)), FCount(count), FWindow(Window(workers)), FSlots(count)
{
    const size_t threads = std::min<size_t>(std::max<unsigned>(workers, 1), count);
    for (size_t i = 0; i < threads; ++i)
        FThreads.emplace_back([this] { Worker(); });
}

TCodingJobs::~TCodingJobs()
{
    {
        std::lock_guard<std::mutex> lock(FLock);
        FStopping = true;
    }
    FChanged.notify_all();
    for (std::thread& thread : FThreads)
        thread.join();
}

void TCodingJobs::Worker()
{
    std::unique_lock<std::mutex> lock(FLock);
    for (;;) {
        FChanged.wait(lock, [this] { return FStopping || FNext >= FCount || FNext < FWaited + FWindow; });
        if (FStopping || FNext >= FCount)
            return;
        const size_t index = FNext++;
        lock.unlock();
        const TReport report = [this, index](int32_t& percent) {
            {
                std::lock_guard<std::mutex> guard(FLock);
                if (FStopping) {
                    percent = -1;
                    return;
                }
                std::vector<int32_t>& figures = FSlots[index].Figures;
                // The caller shows a figure only when it changes.
                if (!figures.empty() && figures.back() == percent)
                    return;
                figures.push_back(percent);
            }
            FChanged.notify_all();
        };
        // The job keeps its failures for the caller; nothing may leave here.
        FWork(index, report);
        lock.lock();
        FSlots[index].Done = true;
        FChanged.notify_all();
    }
}

bool TCodingJobs::WaitStarted(size_t index)
{
    std::unique_lock<std::mutex> lock(FLock);
    FWaited = index;
    FChanged.notify_all();
    const TSlot& slot = FSlots[index];
    FChanged.wait(lock, [&slot] { return slot.Done || !slot.Figures.empty(); });
    return !slot.Figures.empty();
}

void TCodingJobs::WaitDone(size_t index, const std::function<void(int32_t)>& show)
{
    std::unique_lock<std::mutex> lock(FLock);
    FWaited = index;
    FChanged.notify_all();
    TSlot& slot = FSlots[index];
    for (;;) {
        FChanged.wait(lock, [&slot] { return slot.Done || slot.Shown < slot.Figures.size(); });
        while (slot.Shown < slot.Figures.size()) {
            const int32_t percent = slot.Figures[slot.Shown++];
            if (show) {
                lock.unlock();
                show(percent);
                lock.lock();
            }
        }
        if (slot.Done && slot.Shown == slot.Figures.size())
            break;
    }
    slot.Figures = {};
    // This job is the caller's now: the window moves on.
    FWaited = index + 1;
    FChanged.notify_all();
}

int32_t TBoundedSpool::Write(const void* buffer, int32_t count)
{
    if (count > 0 && static_cast<size_t>(Position()) + static_cast<size_t>(count) > FLimit)
        throw ESpoolFull();
    return TMemoryStream::Write(buffer, count);
}

void TBoundedSpool::SetSize(int64_t size)
{
    if (size > 0 && static_cast<size_t>(size) > FLimit)
        throw ESpoolFull();
    TMemoryStream::SetSize(size);
}
