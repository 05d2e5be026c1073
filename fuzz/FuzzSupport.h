// Shared by the fuzz targets: fail loudly when a property does not hold.
// Codecs run over the fuzz bytes through the tests' channel harness.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/support/CodecHarness.h"

// Stops the run: the fuzzer records the input that got here.
#define FUZZ_CHECK(condition)                                                     \
    do {                                                                          \
        if (!(condition)) {                                                       \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                         \
        }                                                                         \
    } while (0)

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
