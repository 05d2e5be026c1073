// One archive read by several threads: each reader is a stream of its own
// with its own position, and every read takes the archive for itself.
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/Stream.h"

class TSharedSource {
public:
    explicit TSharedSource(TStream& archive) : FArchive(archive) {}

    int32_t ReadAt(int64_t position, void* buffer, int32_t count);
    int64_t Size();

private:
    TStream& FArchive;
    std::mutex FLock;
};

// A read-only stream over the shared archive.
class TSharedSourceReader : public TStream {
public:
    TSharedSourceReader(TSharedSource& source, int64_t position) : FSource(source), FPosition(position) {}

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

private:
    TSharedSource& FSource;
    int64_t FPosition;
};
