// Method 4 ("LH5") decoding: LZSS over an 8192-byte window whose literals,
// match lengths and position classes are sent as static Huffman codes, block
// by block, most significant bit first.
//
// The bits are held in a 64-bit register; bytes are taken from the channel's
// input buffer several at a time while it holds enough, otherwise one at a
// time exactly when the 16-bit look-ahead needs one. Whole bytes read ahead
// are handed back at the end, so the channel sees the same reads as a
// decoder with a 16-bit look-ahead.
//
// Decoded bytes go into a linear history buffer (the 8192-byte window plus a
// work area), so matches never wrap; the new bytes are then copied into the
// channel's output buffer in spans.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>

#include "codecs/CodecState.h"
#include "codecs/Decoders.h"
#include "codecs/LH5Format.h"

#if defined(__GNUC__)
#define LH5_HOT inline __attribute__((always_inline))
#define LH5_COLD __attribute__((noinline, cold))
#else
#define LH5_HOT inline
#define LH5_COLD
#endif

namespace {

using namespace LH5;

constexpr int CTableBits = 12;
// Processors whose registers hold 32 bits decode with a 32-bit bit register.
#ifdef ZARN_LH5_NARROW_REGISTERS
constexpr bool NarrowRegisters = ZARN_LH5_NARROW_REGISTERS;
#else
constexpr bool NarrowRegisters = sizeof(void*) < 8;
#endif
constexpr int PtTableBits = 8;

// Decoded bytes gather here before they are copied out; when the work area
// is full the last 8192 bytes move back to the front.
constexpr int32_t WorkSize = 32768;
// A match may start just below the work limit and run 256 bytes; the 16-byte
// copy steps overshoot by up to 15 more.
constexpr int32_t WindowAlloc = WindowSize + WorkSize + MaxMatch + 16;

// A table entry that leads nowhere: a code list with no code at all leaves
// its table filled with this, and using it is a bad table.
constexpr uint16_t NoCode = 0xFFFF;

[[noreturn]] LH5_COLD void BadTable()
{
    throw ELZHBadDecodeTable(SBadDecodeTable);
}

// The bit register: the next bit of the stream is bit 63; bits below the
// Count valid ones are 0. Between operations Count is at least 16.
struct TBits {
    uint64_t Buf;
    int32_t Count;
};

// Brings the register to 16 or more bits. Bulk loads come only from the
// current input buffer; otherwise bytes are taken one by one, as ReadByte
// would hand them out, and after the end of input every byte is 0.
LH5_COLD TBits Refill(TCodecState& codec, TBits in)
{
    if (!codec.FEndOfInput && codec.FInEnd - codec.FInPos >= 8) {
        uint8_t* p = codec.FInPos;
        uint32_t sum = 0;
        while (in.Count <= 56) {
            uint8_t b = *p++;
            sum += b;
            if (codec.FUnlockOnRead)
                b = codec.LockTransform(b);
            in.Buf |= static_cast<uint64_t>(b) << (56 - in.Count);
            in.Count += 8;
        }
        codec.FReadSum += sum;
        codec.FInPos = p;
        return in;
    }
    while (in.Count < 16) {
        uint8_t b = codec.FEndOfInput ? 0 : codec.ReadByte();
        if (codec.FEndOfInput) {
            b = 0;
            ++codec.FZeroFill;
        }
        in.Buf |= static_cast<uint64_t>(b) << (56 - in.Count);
        in.Count += 8;
    }
    return in;
}

LH5_HOT uint32_t Peek16(const TBits& in)
{
    return static_cast<uint32_t>(in.Buf >> 48);
}

// Consumes n bits (0..16).
LH5_HOT void FillBuf(TCodecState& codec, TBits& in, int n)
{
    in.Buf <<= n;
    in.Count -= n;
    if (in.Count < 16)
        in = Refill(codec, in);
}

// The next n bits (0..16) as a number, consumed.
LH5_HOT uint32_t GetBits(TCodecState& codec, TBits& in, int n)
{
    const uint32_t v = n == 0 ? 0 : static_cast<uint32_t>(in.Buf >> (64 - n));
    FillBuf(codec, in, n);
    return v;
}

// Hands back whole bytes read beyond the 16-bit look-ahead. Only bulk loads
// read that far, and they read from the current buffer without a refill, so
// those bytes are still there just before FInPos.
void GiveBack(TCodecState& codec, const TBits& in)
{
    const int32_t extra = (in.Count - 16) >> 3;
    if (extra <= 0)
        return;
    codec.FInPos -= extra;
    for (int32_t i = 0; i < extra; ++i)
        codec.FReadSum -= codec.FInPos[i];
    if (codec.FUnlockOnRead)
        codec.FKeyIndex = static_cast<uint16_t>((codec.FKeyIndex - extra) & 3);
}

// Copies a match of length bytes from distance back: Step bytes at a time
// (16 or 8) where the distance allows, a fill for a distance of 1, else byte
// by byte. The steps may run up to Step - 1 bytes past the match, into the
// window's spare room.
template <int Step>
LH5_HOT void CopyMatch(uint8_t* out, int32_t distance, int32_t length)
{
    const uint8_t* from = out - distance;
    if (Step == 16 && distance >= 16) {
        for (int32_t k = 0; k < length; k += 16)
            std::memcpy(out + k, from + k, 16);
    } else if (distance >= 8) {
        for (int32_t k = 0; k < length; k += 8)
            std::memcpy(out + k, from + k, 8);
    } else if (distance == 1) {
        std::memset(out, *from, static_cast<size_t>(length));
    } else {
        for (int32_t k = 0; k < length; ++k)
            out[k] = from[k];
    }
}

class TLH5Decoder {
public:
    explicit TLH5Decoder(TCodecState& codec) : FCodec(codec) {}

