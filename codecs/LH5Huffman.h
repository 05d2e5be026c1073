// Huffman codes of the LH5 coder, built from one block's frequencies: a heap
// of the symbols, lengths limited to 16 bits, canonical codes left-aligned in
// 16 bits. The tie rules are fixed, so the same frequencies always give the
// same lengths.
#pragma once

#include <cstdint>

#include "codecs/LH5Format.h"

inline constexpr int LH5MaxCodeLength = LH5::MaxCodeLength;
// The largest symbol count (the C list).
inline constexpr int LH5MaxSymbols = LH5::NC;

class TLH5Huffman {
public:
    // Fills len[0..n-1] and the codes of the symbols with a length; freq
    // needs room for 2n - 1 entries (the tree's nodes follow the symbols).
    // Returns the root, a node number of n or more; when fewer than two
    // symbols occur, returns the one symbol (0 when none) with no lengths
    // set, and the caller sends the single-symbol form.
    int MakeTree(int n, uint16_t* freq, uint8_t* len, uint16_t* code);

    uint16_t FLeft[2 * LH5MaxSymbols - 1];
    uint16_t FRight[2 * LH5MaxSymbols - 1];

private:
    void DownHeap(int i);
    void CountLen(int i);
    void MakeLen(int root);
    void MakeCode(int n, const uint8_t* len, uint16_t* code);

    uint8_t FDepth = 0;
    int FHeap[LH5MaxSymbols + 1];
    int FHeapSize = 0;
    int FTreeSymbols = 0; // symbol count of the tree being built
    const uint16_t* FTreeFreq = nullptr;
    int FSortList[LH5MaxSymbols]; // symbols, least frequent first
    int FSortCount = 0;
    int FLenCount[LH5MaxCodeLength + 1];
};
