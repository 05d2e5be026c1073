// Method 2 ("LZH"): the constants, the adaptive Huffman model and the fixed
// position code that the decoder and the encoder share. Both sides must feed
// the model the same symbols in the same order to stay in step.
#pragma once

#include <array>
#include <cstdint>

namespace LZH {

// The i686 build passes the arguments of the hottest out-of-line call in
// registers rather than on the stack.
#if defined(__i386__)
#define LZH_REGISTER_ARGUMENTS __attribute__((regparm(3)))
#else
#define LZH_REGISTER_ARGUMENTS
#endif

inline constexpr int WindowSize = 4096;
inline constexpr int WindowMask = WindowSize - 1;
inline constexpr int MaxMatch = 60;
inline constexpr int Threshold = 2;
// Symbols 0..255 are literal bytes, 256..313 match lengths 3..60.
inline constexpr int SymbolCount = 256 - Threshold + MaxMatch;
inline constexpr int NodeCount = 2 * SymbolCount - 1;
inline constexpr int Root = NodeCount - 1;
inline constexpr int FirstLength = 256;
inline constexpr int LengthBias = FirstLength - (Threshold + 1);
inline constexpr unsigned MaxFreq = 0x8000;
inline constexpr int StartPosition = WindowSize - MaxMatch;
inline constexpr uint8_t FillByte = 0x20;
// Bytes past the ring that mirror its start for the encoder's comparisons.
inline constexpr int WindowAllocation = WindowSize + MaxMatch;

// The code of the upper six bits of a match position: canonical, lengths 3..8.
struct TPositionCode {
    uint8_t Code;   // right-aligned
    uint8_t Length;
};

constexpr std::array<TPositionCode, 64> MakePositionCodeTable()
{
    std::array<TPositionCode, 64> table{};
    unsigned code = 0;
    unsigned length = 3;
    for (unsigned u = 0; u < 64; ++u) {
        const unsigned wanted = u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
        if (u > 0) {
            ++code;
            code <<= wanted - length;
        }
        length = wanted;
        table[u] = {static_cast<uint8_t>(code), static_cast<uint8_t>(length)};
    }
    return table;
}

inline constexpr std::array<TPositionCode, 64> PositionCodeTable = MakePositionCodeTable();

// Indexed by the next eight stream bits: the upper six position bits and the
// length of their code.
struct TPositionDecodeTables {
    std::array<uint8_t, 256> Upper{};
    std::array<uint8_t, 256> Length{};
};

constexpr TPositionDecodeTables MakePositionDecodeTables()
{
    TPositionDecodeTables tables{};
    for (unsigned u = 0; u < 64; ++u) {
        const unsigned shift = 8 - PositionCodeTable[u].Length;
        const unsigned first = static_cast<unsigned>(PositionCodeTable[u].Code) << shift;
        for (unsigned v = first; v < first + (1u << shift); ++v) {
            tables.Upper[v] = static_cast<uint8_t>(u);
            tables.Length[v] = PositionCodeTable[u].Length;
        }
    }
    return tables;
}

inline constexpr TPositionDecodeTables PositionDecodeTables = MakePositionDecodeTables();

// The counts: the nodes', then the sentinel 0xFFFF above the root and eight
// more of it, as MoveUp looks at up to nine places past a node.
inline constexpr int FreqEntries = NodeCount + 9;

// The adaptive tree. Nodes are kept sorted by frequency; siblings occupy
// indices k and k + 1 with k even, so a node's low index bit is its code bit.
// The values would fit 16 bits; 32-bit entries spare the i686 build 16-bit
// stores and compares in its hottest loops.
struct TLZHModel {
    uint32_t FFreq[FreqEntries];            // from NodeCount on: sentinel 0xFFFF
    int32_t FSon[NodeCount];                // first child, or NodeCount + symbol for a leaf
    int32_t FParent[NodeCount + SymbolCount]; // parents; then the leaf of each symbol
    // Two levels of the walk in one load: entry 2n + b is FSon[FSon[n] + b]
    // for a node n whose son is not a leaf (the walk stops at a leaf before
    // it needs the entries of one). From the sibling pair at k the next two
    // code bits x select entry 2k + x.
    int32_t FGrandson[2 * NodeCount];

    void StartModel();
    void RebuildModel();

    // Counts one occurrence of symbol and restores the frequency order.
    void UpdateModel(int symbol)
    {
        if (FFreq[Root] == MaxFreq)
            RebuildModel();
        int c = FParent[symbol + NodeCount];
        do {
            const unsigned k = ++FFreq[c];
            if (k > FFreq[c + 1])
                c = MoveUp(c, k);
            c = FParent[c];
        } while (c != 0);
    }

    // The same, given the nodes from just below the root down to the
    // symbol's leaf, as a decoder's walk passed them: up to the first
    // exchange the parents are known without loading them.
    void UpdateAlong(const int32_t* path, int depth, int symbol)
    {
        if (FFreq[Root] == MaxFreq) {
            UpdateModel(symbol);
            return;
        }
        for (int i = depth - 1; i >= 0; --i) {
            const int c = path[i];
            const unsigned k = ++FFreq[c];
            if (k > FFreq[c + 1]) {
                for (int n = FParent[MoveUp(c, k)]; n != 0; n = FParent[n]) {
                    const unsigned m = ++FFreq[n];
                    if (m > FFreq[n + 1])
                        n = MoveUp(n, m);
                }
                return;
            }
        }
        ++FFreq[Root]; // the sentinel above it is never reached
    }

private:
    LZH_REGISTER_ARGUMENTS int MoveUp(int c, unsigned k);
    void SetGrandsons(int n)
    {
        const int s = FSon[n];
        if (s < NodeCount) {
            FGrandson[2 * n] = FSon[s];
            FGrandson[2 * n + 1] = FSon[s + 1];
        }
    }
    // FSon[n] has changed: n's own entries and its parent's entry through n.
    void SonChanged(int n)
    {
        SetGrandsons(n);
        FGrandson[2 * FParent[n] + (n & 1)] = FSon[n];
    }
    void SetAllGrandsons();
};

} // namespace LZH