    void Expand(int32_t expandedSize);

private:
    void ReadBlockHeader();
    void ReadPtLen(int nn, int nbit, int special);
    void ReadCLen();
    void MakeTable(int nchar, const uint8_t* lengths, int tablebits, uint16_t* table, uint16_t& nodeEnd,
                   uint16_t* fast = nullptr);
    LH5_COLD uint16_t Walk(uint16_t j, uint32_t peek, int nchar, int tablebits, uint16_t nodeEnd,
                           const uint8_t* lengths) const;
    LH5_HOT uint32_t DecodeC(TBits& in);
    LH5_HOT uint32_t DecodeP(TBits& in);
    void MakeFastTable(const uint16_t* table, int size, int nchar, const uint8_t* lengths, uint16_t* fast);
    LH5_HOT void DecodeFromBuffer(TBits& in, int32_t& symbols, int32_t& left, uint8_t*& pos, const uint8_t* workEnd);
    LH5_HOT void DecodeFromBuffer32(TBits& in, int32_t& symbols, int32_t& left, uint8_t*& pos,
                                    const uint8_t* workEnd);
    void Emit(const uint8_t* from, const uint8_t* to);

    TCodecState& FCodec;
    TBits FBits{0, 0};                 // the register between hot loops
    int32_t FBlockSize = 0;            // symbols left in the block
    uint16_t FCNodeEnd = NC;           // tree nodes of the C table: NC .. FCNodeEnd - 1
    uint16_t FPtNodeEnd = NT;          // and of the T or P table
    uint8_t FCLen[NC + 1] = {};
    uint8_t FPtLen[129] = {};
    uint16_t FCTable[4097] = {};
    uint16_t FPtTable[257] = {};
    // The tables again with each symbol's code length beside it, so that
    // a look-up gives both at once: FastDirect | length << 11 | symbol, or
    // an entry without FastDirect where the code goes on in the tree.
    uint16_t FCFast[4096] = {};
    uint16_t FPFast[256] = {};
    uint16_t FLeft[2 * NC] = {};
    uint16_t FRight[2 * NC] = {};
    uint8_t FWindow[WindowAlloc];
};

constexpr uint16_t FastDirect = 0x8000;

// Fills the fast table of a code from its plain table.
void TLH5Decoder::MakeFastTable(const uint16_t* table, int size, int nchar, const uint8_t* lengths,
                                uint16_t* fast)
{
    for (int i = 0; i < size; ++i) {
        const uint16_t j = table[i];
        fast[i] = j < nchar ? static_cast<uint16_t>(FastDirect | lengths[j] << 11 | j) : 0;
    }
}

// Builds the look-up table (and, for codes longer than tablebits, the tree
// under its entries) of the canonical code given by lengths. Only a complete
// prefix code is accepted; the sum is kept wide so that an over-full list
// cannot wrap round to look complete.
void TLH5Decoder::MakeTable(int nchar, const uint8_t* lengths, int tablebits, uint16_t* table,
                            uint16_t& nodeEnd, uint16_t* fast)
{
    uint32_t count[MaxCodeLength + 1] = {};
    uint32_t weight[MaxCodeLength + 2] = {};
    uint32_t start[MaxCodeLength + 2] = {};
    for (int i = 0; i < nchar; ++i)
        ++count[lengths[i]];
    for (int i = 1; i <= MaxCodeLength; ++i) {
        weight[i] = 1u << (MaxCodeLength - i);
        start[i + 1] = start[i] + count[i] * weight[i];
    }
    const int32_t tableSize = 1 << tablebits;
    if (start[MaxCodeLength + 1] == 0) {
        // No code at all: harmless while the block never asks for a symbol.
        std::fill(table, table + tableSize, NoCode);
        if (fast)
            std::fill(fast, fast + tableSize, uint16_t{0});
        nodeEnd = static_cast<uint16_t>(nchar);
        return;
    }
    if (start[MaxCodeLength + 1] != 65536)
        BadTable();

    const int jut = MaxCodeLength - tablebits;
    for (int i = 1; i <= tablebits; ++i) {
        start[i] >>= jut;
        weight[i] >>= jut;
    }
    // Entries above the short codes become tree roots.
    std::fill(table + (start[tablebits + 1] >> jut), table + tableSize, 0);
    if (fast)
        std::fill(fast + (start[tablebits + 1] >> jut), fast + tableSize, uint16_t{0});

    uint16_t avail = static_cast<uint16_t>(nchar);
    for (int ch = 0; ch < nchar; ++ch) {
        const int len = lengths[ch];
        if (len == 0)
            continue;
        const uint32_t next = start[len] + weight[len];
        if (len <= tablebits) {
            std::fill(table + start[len], table + next, static_cast<uint16_t>(ch));
            if (fast)
                std::fill(fast + start[len], fast + next, static_cast<uint16_t>(FastDirect | len << 11 | ch));
        } else {
            const uint32_t k = start[len];
            uint16_t* slot = &table[k >> jut];
            uint32_t b = (k << tablebits) & 0xFFFF;
            for (int i = len - tablebits; i > 0; --i) {
                if (*slot == 0) {
                    FLeft[avail] = FRight[avail] = 0;
                    *slot = avail++;
                }
                slot = (b & 0x8000) ? &FRight[*slot] : &FLeft[*slot];
                b <<= 1;
            }
            *slot = static_cast<uint16_t>(ch);
        }
        start[len] = next;
    }
    nodeEnd = avail;
}

// Follows a table entry that is a tree node down to its symbol, testing the
// look-ahead bits below the table's. A node that this block's table does not
// have, or a leaf whose length does not match its depth, is a bad table.
uint16_t TLH5Decoder::Walk(uint16_t j, uint32_t peek, int nchar, int tablebits, uint16_t nodeEnd,
                           const uint8_t* lengths) const
{
    uint32_t mask = 1u << (MaxCodeLength - 1 - tablebits);
    int depth = tablebits;
    while (j >= nchar) {
        if (j >= nodeEnd || mask == 0)
            BadTable();
        j = (peek & mask) ? FRight[j] : FLeft[j];
        mask >>= 1;
        ++depth;
    }
    if (lengths[j] != depth)
        BadTable();
    return j;
}

void TLH5Decoder::ReadPtLen(int nn, int nbit, int special)
{
    const auto n = static_cast<int>(GetBits(FCodec, FBits, nbit));
    if (n == 0) {
        const auto c = static_cast<uint16_t>(GetBits(FCodec, FBits, nbit));
        std::fill(FPtLen, FPtLen + nn, 0);
        // A symbol beyond the list is no code at all: refused only if the
        // block asks for one (a block of literals never reads its P code,
        // one with a single C symbol never reads its T code).
        std::fill(FPtTable, FPtTable + 256, c < nn ? c : NoCode);
        FPtNodeEnd = static_cast<uint16_t>(nn);
        return;
    }
    if (n > nn)
        BadTable();
    int i = 0;
    while (i < n) {
        const uint32_t peek = Peek16(FBits);
        int c = static_cast<int>(peek >> 13);
        if (c == 7) {
            for (uint32_t mask = 1u << 12; mask != 0 && (peek & mask) != 0; mask >>= 1)
                ++c;
            if (c > MaxCodeLength)
                BadTable();
        }
        FillBuf(FCodec, FBits, c < 7 ? 3 : c - 3);
        FPtLen[i++] = static_cast<uint8_t>(c);
        if (i == special) {
            // At most 3, so this stays inside the 19 T lengths.
            for (int z = static_cast<int>(GetBits(FCodec, FBits, 2)); z > 0; --z)
                FPtLen[i++] = 0;
        }
    }
    std::fill(FPtLen + i, FPtLen + nn, 0);
    MakeTable(nn, FPtLen, PtTableBits, FPtTable, FPtNodeEnd);
}

void TLH5Decoder::ReadCLen()
{
    const auto n = static_cast<int>(GetBits(FCodec, FBits, CBit));
    if (n == 0) {
        const auto c = static_cast<uint16_t>(GetBits(FCodec, FBits, CBit));
        if (c >= NC)
            BadTable();
        std::fill(FCLen, FCLen + NC, 0);
        std::fill(FCTable, FCTable + 4096, c);
        FCNodeEnd = NC;
        MakeFastTable(FCTable, 4096, NC, FCLen, FCFast);
        return;
    }
    if (n > NC)
        BadTable();
    int i = 0;
    while (i < n) {
        const uint32_t peek = Peek16(FBits);
        uint16_t c = FPtTable[peek >> 8];
        if (c >= NT)
            c = Walk(c, peek, NT, PtTableBits, FPtNodeEnd, FPtLen);
        FillBuf(FCodec, FBits, FPtLen[c]);
        if (c <= 2) {
            int run = 1;
            if (c == 1)
                run = static_cast<int>(GetBits(FCodec, FBits, 4)) + 3;
            else if (c == 2)
                run = static_cast<int>(GetBits(FCodec, FBits, CBit)) + 20;
            if (run > NC - i)
                BadTable();
            std::fill(FCLen + i, FCLen + i + run, 0);
            i += run;
        } else {
            FCLen[i++] = static_cast<uint8_t>(c - 2);
        }
    }
    std::fill(FCLen + i, FCLen + NC, 0);
    MakeTable(NC, FCLen, CTableBits, FCTable, FCNodeEnd, FCFast);
}

void TLH5Decoder::ReadBlockHeader()
{
    FBlockSize = static_cast<int32_t>(GetBits(FCodec, FBits, 16));
    if (FBlockSize == 0)
        FBlockSize = 65536;
    ReadPtLen(NT, TBit, 3);
    ReadCLen();
    ReadPtLen(NP, PBit, -1);
    MakeFastTable(FPtTable, 256, NP, FPtLen, FPFast);
}

uint32_t TLH5Decoder::DecodeC(TBits& in)
{
    const uint32_t peek = Peek16(in);
    uint16_t j = FCTable[peek >> (16 - CTableBits)];
    if (j >= NC)
        j = Walk(j, peek, NC, CTableBits, FCNodeEnd, FCLen);
    FillBuf(FCodec, in, FCLen[j]);
    return j;
}

// The position of a match: distance back minus 1, 0..8191.
uint32_t TLH5Decoder::DecodeP(TBits& in)
{
    const uint32_t peek = Peek16(in);
    uint16_t j = FPtTable[peek >> (16 - PtTableBits)];
    if (j >= NP)
        j = Walk(j, peek, NP, PtTableBits, FPtNodeEnd, FPtLen);
    FillBuf(FCodec, in, FPtLen[j]);
    if (j <= 1)
        return j;
    return (1u << (j - 1)) + GetBits(FCodec, in, j - 1);
}

// Decodes symbols while the channel's input buffer holds 8 bytes more than
// the register takes: each symbol starts with an unconditional 64-bit load
// that tops the register up to 57 or more bits, enough for a C code, a P
// code and its extra bits (16 + 16 + 12). Bits below the count are then
// the true next bits rather than zeros, which a later byte-wise refill
// ORs in again unchanged. The bytes taken are summed once at the end.
void TLH5Decoder::DecodeFromBuffer(TBits& in, int32_t& symbols, int32_t& left, uint8_t*& pos,
                                   const uint8_t* workEnd)
{
    // Locals only: the byte stores below could otherwise alias the
    // caller's counters and force them through memory.
    const uint8_t* p = FCodec.FInPos;
    const uint8_t* const limit = FCodec.FInEnd - 8;
    uint64_t buf = in.Buf;
    int count = in.Count;
    uint8_t* out = pos;
    int32_t syms = symbols;
    int32_t bytes = left;
    // On a bad table the caller learns how far decoding got.
    const auto sync = [&] {
        symbols = syms;
        left = bytes;
        pos = out;
    };
    while (syms > 0 && bytes > 0 && out < workEnd && p <= limit) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        if constexpr (std::endian::native == std::endian::little)
            w = __builtin_bswap64(w);
        // count is 1..64 here: the byte-wise refill may leave all 64.
        buf |= (w >> 1) >> (count - 1);
        const int taken = (64 - count) >> 3;
        p += taken;
        count += taken * 8;
        --syms;

        uint32_t c;
        int n;
        uint16_t e = FCFast[buf >> (64 - CTableBits)];
        if (e & FastDirect) [[likely]] {
            c = e & 0x7FF;
            n = (e >> 11) & 15;
        } else {
            sync();
            c = Walk(FCTable[buf >> (64 - CTableBits)], static_cast<uint32_t>(buf >> 48), NC, CTableBits,
                     FCNodeEnd, FCLen);
            n = FCLen[c];
        }
        buf <<= n;
        count -= n;
        if (c < 256) {
            *out++ = static_cast<uint8_t>(c);
            --bytes;
            continue;
        }
        const int32_t length = std::min<int32_t>(static_cast<int32_t>(c) - (256 - Threshold), bytes);
        e = FPFast[buf >> (64 - PtTableBits)];
        uint32_t j;
        if (e & FastDirect) [[likely]] {
            j = e & 0x7FF;
            n = (e >> 11) & 15;
        } else {
            sync();
            j = Walk(FPtTable[buf >> (64 - PtTableBits)], static_cast<uint32_t>(buf >> 48), NP, PtTableBits,
                     FPtNodeEnd, FPtLen);
            n = FPtLen[j];
        }
        buf <<= n;
        count -= n;
        int32_t distance = static_cast<int32_t>(j) + 1;
        if (j > 1) {
            const int extra = static_cast<int>(j) - 1;
            distance = (1 << extra) + static_cast<int32_t>(buf >> (64 - extra)) + 1;
            buf <<= extra;
            count -= extra;
        }
        CopyMatch<16>(out, distance, length);
        out += length;
        bytes -= length;
    }
    sync();
    uint32_t sum = 0;
    for (const uint8_t* b = FCodec.FInPos; b != p; ++b)
        sum += *b;
    FCodec.FReadSum += sum;
    FCodec.FInPos = const_cast<uint8_t*>(p);
    in.Buf = buf;
    in.Count = count;
    if (in.Count < 16)
        in = Refill(FCodec, in);
}

