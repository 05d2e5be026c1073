// Method 2 ("LZH") decoding: adaptive-Huffman literals and match lengths,
// match positions in the fixed position code, over a 4096-byte ring that
// starts filled with spaces.
#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <type_traits>

#include "codecs/CodecState.h"
#include "codecs/Decoders.h"
#include "codecs/LZHModel.h"

using namespace LZH;

namespace {

// The window is kept as the tail of a longer straight buffer: a match is
// then one copy from behind the write position, eight bytes at a time, and
// the output goes to the channel in bulk. When the buffer fills, its last
// WindowSize bytes move to the front.
inline constexpr int HistorySize = 4 * WindowSize;
// Room for one more match before the buffer must move, and for the copy's
// overshoot past it.
inline constexpr int HistoryLimit = HistorySize - MaxMatch;
inline constexpr int CopyOvershoot = 8;

struct TLZHDecoder {
    TLZHModel FModel;
    uint8_t FHistory[HistorySize + CopyOvershoot];
};

// Hands the bytes from..to to the channel, storing straight into its buffer
// while there is room.
void Deliver(TCodecState& codec, const uint8_t* from, const uint8_t* to)
{
    while (from != to) {
        const std::ptrdiff_t room = codec.OutputRoom();
        if (room == 0) {
            codec.WriteByte(*from++);
            continue;
        }
        const std::ptrdiff_t n = room < to - from ? room : to - from;
        std::memcpy(codec.FOutPos, from, static_cast<size_t>(n));
        codec.FOutPos += n;
        from += n;
    }
}

// The bit word is as wide as the target's registers: 64-bit shifts on a
// 32-bit target take register pairs, in the loop that has the fewest to spare.
using TBitWord = std::conditional_t<sizeof(void*) >= 8, uint64_t, uint32_t>;
inline constexpr int WordBits = 8 * sizeof(TBitWord);

// The sum of the first n (1 to sizeof w) bytes of w as it lay in memory,
// without a loop whose length changes at nearly every refill: bytes are
// added pairwise into 16-bit lanes, and the lanes by one multiply.
inline uint32_t ByteSum(TBitWord w, int n)
{
    constexpr auto lanes = static_cast<TBitWord>(~TBitWord{0} / 0xFFFF); // 0x0001 in every lane
    constexpr auto low = static_cast<TBitWord>(lanes * 0xFF);            // 0x00FF in every lane
    if constexpr (std::endian::native == std::endian::little)
        w &= ~TBitWord{0} >> (WordBits - 8 * n);
    else
        w &= ~TBitWord{0} << (WordBits - 8 * n);
    const TBitWord pairs = (w & low) + ((w >> 8) & low);
    return static_cast<uint32_t>((pairs * lanes) >> (WordBits - 16)) & 0xFFFF;
}

// Stream bits, most significant first, held left-aligned in the bit word.
// Bytes are taken one at a time; a byte that arrives with the end-of-input
// flag set counts as 0, so a short stream reads as zero bits.
class TBitReader {
public:
    explicit TBitReader(TCodecState& codec) : FCodec(codec) {}

    // Tops the word up to at least WordBits - 7 bits (25 or 57), taking the
    // same bytes whether it loads them at once from the channel's buffer or
    // one by one. The bulk load also sets bits below the count: they are the
    // next byte's, which the byte-wise path ORs in again unchanged.
    void Refill()
    {
        if (FCount > WordBits - 8)
            return;
        if (!FCodec.FEndOfInput && !FCodec.FUnlockOnRead && FCodec.FInEnd - FCodec.FInPos >= static_cast<ptrdiff_t>(sizeof(TBitWord))) [[likely]] {
            const uint8_t* p = FCodec.FInPos;
            TBitWord w;
            std::memcpy(&w, p, sizeof w);
            const int taken = (WordBits - FCount) >> 3;
            FCodec.FReadSum += ByteSum(w, taken);
            if constexpr (std::endian::native == std::endian::little) {
                if constexpr (sizeof w == 8)
                    w = __builtin_bswap64(w);
                else
                    w = __builtin_bswap32(w);
            }
            FBits |= w >> FCount;
            FCodec.FInPos += taken;
            FCount += taken * 8;
            return;
        }
        while (FCount <= WordBits - 8) {
            TBitWord b = FCodec.ReadByte();
            if (FCodec.FEndOfInput) {
                b = 0;
                ++FCodec.FZeroFill;
            }
            FBits |= b << (WordBits - 8 - FCount);
            FCount += 8;
        }
    }

