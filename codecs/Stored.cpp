// Method 0 ("NON"): the entry's data is the file's bytes unchanged.
#include <algorithm>
#include <cstring>

#include "codecs/CodecState.h"
#include "codecs/Decoders.h"

void CopyStored(TCodecState& codec)
{
    for (;;) {
        // Move whole spans of the input buffer while both sides have room;
        // the byte calls below handle refills, flushes and the end of input.
        int32_t span = std::min<int32_t>(static_cast<int32_t>(codec.FInEnd - codec.FInPos), codec.OutputRoom());
        if (span > 0 && !codec.FEndOfInput) {
            uint8_t* out = codec.FOutPos;
            uint32_t sum = 0;
            for (int32_t i = 0; i < span; ++i) {
                uint8_t b = codec.FInPos[i];
                sum += b;
                if (codec.FUnlockOnRead)
                    b = codec.LockTransform(b);
                out[i] = b;
            }
            codec.FReadSum += sum;
            codec.FInPos += span;
            codec.FOutPos += span;
            continue;
        }
        const uint8_t b = codec.ReadByte();
        if (codec.FEndOfInput)
            return;
        codec.WriteByte(b);
    }
}
