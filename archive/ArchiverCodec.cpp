// The codec driver: sets the byte channel up for one entry, runs the
// method's decoder or coder, flushes the output and reports progress.
#include "archive/Archiver.h"

#include "codecs/Coders.h"
#include "codecs/Decoders.h"

namespace {

// Releases the channel's buffers however the codec leaves.
struct TChannelGuard {
    TCodecState& Codec;
    ~TChannelGuard() { Codec.EndChannel(); }
};

void RunDecoder(TCodecState& codec, uint8_t methodIndex, int32_t expandedSize)
{
    switch (methodIndex) {
    case MethodStored: CopyStored(codec); break;
    case MethodRLE: ExpandRLE(codec); break;
    case MethodLZH: ExpandLZH(codec, expandedSize); break;
    case MethodLH5: ExpandLH5(codec, expandedSize); break;
    default: break; // names no codec: nothing is written
    }
}

} // namespace

int32_t TArchiver::RunCodec(TStream& dest, TStream& source, int32_t sourceSize, int32_t expandedSize,
                            uint8_t methodIndex, uint32_t& checksum, TCodecDirection direction, bool unlock)
{
    const bool compressing = direction == TCodecDirection::cdCompress;
    if (compressing && Coders == nullptr)
        throw Exception("This program has no coders linked in");

    TCodecState& codec = *FCodec;
    codec.FOnShowProgress = OnShowProgress;
    if (OnShowProgress) {
        int32_t percent = 0;
        OnShowProgress(percent);
        if (percent == -1) {
            // Cancelled before a byte was taken: nothing of the entry is there.
            codec.FInputCut = sourceSize > 0;
            codec.FReadPastData = false;
            return 0;
        }
    }

    codec.BeginChannel(source, dest, sourceSize, compressing);
    TChannelGuard guard{codec};
    codec.FUnlockOnRead = !compressing && Key != 0 && unlock;
    codec.FLockOnWrite = compressing && Key != 0;
    for (int i = 0; i < 4; ++i)
        codec.FKey[i] = static_cast<uint8_t>(static_cast<uint32_t>(Key) >> (8 * i));

    if (compressing) {
        if (methodIndex < Coders->Compress.size() && Coders->Compress[methodIndex] != nullptr)
            Coders->Compress[methodIndex](codec);
        codec.FlushOutput();
        checksum = codec.FReadSum;
    } else {
        RunDecoder(codec, methodIndex, expandedSize);
        codec.FlushOutput();
        checksum = codec.FWriteSum;
    }
    const int32_t written = codec.FWriteCount;

    if (OnShowProgress) {
        int32_t percent = 100;
        OnShowProgress(percent);
    }
    return written;
}
