// Shared by the fuzz targets: run one codec over fuzz bytes and fail loudly
// when a property does not hold.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "codecs/CodecState.h"
#include "platform/Stream.h"

// Stops the run: the fuzzer records the input that got here.
#define FUZZ_CHECK(condition)                                                     \
    do {                                                                          \
        if (!(condition)) {                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                         \
        }                                                                         \
    } while (0)

// Runs routine over input through a fresh channel; returns what it wrote.
template <typename TRoutine>
std::vector<uint8_t> RunFuzzCodec(const uint8_t* data, size_t size, bool compressing, TRoutine routine)
{
    TCodecState codec;
    TReadOnlyMemoryStream source(data, static_cast<int64_t>(size));
    TMemoryStream dest;
    codec.BeginChannel(source, dest, static_cast<int32_t>(size), compressing);
    try {
        routine(codec);
        codec.FlushOutput();
    } catch (...) {
        codec.EndChannel();
        throw;
    }
    codec.EndChannel();
    return dest.Bytes();
}

// The expanded size a decoder target is asked for: the first two bytes.
inline int32_t FuzzExpandedSize(const uint8_t*& data, size_t& size)
{
    if (size < 2)
        return 0;
    const int32_t n = data[0] | (data[1] << 8);
    data += 2;
    size -= 2;
    return n;
}