// The same for processors with 32-bit registers (the shipped 32-bit build),
// where a 64-bit register takes two and its shifts take several steps: a
// 32-bit register, topped up to 25 or more bits before the C code, before
// the P code and, when they need it, before the position's extra bits.
// Whole bytes that the register holds beyond 24 bits come from bulk loads
// of this same buffer, so they can be handed back first.
void TLH5Decoder::DecodeFromBuffer32(TBits& in, int32_t& symbols, int32_t& left, uint8_t*& pos,
                                     const uint8_t* workEnd)
{
    const uint8_t* const start = FCodec.FInPos;
    const uint8_t* p = start;
    // A symbol takes at most 44 bits, loaded 4 bytes at a time.
    const uint8_t* const limit = FCodec.FInEnd - 16;
    int count = in.Count;
    if (count > 24) {
        const int back = (count - 17) >> 3;
        p -= back;
        count -= back * 8;
    }
    // Bits below the count are 0 or the true next bits, as in the 64-bit register.
    uint32_t buf = static_cast<uint32_t>(in.Buf >> 32);
    uint8_t* out = pos;
    int32_t syms = symbols;
    int32_t bytes = left;
    const auto topUp = [&] {
        uint32_t w;
        std::memcpy(&w, p, 4);
        if constexpr (std::endian::native == std::endian::little)
            w = __builtin_bswap32(w);
        buf |= w >> count;
        const int taken = (32 - count) >> 3;
        p += taken;
        count += taken * 8;
    };
    const auto sync = [&] {
        symbols = syms;
        left = bytes;
        pos = out;
    };
    while (syms > 0 && bytes > 0 && out < workEnd && p <= limit) {
        if (count <= 24)
            topUp();
        --syms;

        uint32_t c;
        int n;
        uint16_t e = FCFast[buf >> (32 - CTableBits)];
        if (e & FastDirect) [[likely]] {
            c = e & 0x7FF;
            n = (e >> 11) & 15;
        } else {
            sync();
            c = Walk(FCTable[buf >> (32 - CTableBits)], buf >> 16, NC, CTableBits, FCNodeEnd, FCLen);
            n = FCLen[c];
        }
        buf <<= n;
        count -= n;
        if (c < 256) {
            *out++ = static_cast<uint8_t>(c);
            --bytes;
            continue;
        }
        const int32_t length = std::min<int32_t>(static_cast<int32_t>(c) - (256 - Threshold), bytes);
        if (count <= 24)
            topUp();
        e = FPFast[buf >> (32 - PtTableBits)];
        uint32_t j;
        if (e & FastDirect) [[likely]] {
            j = e & 0x7FF;
            n = (e >> 11) & 15;
        } else {
            sync();
            j = Walk(FPtTable[buf >> (32 - PtTableBits)], buf >> 16, NP, PtTableBits, FPtNodeEnd, FPtLen);
            n = FPtLen[j];
        }
        buf <<= n;
        count -= n;
        int32_t distance = static_cast<int32_t>(j) + 1;
        if (j > 1) {
            const int extra = static_cast<int>(j) - 1;
            if (count < extra)
                topUp();
            distance = (1 << extra) + static_cast<int32_t>(buf >> (32 - extra)) + 1;
            buf <<= extra;
            count -= extra;
        }
        CopyMatch<8>(out, distance, length);
        out += length;
        bytes -= length;
    }
    sync();
    uint32_t sum = 0;
    if (p >= start) {
        for (const uint8_t* b = start; b != p; ++b)
            sum += *b;
        FCodec.FReadSum += sum;
    } else {
        for (const uint8_t* b = p; b != start; ++b)
            sum += *b;
        FCodec.FReadSum -= sum;
    }
    FCodec.FInPos = const_cast<uint8_t*>(p);
    in.Buf = static_cast<uint64_t>(buf) << 32;
    in.Count = count;
    if (in.Count < 16)
        in = Refill(FCodec, in);
}

