// Method 1 ("RLE") decoding: 0x94 0x00 is one 0x94; 0x94 n (n >= 3) repeats
// the byte before the pair n - 1 more times; any other byte is itself.
#include "codecs/CodecState.h"
#include "codecs/Decoders.h"

void ExpandRLE(TCodecState& codec)
{
    for (;;) {
        const uint8_t b = codec.ReadByte();
        if (codec.FEndOfInput)
            return;
        if (b != RLEEscape) {
            codec.WriteByte(b);
        } else {
            // A stream cut right after the escape reads its count as 0.
            const uint8_t n = codec.ReadByte();
            if (n == 0)
                codec.WriteByte(RLEEscape);
            else
                for (int i = 1; i < n; ++i)
                    codec.WriteByte(codec.FRunChar);
        }
        codec.FRunChar = b;
    }
}
