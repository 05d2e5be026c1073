// Method 2 ("LZH") decoding: adaptive-Huffman literals and match lengths,
// match positions in the fixed position code, over a 4096-byte ring that
// starts filled with spaces.
#include <bit>
#include <cstring>
#include <memory>

#include "codecs/CodecState.h"
#include "codecs/Decoders.h"
#include "codecs/LZHModel.h"

using namespace LZH;

namespace {

struct TLZHDecoder {
    TLZHModel FModel;
    uint8_t FWindow[WindowSize];
};

// Stream bits, most significant first, held left-aligned in a 64-bit word.
// Bytes are taken one at a time; a byte that arrives with the end-of-input
// flag set counts as 0, so a short stream reads as zero bits.
class TBitReader {
public:
    explicit TBitReader(TCodecState& codec) : FCodec(codec) {}

    // Tops the word up to at least 57 bits, taking the same bytes whether
    // it loads them at once from the channel's buffer or one by one. The
    // bulk load also sets bits below the count: they are the next byte's,
    // which the byte-wise path ORs in again unchanged.
    void Refill()
    {
        if (FCount > 56)
            return;
        if (!FCodec.FEndOfInput && !FCodec.FUnlockOnRead && FCodec.FInEnd - FCodec.FInPos >= 8) [[likely]] {
            const uint8_t* p = FCodec.FInPos;
            uint64_t w;
            std::memcpy(&w, p, 8);
            if constexpr (std::endian::native == std::endian::little)
                w = __builtin_bswap64(w);
            FBits |= w >> FCount;
            const int taken = (64 - FCount) >> 3;
            uint32_t sum = 0;
            for (int i = 0; i < taken; ++i)
                sum += p[i];
            FCodec.FReadSum += sum;
            FCodec.FInPos += taken;
            FCount += taken * 8;
            return;
        }
        while (FCount <= 56) {
            uint64_t b = FCodec.ReadByte();
            if (FCodec.FEndOfInput) {
                b = 0;
                ++FCodec.FZeroFill;
            }
            FBits |= b << (56 - FCount);
            FCount += 8;
        }
    }

    // True once bits of the zero fill have been consumed.
    bool ReadPastData() const { return static_cast<int64_t>(FCodec.FZeroFill) * 8 > FCount; }

    uint64_t FBits = 0;
    int FCount = 0;

private:
    TCodecState& FCodec;
};

} // namespace

void ExpandLZH(TCodecState& codec, int32_t expandedSize)
{
    if (expandedSize <= 0)
        return;
    auto state = std::make_unique<TLZHDecoder>();
    TLZHModel& model = state->FModel;
    uint8_t* const window = state->FWindow;
    model.StartModel();
    std::memset(window, FillByte, StartPosition);
    std::memset(window + StartPosition, 0, WindowSize - StartPosition);

    TBitReader in(codec);
    int16_t path[NodeCount];
    unsigned r = StartPosition;
    int32_t count = 0;
    while (count < expandedSize) {
        // Past the data the file can only be wrong: stop rather than write
        // up to the claimed size (which may be gigabytes) of it.
        if (codec.FZeroFill != 0 && in.ReadPastData())
            break;
        in.Refill();
        // Walk down from the root two bits per step, one dependent load
        // each; codes may be longer than the word holds, hence the refill
        // inside the walk. The nodes passed on the way down are those the
        // update counts on the way up; their loads stay off the walk's chain.
        int k = model.FSon[Root];
        int depth = 0;
        unsigned two;
        do {
            if (in.FCount < 2)
                in.Refill();
            two = static_cast<unsigned>(in.FBits >> 62);
            const int node = k + static_cast<int>(two >> 1);
            path[depth] = static_cast<int16_t>(node);
            path[depth + 1] = static_cast<int16_t>(model.FSon[node] + static_cast<int>(two & 1));
            k = model.FGrandson[2 * k + static_cast<int>(two)];
            in.FBits <<= 2;
            in.FCount -= 2;
            depth += 2;
        } while (k < NodeCount);
        if (k & LeafAfterOneBit) {
            // The leaf came after the first of the two bits: give the
            // second back.
            k &= ~LeafAfterOneBit;
            --depth;
            in.FBits = (in.FBits >> 1) | (static_cast<uint64_t>(two & 1) << 63);
            ++in.FCount;
        }
        const int symbol = k - NodeCount;
        model.UpdateAlong(path, depth, symbol);

        if (symbol < FirstLength) {
            const auto b = static_cast<uint8_t>(symbol);
            codec.WriteByte(b);
            window[r] = b;
            r = (r + 1) & WindowMask;
            ++count;
            continue;
        }

        // Position: the code of the upper six bits (3..8 bits), then six
        // plain bits.
        if (in.FCount < 14)
            in.Refill();
        const unsigned top = static_cast<unsigned>(in.FBits >> 56);
        const unsigned codeLength = PositionDecodeTables.Length[top];
        const unsigned low = static_cast<unsigned>(in.FBits >> (58 - codeLength)) & 63;
        const unsigned position = (static_cast<unsigned>(PositionDecodeTables.Upper[top]) << 6) | low;
        in.FBits <<= codeLength + 6;
        in.FCount -= static_cast<int>(codeLength + 6);

        unsigned start = (r - position - 1) & WindowMask;
        int32_t length = symbol - LengthBias;
        // Never write past the entry's size, whatever the stream says.
        if (length > expandedSize - count)
            length = expandedSize - count;
        count += length;
        if (codec.OutputRoom() >= length) {
            uint8_t* out = codec.FOutPos;
            for (int32_t i = 0; i < length; ++i) {
                const uint8_t b = window[start];
                out[i] = b;
                window[r] = b;
                start = (start + 1) & WindowMask;
                r = (r + 1) & WindowMask;
            }
            codec.FOutPos += length;
        } else {
            for (int32_t i = 0; i < length; ++i) {
                const uint8_t b = window[start];
                codec.WriteByte(b);
                window[r] = b;
                start = (start + 1) & WindowMask;
                r = (r + 1) & WindowMask;
            }
        }
    }
    if (in.ReadPastData())
        codec.FReadPastData = true;
}
