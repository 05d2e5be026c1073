// Deterministic data sets shared by the round-trip tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// English-like text: words from a fixed vocabulary with punctuation and lines.
std::vector<uint8_t> MakeText(size_t size, uint32_t seed = 1);
// x86-like code: opcode-shaped bytes, repeated instruction patterns, small
// immediates and addresses.
std::vector<uint8_t> MakeBinary(size_t size, uint32_t seed = 2);
// Bytes that no method can shrink.
std::vector<uint8_t> MakeRandom(size_t size, uint32_t seed = 3);
// Long runs of a few byte values, 0x94 among them.
std::vector<uint8_t> MakeRuns(size_t size, uint32_t seed = 4);
