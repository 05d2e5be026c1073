// A test-only, bit-at-a-time reader of method 4 ("LH5") streams that keeps
// what a decoder throws away: each block's length lists as sent (the T
// symbols of the C list with their extra fields) and its symbols. Tests use
// it to see how the coder chose to write something a round trip cannot
// tell apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/support/LH5StreamWriter.h"

// One entry of the C length list: a T symbol and, for T 1 and 2, the value
// of the run field that follows (-1 for none).
struct TLH5CListItem {
    int T = 0;
    int Extra = -1;
    bool operator==(const TLH5CListItem&) const = default;
};

struct TLH5ReadBlock {
    uint32_t Count = 0;              // as sent (0 stands for 65536)
    int TSingle = -1;                // the single-symbol form's symbol, or -1
    std::vector<uint8_t> TLengths;   // explicit form, as many as sent
    int CSingle = -1;
    std::vector<TLH5CListItem> CItems;
    std::vector<uint8_t> CLengths;   // all 510
    int PSingle = -1;
    std::vector<uint8_t> PLengths;
    std::vector<TLH5Symbol> Symbols;
};

// Reads blocks until their symbols cover expandedSize bytes. Throws
// std::runtime_error on a stream it cannot follow.
std::vector<TLH5ReadBlock> ReadLH5Blocks(const std::vector<uint8_t>& stream, size_t expandedSize);