// Copies decoded bytes into the channel: plain stores while its buffer has
// room, WriteByte (which flushes) when it is full.
void TLH5Decoder::Emit(const uint8_t* from, const uint8_t* to)
{
    while (from != to) {
        const int32_t room = FCodec.OutputRoom();
        if (room == 0) {
            FCodec.WriteByte(*from++);
            continue;
        }
        const auto n = static_cast<int32_t>(std::min<ptrdiff_t>(room, to - from));
        std::memcpy(FCodec.FOutPos, from, static_cast<size_t>(n));
        FCodec.FOutPos += n;
        from += n;
    }
}

void TLH5Decoder::Expand(int32_t expandedSize)
{
    uint8_t* const window = FWindow;
    uint8_t* const workEnd = window + WindowSize + WorkSize;
    std::memset(window, 0x20, WindowSize);
    uint8_t* pos = window + WindowSize;
    uint8_t* emitted = pos;
    int32_t left = expandedSize;

    FBits = Refill(FCodec, FBits);
    try {
        while (left > 0) {
            // Past the data the file can only be wrong: stop rather than
            // write up to the claimed size (which may be gigabytes) of it.
            if (FCodec.FZeroFill != 0 && static_cast<int64_t>(FCodec.FZeroFill) * 8 > FBits.Count)
                break;
            if (FBlockSize == 0) {
                Emit(emitted, pos);
                emitted = pos;
                ReadBlockHeader();
            }
            TBits in = FBits;
            int32_t symbols = FBlockSize;
            while (symbols > 0 && left > 0 && pos < workEnd) {
                if (!FCodec.FUnlockOnRead && !FCodec.FEndOfInput && FCodec.FInEnd - FCodec.FInPos >= 16) {
                    if constexpr (NarrowRegisters)
                        DecodeFromBuffer32(in, symbols, left, pos, workEnd);
                    else
                        DecodeFromBuffer(in, symbols, left, pos, workEnd);
                    continue;
                }
                --symbols;
                const uint32_t c = DecodeC(in);
                if (c < 256) {
                    *pos++ = static_cast<uint8_t>(c);
                    --left;
                    continue;
                }
                // Never more than expandedSize bytes: a last match that runs
                // past it is cut.
                const int32_t length = std::min<int32_t>(static_cast<int32_t>(c) - (256 - Threshold), left);
                const int32_t distance = static_cast<int32_t>(DecodeP(in)) + 1;
                CopyMatch<8>(pos, distance, length);
                pos += length;
                left -= length;
            }
            FBits = in;
            FBlockSize = symbols;
            if (pos >= workEnd) {
                Emit(emitted, pos);
                std::memmove(window, pos - WindowSize, WindowSize);
                pos = emitted = window + WindowSize;
            }
        }
    } catch (const ELZHBadDecodeTable&) {
        // What was decoded before the bad table has been written, as it
        // would have been byte by byte.
        Emit(emitted, pos);
        throw;
    }
    Emit(emitted, pos);
    if (static_cast<int64_t>(FCodec.FZeroFill) * 8 > FBits.Count)
        FCodec.FReadPastData = true;
    GiveBack(FCodec, FBits);
}

} // namespace

void ExpandLH5(TCodecState& codec, int32_t expandedSize)
{
    if (expandedSize <= 0)
        return;
    const auto decoder = std::make_unique<TLH5Decoder>(codec);
    decoder->Expand(expandedSize);
}
