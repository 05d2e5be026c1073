// Method 2 ("LZH") encoding. Matches come from binary search trees of window
// strings, one tree per hash of the first three bytes; every node keeps the
// length it shares with its parent (FSame) so that most search steps need no
// byte comparison. The symbols then go through the shared adaptive model.
#include <bit>
#include <cstring>
#include <memory>

#include "codecs/CodecState.h"
#include "codecs/Encoders.h"
#include "codecs/LZHModel.h"

using namespace LZH;

namespace {

constexpr int NIL = WindowSize;
constexpr int FirstRoot = WindowSize + 1;
// Word-wide comparisons may look up to seven bytes past a 60-byte string.
constexpr int WindowPadding = 8;

// Compares the strings at a and b from byte `from` (the bytes before agree):
// returns the index of the first difference, or limit when the first limit
// bytes agree; diff receives a[index] - b[index] (0 at limit).
inline int CompareFrom(const uint8_t* a, const uint8_t* b, int from, int limit, int& diff)
{
    for (int i = from; i < limit; i += 8) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) {
            // Take the differing bytes from the words already loaded.
            if constexpr (std::endian::native == std::endian::big) {
                const int shift = 56 - (std::countl_zero(x ^ y) & ~7);
                i += (56 - shift) / 8;
                diff = static_cast<int>((x >> shift) & 0xFF) - static_cast<int>((y >> shift) & 0xFF);
            } else {
                const int shift = std::countr_zero(x ^ y) & ~7;
                i += shift / 8;
                diff = static_cast<int>((x >> shift) & 0xFF) - static_cast<int>((y >> shift) & 0xFF);
            }
            if (i < limit)
                return i;
            break;
        }
    }
    diff = 0;
    return limit;
}

class TLZHEncoder {
public:
    explicit TLZHEncoder(TCodecState& codec) : FCodec(codec) {}

    void Run();

private:
    void InitTree();
    int RootOf(int r) const;
    void InsertNode(int r);
    void DeleteNode(int p);
    void ComputeSame(int known, int a, int b);
    void InheritSame(int a, int x, int y);
    void EncodeSymbol(int symbol);
    void EncodePosition(unsigned position);
    void PutCode(int length, uint32_t code);
    void FlushBits();

    TCodecState& FCodec;
    TLZHModel FModel;
    uint8_t FWindow[WindowAllocation + WindowPadding];
    // One record per node, so that a search step finds a node's links and
    // FSame in one place. Record NIL takes the writes aimed at a missing
    // child. The roots (each only a right link) live apart in FRoot, which
    // keeps the records and roots small enough to stay in the first-level
    // cache; a node right under a root has FDad = FirstRoot + its index.
    struct TTreeNode {
        int16_t FLSon;
        int16_t FRSon;
        int16_t FDad;
        uint8_t FSame;
    };
    TTreeNode FTree[WindowSize + 1];
    int16_t FRoot[WindowSize];
    // The link in p's parent that points to p.
    int16_t& LinkTo(int p)
    {
        const int dad = FTree[p].FDad;
        if (dad >= FirstRoot)
            return FRoot[dad - FirstRoot];
        return FTree[dad].FRSon == p ? FTree[dad].FRSon : FTree[dad].FLSon;
    }
    int FMatchPosition = 0;
    int FMatchLength = 0;
    // Pending output bits, right-aligned; fewer than 8 between calls.
    uint64_t FPutBuf = 0;
    int FPutLen = 0;
};

void TLZHEncoder::InitTree()
{
    for (int i = 0; i < WindowSize; ++i)
        FRoot[i] = NIL;
    for (int i = 0; i < WindowSize; ++i)
        FTree[i].FDad = NIL;
}

// All strings of one tree share their first byte.
int TLZHEncoder::RootOf(int r) const
{
    unsigned h = FWindow[r + 1] ^ FWindow[r + 2];
    h ^= h >> 4;
    return FirstRoot + FWindow[r] + 256 * static_cast<int>(h & 15);
}

