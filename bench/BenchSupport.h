// Coded data and archives for the benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/DiscardFileSystem.h"

// The data of one entry coded with method (no size budget).
std::vector<uint8_t> EncodeForBench(uint8_t method, const std::vector<uint8_t>& input);
// An archive of mixed entries (text, code, small files) coded with method.
std::vector<uint8_t> MakeBenchArchive(uint8_t method);
// Codes size bytes of text with LZH into a temporary file, expands it to a
// discarding disk, and returns how far the resident set grew meanwhile (MiB).
double MeasureLargeEntryExpansion(int64_t size);
