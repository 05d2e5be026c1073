// Runs one decoder over fuzz bytes the way the engine does, with guards: the
// source holds bytes past the entry's data that the decoder must never take,
// and the destination stops the run at the first byte beyond the limit.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "codecs/CodecState.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Stream.h"

// A destination that refuses to grow past Limit bytes.
class TLimitedStream : public TMemoryStream {
public:
    explicit TLimitedStream(int64_t limit) : FLimit(limit) {}
    int32_t Write(const void* buffer, int32_t count) override
    {
        FUZZ_CHECK(Position() + count <= FLimit);
        return TMemoryStream::Write(buffer, count);
    }

private:
    int64_t FLimit;
};

struct TGuardedRun {
    std::vector<uint8_t> Output;
    bool ReadPastData = false; // it used bits beyond its data (and stopped)
};

// Decodes data[0, size) with `decode`, allowing at most outputLimit bytes.
// Exceptions of the decoder pass through.
inline TGuardedRun GuardedDecode(const std::function<void(TCodecState&)>& decode, const uint8_t* data,
                                          size_t size, int64_t outputLimit)
{
    constexpr size_t Guard = 64;
    std::vector<uint8_t> bytes(data, data + size);
    bytes.insert(bytes.end(), Guard, 0xA5);
    TMemoryStream source(std::move(bytes));
    TLimitedStream dest(outputLimit);
    TCodecState codec;
    codec.BeginChannel(source, dest, static_cast<int32_t>(size), false);
    try {
        decode(codec);
        codec.FlushOutput();
    } catch (...) {
        codec.EndChannel();
        FUZZ_CHECK(source.Position() <= static_cast<int64_t>(size));
        throw;
    }
    const bool readPast = codec.FReadPastData;
    codec.EndChannel();
    FUZZ_CHECK(source.Position() <= static_cast<int64_t>(size));
    return {dest.Bytes(), readPast};
}