// Adds the string at r to its tree and leaves the longest (then nearest)
// earlier match in FMatchLength / FMatchPosition.
void TLZHEncoder::InsertNode(int r)
{
    FTree[r].FRSon = FTree[r].FLSon = NIL;
    const uint8_t* key = &FWindow[r];
    int matchLength = 0;
    int matchPosition = FMatchPosition;
    int i = 1;
    int cmp = 1;
    int p = RootOf(r);
    int16_t* side = &FRoot[p - FirstRoot];
    for (;;) {
        if (*side == NIL) {
            *side = static_cast<int16_t>(r);
            FTree[r].FDad = static_cast<int16_t>(p);
            FTree[r].FSame = static_cast<uint8_t>(i);
            FMatchLength = matchLength;
            FMatchPosition = matchPosition;
            return;
        }
        p = *side;
        const int s = FTree[p].FSame;
        if (i == s) {
            // Addressed by i rather than s, so the loads need not wait for
            // p's record.
            i = CompareFrom(key, &FWindow[p], i, MaxMatch, cmp);
        } else {
            // i > s: r follows the parent past the point where p leaves
            // it. i < s: r leaves p where it left the parent; i and cmp
            // stay. Chosen without a branch.
            const int atS = key[s] - FWindow[p + s];
            const bool follows = i > s;
            cmp = follows ? atS : cmp;
            i = follows ? s : i;
        }
        side = cmp >= 0 ? &FTree[p].FRSon : &FTree[p].FLSon;
        // Longer, or as long and nearer; only matches of 3 or more count.
        const int d = ((r - p) & WindowMask) - 1;
        const bool better = i > Threshold && (i > matchLength || (i == matchLength && d < matchPosition));
        matchPosition = better ? d : matchPosition;
        matchLength = better ? i : matchLength;
        if (i == MaxMatch)
            break;
    }
    FMatchLength = matchLength;
    FMatchPosition = matchPosition;
    // A full-length match makes the older node p redundant: r takes its place.
    FTree[r].FSame = FTree[p].FSame;
    FTree[r].FDad = FTree[p].FDad;
    FTree[r].FLSon = FTree[p].FLSon;
    FTree[r].FRSon = FTree[p].FRSon;
    FTree[FTree[p].FLSon].FDad = static_cast<int16_t>(r);
    FTree[FTree[p].FRSon].FDad = static_cast<int16_t>(r);
    LinkTo(p) = static_cast<int16_t>(r);
    FTree[p].FDad = NIL;
}

// FTree[b].FSame = common length of the strings at a and b, the first `known`
// bytes being equal already.
void TLZHEncoder::ComputeSame(int known, int a, int b)
{
    if (a >= NIL) {
        FTree[b].FSame = 1;
        return;
    }
    int diff;
    FTree[b].FSame = static_cast<uint8_t>(CompareFrom(&FWindow[a], &FWindow[b], known, MaxMatch, diff));
}

// Node y moves up from under x to under a, x's former parent.
void TLZHEncoder::InheritSame(int a, int x, int y)
{
    if (FTree[x].FSame == FTree[y].FSame)
        ComputeSame(FTree[x].FSame, a, y);
    else if (FTree[x].FSame < FTree[y].FSame)
        FTree[y].FSame = FTree[x].FSame;
}

void TLZHEncoder::DeleteNode(int p)
{
    if (FTree[p].FDad == NIL)
        return;
    int q;
    if (FTree[p].FRSon == NIL) {
        q = FTree[p].FLSon;
        if (q != NIL)
            InheritSame(FTree[p].FDad, p, q);
    } else if (FTree[p].FLSon == NIL) {
        q = FTree[p].FRSon;
        InheritSame(FTree[p].FDad, p, q);
    } else {
        // Two children: the rightmost node of the left subtree takes p's place.
        q = FTree[p].FLSon;
        if (FTree[q].FRSon != NIL) {
            do
                q = FTree[q].FRSon;
            while (FTree[q].FRSon != NIL);
            if (FTree[q].FLSon != NIL)
                InheritSame(FTree[q].FDad, q, FTree[q].FLSon);
            ComputeSame(1, q, FTree[p].FLSon);
            FTree[FTree[q].FDad].FRSon = FTree[q].FLSon;
            FTree[FTree[q].FLSon].FDad = FTree[q].FDad;
            FTree[q].FLSon = FTree[p].FLSon;
            FTree[FTree[p].FLSon].FDad = static_cast<int16_t>(q);
        }
        ComputeSame(1, FTree[p].FDad, q);
        ComputeSame(1, q, FTree[p].FRSon);
        FTree[q].FRSon = FTree[p].FRSon;
        FTree[FTree[p].FRSon].FDad = static_cast<int16_t>(q);
    }
    FTree[q].FDad = FTree[p].FDad;
    LinkTo(p) = static_cast<int16_t>(q);
    FTree[p].FDad = NIL;
}

