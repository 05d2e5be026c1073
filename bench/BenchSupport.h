// Coded data and archives for the benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/DiscardFileSystem.h"

// The data of one entry coded with method (no size budget).
std::vector<uint8_t> EncodeForBench(uint8_t method, const std::vector<uint8_t>& input);
// An archive of mixed entries (text, code, small files) coded with method.
std::vector<uint8_t> MakeBenchArchive(uint8_t method);
// Codes size bytes of text with LZH into a temporary file, expands it to a
// discarding disk, and returns how far the resident set grew meanwhile (MiB).
double MeasureLargeEntryExpansion(int64_t size);
// Writes data to a file in the temporary directory; "" when it cannot.
std::string WriteBenchFile(const std::vector<uint8_t>& data, const std::string& name);
// Runs the system's gzip -6 over the file and returns the size of its
// output, or -1 when gzip is missing or fails. The reference figure for
// the coders' speed and ratio.
int64_t GzipCompressedSize(const std::string& path);
