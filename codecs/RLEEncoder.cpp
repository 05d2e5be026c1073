// Method 1 ("RLE") coding. A run starts on the second equal byte (the first
// is already written) and ends at 255 bytes; runs of 0x94 are never formed.
#include "codecs/CodecState.h"
#include "codecs/Encoders.h"

namespace {

void EmitRun(TCodecState& codec, int32_t count, uint8_t byte)
{
    if (count == 0 || count > 2) {
        codec.WriteByte(RLEEscape);
        codec.WriteByte(static_cast<uint8_t>(count));
    } else if (count == 2) {
        codec.WriteByte(byte);
    }
}

} // namespace

void CompressRLE(TCodecState& codec)
{
    for (;;) {
        const uint8_t b = codec.ReadByte();
        if (codec.FEndOfInput) {
            if (codec.FRunActive)
                EmitRun(codec, codec.FRunCount, codec.FRunChar);
            return;
        }
        if (codec.FRunActive) {
            if (b == codec.FRunChar && codec.FRunCount < 255) {
                ++codec.FRunCount;
            } else {
                EmitRun(codec, codec.FRunCount, codec.FRunChar);
                codec.FRunChar = b;
                if (b == RLEEscape)
                    EmitRun(codec, 0, RLEEscape);
                else
                    codec.WriteByte(b);
                codec.FRunActive = false;
            }
        } else {
            if (b == RLEEscape) {
                EmitRun(codec, 0, RLEEscape);
            } else if (b == codec.FRunChar && !codec.FFirstByte) {
                codec.FRunCount = 2;
                codec.FRunActive = true;
            } else {
                codec.WriteByte(b);
            }
            codec.FRunChar = b;
        }
        codec.FFirstByte = false;
    }
}