// Appends the low `length` bits of code (at most 32), most significant first.
void TLZHEncoder::PutCode(int length, uint32_t code)
{
    FPutBuf = (FPutBuf << length) | code;
    FPutLen += length;
    while (FPutLen >= 8) {
        FPutLen -= 8;
        FCodec.WriteByte(static_cast<uint8_t>(FPutBuf >> FPutLen));
    }
}

// The last byte is padded with zero bits.
void TLZHEncoder::FlushBits()
{
    if (FPutLen > 0)
        FCodec.WriteByte(static_cast<uint8_t>(FPutBuf << (8 - FPutLen)));
    FPutLen = 0;
}

void TLZHEncoder::EncodeSymbol(int symbol)
{
    // The path from the leaf up gives the code's bits last first; it is
    // gathered in 32-bit pieces since the adaptive tree has no depth limit.
    uint32_t pieces[NodeCount / 32 + 1];
    int full = 0;
    uint32_t code = 0;
    int n = 0;
    int k = FModel.FParent[symbol + NodeCount];
    do {
        code |= static_cast<uint32_t>(k & 1) << n;
        if (++n == 32) {
            pieces[full++] = code;
            code = 0;
            n = 0;
        }
        k = FModel.FParent[k];
    } while (k != Root);
    if (n > 0)
        PutCode(n, code);
    while (full > 0)
        PutCode(32, pieces[--full]);
    FModel.UpdateModel(symbol);
}

void TLZHEncoder::EncodePosition(unsigned position)
{
    const TPositionCode& upper = PositionCodeTable[position >> 6];
    PutCode(upper.Length + 6, (static_cast<uint32_t>(upper.Code) << 6) | (position & 63));
}

void TLZHEncoder::Run()
{
    FModel.StartModel();
    InitTree();
    std::memset(FWindow, FillByte, StartPosition);
    std::memset(FWindow + StartPosition, 0, sizeof(FWindow) - StartPosition);

    int len = 0;
    while (len < MaxMatch) {
        const uint8_t c = FCodec.ReadByte();
        if (FCodec.FEndOfInput)
            break;
        FWindow[StartPosition + len] = c;
        ++len;
    }
    if (len == 0)
        return;
    // The space-filled positions just before the start, nearest first, so a
    // leading run of spaces codes as a match.
    for (int i = 1; i <= MaxMatch; ++i)
        InsertNode(StartPosition - i);
    InsertNode(StartPosition);

    int s = 0;
    int r = StartPosition;
    while (len > 0) {
        if (FMatchLength > len)
            FMatchLength = len;
        if (FMatchLength > Threshold) {
            EncodeSymbol(FMatchLength + LengthBias);
            EncodePosition(static_cast<unsigned>(FMatchPosition));
        } else {
            FMatchLength = 1;
            EncodeSymbol(FWindow[r]);
        }
        const int last = FMatchLength;
        int i = 0;
        for (; i < last; ++i) {
            const uint8_t c = FCodec.ReadByte();
            if (FCodec.FEndOfInput)
                break;
            DeleteNode(s);
            FWindow[s] = c;
            if (s < MaxMatch - 1)
                FWindow[s + WindowSize] = c;
            r = (r + 1) & WindowMask;
            InsertNode(r);
            s = (s + 1) & WindowMask;
        }
        // Input used up: slide on without new bytes.
        for (; i < last; ++i) {
            DeleteNode(s);
            r = (r + 1) & WindowMask;
            if (len != 1)
                InsertNode(r);
            s = (s + 1) & WindowMask;
            --len;
        }
    }
    FlushBits();
}

} // namespace

void CompressLZH(TCodecState& codec)
{
    // Per call, on the heap: the window and trees are some 45 KB.
    auto encoder = std::make_unique<TLZHEncoder>(codec);
    encoder->Run();
}
