// Method 4 ("LH5") encoding. Each position gets the longest earlier match
// from the trie match finder; a match is taken unless the next position has
// a longer one. Symbols gather in a 16384-byte block buffer, and each full
// buffer goes out as one block with three static Huffman codes built from
// its frequencies, in the layout ExpandLH5 reads.
#include <algorithm>
#include <bit>
#include <memory>

#include "codecs/CodecState.h"
#include "codecs/Encoders.h"
#include "codecs/LH5Format.h"
#include "codecs/LH5Huffman.h"
#include "codecs/LH5MatchFinder.h"

using namespace LH5;

namespace {

constexpr int BlockBufferSize = 16384;
// A new flag byte at or after this offset first sends the block, so the
// eight symbols that may follow it always fit.
constexpr int BlockFlushPoint = BlockBufferSize - 3 * 8;
constexpr int NoSpecial = -1;

inline int SignificantBits(unsigned p)
{
    return std::bit_width(p);
}

class TLH5Encoder {
public:
    explicit TLH5Encoder(TCodecState& codec) : FCodec(codec), FFinder(codec) {}

    void Run();

private:
    void Output(int c, int p);
    void SendBlock();
    void CountTFreq();
    void WritePtLen(int n, int nbit, int special);
    void WriteCLen();
    void EncodeC(int c) { PutCodeBits(FCLen[c], FCCode[c]); }
    void EncodeP(unsigned p);
    void PutBits(int n, unsigned v) { PutCodeBits(n, static_cast<uint16_t>(v << (16 - n))); }
    void PutCodeBits(int n, uint16_t x);
    void FlushWholeBytes();
    void PutTCode(int t) { PutCodeBits(FPtLen[t], FPtCode[t]); }

    TCodecState& FCodec;
    TLH5MatchFinder FFinder;