    // The next n bits (n from 1 to 14), not yet taken.
    unsigned Peek(int n) const { return static_cast<unsigned>(FBits >> (WordBits - n)); }

    // True once bits of the zero fill have been consumed.
    bool ReadPastData() const { return static_cast<int64_t>(FCodec.FZeroFill) * 8 > FCount; }

    TBitWord FBits = 0;
    int FCount = 0;

private:
    TCodecState& FCodec;
};

// Walks down from the root two bits per step, one dependent load each;
// codes may be longer than the word holds, hence the refill inside the
// walk. The nodes passed on the way down are those the update counts on
// the way up; their loads stay off the walk's chain.
int DecodeSymbol(TBitReader& in, TLZHModel& model, int32_t* path)
{
    int k = model.FSon[Root];
    int depth = 0;
    for (;;) {
        if (in.FCount < 2)
            in.Refill();
        const unsigned two = in.Peek(2);
        const int first = k + static_cast<int>(two >> 1);
        // Stored before it is known to be a node: few values stay live.
        const int second = model.FSon[first] + static_cast<int>(two & 1);
        k = model.FGrandson[2 * k + static_cast<int>(two)];
        path[depth] = first;
        path[depth + 1] = second;
        if (second >= NodeCount) {
            // A leaf after the first of the two bits.
            k = second - static_cast<int>(in.Peek(2) & 1);
            in.FBits <<= 1;
            --in.FCount;
            ++depth;
            break;
        }
        in.FBits <<= 2;
        in.FCount -= 2;
        depth += 2;
        if (k >= NodeCount)
            break;
    }
    const int symbol = k - NodeCount;
    model.UpdateAlong(path, depth, symbol);
    return symbol;
}

} // namespace

void ExpandLZH(TCodecState& codec, int32_t expandedSize)
{
    if (expandedSize <= 0)
        return;
    auto state = std::make_unique<TLZHDecoder>();
    TLZHModel& model = state->FModel;
    uint8_t* const history = state->FHistory;
    model.StartModel();
    // The window before the first byte, as the WindowSize bytes behind the
    // write position: positions StartPosition.. (zeros, never read first by
    // a sound stream), then the spaces from position 0 on.
    std::memset(history, 0, WindowSize - StartPosition);
    std::memset(history + (WindowSize - StartPosition), FillByte, StartPosition);
    uint8_t* out = history + WindowSize;
    uint8_t* delivered = out;

    TBitReader in(codec);
    int32_t path[NodeCount];
    int32_t count = 0;
    while (count < expandedSize) {
        // Past the data the file can only be wrong: stop rather than write
        // up to the claimed size (which may be gigabytes) of it.
        if (codec.FZeroFill != 0 && in.ReadPastData())
            break;
        if (out > history + HistoryLimit) [[unlikely]] {
            Deliver(codec, delivered, out);
            std::memmove(history, out - WindowSize, WindowSize);
            out = delivered = history + WindowSize;
        }
        in.Refill();
        const int symbol = DecodeSymbol(in, model, path);
        if (symbol < FirstLength) {
            *out++ = static_cast<uint8_t>(symbol);
            ++count;
            continue;
        }

        // Position: the code of the upper six bits (3..8 bits), then six
        // plain bits.
        if (in.FCount < 14)
            in.Refill();
        const unsigned top = in.Peek(8);
        const unsigned codeLength = PositionDecodeTables.Length[top];
        const unsigned low = in.Peek(static_cast<int>(codeLength) + 6) & 63;
        const unsigned position = (static_cast<unsigned>(PositionDecodeTables.Upper[top]) << 6) | low;
        in.FBits <<= codeLength + 6;
        in.FCount -= static_cast<int>(codeLength + 6);

        const uint8_t* from = out - position - 1;
        int32_t length = symbol - LengthBias;
        // Never write past the entry's size, whatever the stream says.
        if (length > expandedSize - count)
            length = expandedSize - count;
        count += length;
        if (position >= CopyOvershoot - 1) {
            // Each piece reads only bytes that are already final.
            for (int32_t i = 0; i < length; i += CopyOvershoot)
                std::memcpy(out + i, from + i, CopyOvershoot);
        } else {
            // Nearer than a piece: byte by byte, repeating what it writes.
            for (int32_t i = 0; i < length; ++i)
                out[i] = from[i];
        }
        out += length;
    }
    Deliver(codec, delivered, out);
    if (in.ReadPastData())
        codec.FReadPastData = true;
}
