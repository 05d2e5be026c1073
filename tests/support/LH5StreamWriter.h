// A test-only writer of method 4 ("LH5") streams: bit fields most significant
// bit first, block headers from given code lengths (including the zero-run
// and single-symbol forms) and symbols coded with them. It writes what it is
// told, valid or not, so tests can craft damaged streams; EncodeLH5ForTests
// turns any bytes into a valid stream.
#pragma once

#include <cstdint>
#include <vector>

// A literal (Length 0) or a match of Length 3..256 at Position 0..8191
// (distance back minus 1).
struct TLH5Symbol {
    uint8_t Literal = 0;
    int Length = 0;
    int Position = 0;
};

inline TLH5Symbol Lit(uint8_t b) { return {b, 0, 0}; }
inline TLH5Symbol Match(int length, int position) { return {0, length, position}; }

// The canonical code of a length list: codes in order of length, then of
// symbol, shorter codes numerically first.
struct TLH5Code {
    std::vector<uint8_t> Lengths;   // empty: the single-symbol form, 0 bits
    std::vector<uint32_t> Codes;    // right-aligned, Lengths[s] bits each
};

TLH5Code MakeLH5Code(const std::vector<uint8_t>& lengths);

class TLH5StreamWriter {
public:
    // The low n bits of value, n from 0 to 32.
    void PutBits(int n, uint32_t value);
    // Completes the last byte with zero bits and returns the stream.
    std::vector<uint8_t> Finish();
    uint64_t BitCount() const { return FBitCount; }

    // Block header pieces, in stream order. The explicit forms write the
    // list's size as the count and make it the current code.
    void PutBlockCount(uint32_t count) { PutBits(16, count); }
    void PutTLengths(const std::vector<uint8_t>& lengths);
    void PutTSingle(uint32_t symbol);
    // Lengths coded with the current T code; zero runs as 1 or 2 single
    // zeros, 3..18, 19 as 1 + 18, or 20..531.
    void PutCLengths(const std::vector<uint8_t>& lengths);
    void PutCSingle(uint32_t symbol);
    void PutPLengths(const std::vector<uint8_t>& lengths);
    void PutPSingle(uint32_t symbol);

    // One code of the current T, C or P code.
    void PutTCode(int symbol) { PutCode(FT, symbol); }
    void PutCCode(int symbol) { PutCode(FC, symbol); }
    void PutPCode(int symbol) { PutCode(FP, symbol); }
    // A literal, or a match's C code, P class code and extra bits.
    void PutSymbol(const TLH5Symbol& symbol);
    // A whole block of these symbols with Huffman codes fitted to them
    // (single-symbol forms where only one symbol occurs).
    void PutBlock(const TLH5Symbol* first, const TLH5Symbol* last);
    void PutBlock(const std::vector<TLH5Symbol>& symbols) { PutBlock(symbols.data(), symbols.data() + symbols.size()); }

private:
    void PutPtLengths(const std::vector<uint8_t>& lengths, int nbit, int special);
    void PutCode(const TLH5Code& code, int symbol);

    std::vector<uint8_t> FBytes;
    uint32_t FPending = 0;  // bits not yet a whole byte, right-aligned
    int FPendingCount = 0;
    uint64_t FBitCount = 0;
    TLH5Code FT, FC, FP;
};

// Position class of a match position: its number of significant bits.
int LH5PositionClass(int position);

// Huffman code lengths for the frequencies, none above maxLength; needs at
// least two nonzero frequencies.
std::vector<uint8_t> LimitedHuffmanLengths(const std::vector<uint32_t>& freq, int maxLength);

// Greedy hash-chain LZSS within 8192 bytes back, lengths 3..256, blocks of at
// most maxBlockSymbols symbols. Empty input gives an empty stream.
std::vector<uint8_t> EncodeLH5ForTests(const std::vector<uint8_t>& data, int maxBlockSymbols = 65535);