    uint8_t FBuf[BlockBufferSize + 1];
    uint16_t FOutputPos = 0;
    uint16_t FOutputMask = 0;
    uint16_t FCPos = 0;
    uint16_t FCFreq[2 * NC - 1];
    uint16_t FPFreq[2 * NP - 1];
    uint16_t FTFreq[2 * NT - 1];
    uint16_t FCCode[NC + 1];
    uint16_t FPtCode[128 + 1];
    uint8_t FCLen[NC];
    uint8_t FPtLen[128 + 1];
    // Pending output bits, right-aligned (higher bits are stale); fewer
    // than 32 between calls.
    uint64_t FPutBuf = 0;
    int FPutLen = 0;
    TLH5Huffman FHuffman;
};

void TLH5Encoder::PutCodeBits(int n, uint16_t x)
{
    FPutBuf = (FPutBuf << n) | (static_cast<uint32_t>(x) >> (16 - n));
    FPutLen += n;
    if (FPutLen >= 32) {
        FPutLen -= 32;
        const auto word = static_cast<uint32_t>(FPutBuf >> FPutLen);
        FCodec.WriteByte(static_cast<uint8_t>(word >> 24));
        FCodec.WriteByte(static_cast<uint8_t>(word >> 16));
        FCodec.WriteByte(static_cast<uint8_t>(word >> 8));
        FCodec.WriteByte(static_cast<uint8_t>(word));
    }
}

// Writes the whole bytes still pending; a last partial byte is dropped.
void TLH5Encoder::FlushWholeBytes()
{
    while (FPutLen >= 8) {
        FPutLen -= 8;
        FCodec.WriteByte(static_cast<uint8_t>(FPutBuf >> FPutLen));
    }
}

void TLH5Encoder::EncodeP(unsigned p)
{
    const int b = SignificantBits(p);
    PutCodeBits(FPtLen[b], FPtCode[b]);
    if (b > 1)
        PutBits(b - 1, p & ((1u << (b - 1)) - 1));
}

void TLH5Encoder::Output(int c, int p)
{
    FOutputMask >>= 1;
    if (FOutputMask == 0) {
        FOutputMask = 128;
        if (FOutputPos >= BlockFlushPoint) {
            SendBlock();
            FOutputPos = 0;
        }
        FCPos = FOutputPos;
        FBuf[FCPos] = 0;
        ++FOutputPos;
    }
    FBuf[FOutputPos++] = static_cast<uint8_t>(c);
    ++FCFreq[c];
    if (c >= 256) {
        FBuf[FCPos] = static_cast<uint8_t>(FBuf[FCPos] | FOutputMask);
        FBuf[FOutputPos++] = static_cast<uint8_t>(p >> 8);
        FBuf[FOutputPos++] = static_cast<uint8_t>(p);
        ++FPFreq[SignificantBits(static_cast<unsigned>(p))];
    }
}

// Length of FCLen without its trailing zero lengths.
int UsedLength(const uint8_t* len, int n)
{
    while (n > 0 && len[n - 1] == 0)
        --n;
    return n;
}

// The number of zero lengths from i on, within n.
int ZeroRun(const uint8_t* len, int i, int n)
{
    int run = 0;
    while (i + run < n && len[i + run] == 0)
        ++run;
    return run;
}

void TLH5Encoder::CountTFreq()
{
    std::fill(FTFreq, FTFreq + NT, uint16_t{0});
    const int n = UsedLength(FCLen, NC);
    int i = 0;
    while (i < n) {
        const int k = FCLen[i++];
        if (k != 0) {
            ++FTFreq[k + 2];
            continue;
        }
        const int run = 1 + ZeroRun(FCLen, i, n);
        i += run - 1;
        if (run <= 2) {
            FTFreq[0] = static_cast<uint16_t>(FTFreq[0] + run);
        } else if (run <= 18) {
            ++FTFreq[1];
        } else if (run == 19) {
            ++FTFreq[0];
            ++FTFreq[1];
        } else {
            ++FTFreq[2];
        }
    }
}

void TLH5Encoder::WritePtLen(int n, int nbit, int special)
{
    n = UsedLength(FPtLen, n);
    PutBits(nbit, static_cast<unsigned>(n));
    int i = 0;
    while (i < n) {
        const int k = FPtLen[i++];
        if (k <= 6)
            PutBits(3, static_cast<unsigned>(k));
        else
            PutBits(k - 3, (1u << (k - 3)) - 2); // k - 4 ones and a zero
        if (i == special) {
            while (i < 6 && FPtLen[i] == 0)
                ++i;
            PutBits(2, static_cast<unsigned>(i - special));
        }
    }
}

void TLH5Encoder::WriteCLen()
{
    const int n = UsedLength(FCLen, NC);
    PutBits(CBit, static_cast<unsigned>(n));
    int i = 0;
    while (i < n) {
        const int k = FCLen[i++];
        if (k != 0) {
            PutTCode(k + 2);
            continue;
        }
        const int run = 1 + ZeroRun(FCLen, i, n);
        i += run - 1;
        if (run <= 2) {
            for (int z = 0; z < run; ++z)
                PutTCode(0);
        } else if (run <= 18) {
            PutTCode(1);
            PutBits(4, static_cast<unsigned>(run - 3));
        } else if (run == 19) {
            PutTCode(0);
            PutTCode(1);
            PutBits(4, 15);
        } else {
            PutTCode(2);
            PutBits(CBit, static_cast<unsigned>(run - 20));
        }
    }
}

void TLH5Encoder::SendBlock()
{
    const int root = FHuffman.MakeTree(NC, FCFreq, FCLen, FCCode);
    const int size = FCFreq[root];
    PutBits(16, static_cast<unsigned>(size));
    if (root >= NC) {
        CountTFreq();
        const int r = FHuffman.MakeTree(NT, FTFreq, FPtLen, FPtCode);
        if (r >= NT) {
            WritePtLen(NT, TBit, 3);
        } else {
            PutBits(TBit, 0);
            PutBits(TBit, static_cast<unsigned>(r));
        }
        WriteCLen();
    } else {
        PutBits(TBit, 0);
        PutBits(TBit, 0);
        PutBits(CBit, 0);
        PutBits(CBit, static_cast<unsigned>(root));
    }
    const int r = FHuffman.MakeTree(NP, FPFreq, FPtLen, FPtCode);
    if (r >= NP) {
        WritePtLen(NP, PBit, NoSpecial);
    } else {
        PutBits(PBit, 0);
        PutBits(PBit, static_cast<unsigned>(r));
    }

    int pos = 0;
    unsigned flags = 0;
    for (int i = 0; i < size; ++i) {
        if (i % 8 == 0)
            flags = FBuf[pos++];
        else
            flags <<= 1;
        if (flags & 0x80) {
            EncodeC(FBuf[pos] + 256);
            EncodeP(static_cast<unsigned>(FBuf[pos + 1] << 8 | FBuf[pos + 2]));
            pos += 3;
        } else {
            EncodeC(FBuf[pos++]);
        }
    }
    std::fill(FCFreq, FCFreq + NC, uint16_t{0});
    std::fill(FPFreq, FPFreq + NP, uint16_t{0});
}

void TLH5Encoder::Run()
{
    FPutBuf = 0;
    FPutLen = 0;
    FFinder.InitSlide();
    std::fill(FCFreq, FCFreq + NC, uint16_t{0});
    std::fill(FPFreq, FPFreq + NP, uint16_t{0});
    FBuf[0] = 0;
    FOutputPos = FOutputMask = FCPos = 0;
    FFinder.FPos = FirstPosition;
    FFinder.ReadFirstWindow();
    if (FFinder.FRemainder == 0)
        return; // an empty source gives no output at all

    FFinder.FMatchPos = 0;
    FFinder.FMatchLen = 0;
    FFinder.InsertTrie();
    while (FFinder.FRemainder > 0) {
        const int lastLen = FFinder.FMatchLen;
        const int lastPos = FFinder.FMatchPos;
        FFinder.GetNextMatch();
        if (FFinder.FMatchLen > FFinder.FRemainder)
            FFinder.FMatchLen = FFinder.FRemainder;
        if (lastLen < FFinder.FMatchLen || lastLen < Threshold) {
            // A literal for the previous position: a longer match one
            // position later wins.
            Output(FFinder.FWindow[FFinder.FPos - 1], 0);
        } else {
            Output(lastLen + 256 - Threshold, (FFinder.FPos - lastPos - 2) & (WindowSize - 1));
            for (int i = 1; i < lastLen; ++i)
                FFinder.GetNextMatch();
            if (FFinder.FMatchLen > FFinder.FRemainder)
                FFinder.FMatchLen = FFinder.FRemainder;
        }
    }
    SendBlock();
    PutBits(7, 0); // completes the last partial byte with zero bits
    FlushWholeBytes();
}

} // namespace

void CompressLH5(TCodecState& codec)
{
    const auto encoder = std::make_unique<TLH5Encoder>(codec);
    encoder->Run();
}
