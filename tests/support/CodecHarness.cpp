#include "tests/support/CodecHarness.h"

#include "codecs/CodecState.h"
#include "platform/Stream.h"

namespace {

TCodecRun Run(const TCodecRoutine& routine, const std::vector<uint8_t>& input, bool compressing,
              const TCodecSetup& setup)
{
    TMemoryStream source(input);
    TMemoryStream dest;
    TCodecState codec;
    codec.BeginChannel(source, dest, static_cast<int32_t>(input.size()), compressing);
    try {
        if (setup)
            setup(codec);
        routine(codec);
        codec.FlushOutput();
    } catch (...) {
        codec.EndChannel();
        throw;
    }
    codec.EndChannel();
    return {dest.Bytes(), codec.FReadSum, codec.FWriteSum, codec.FInputCut, codec.FReadPastData};
}

} // namespace

TCodecRun RunExpand(const TExpandRoutine& routine, const std::vector<uint8_t>& input,
                    int32_t expandedSize, const TCodecSetup& setup)
{
    return Run([&](TCodecState& codec) { routine(codec, expandedSize); }, input, false, setup);
}

TCodecRun RunExpand(const TCodecRoutine& routine, const std::vector<uint8_t>& input,
                    const TCodecSetup& setup)
{
    return Run(routine, input, false, setup);
}

TCodecRun RunCompress(const TCodecRoutine& routine, const std::vector<uint8_t>& input,
                      const TCodecSetup& setup)
{
    return Run(routine, input, true, setup);
}

void UnlimitedBudget(TCodecState& codec)
{
    // Raising the budget is safe at any time: the channel re-reads it on its
    // next slow-path write.
    codec.FOutputBudget = 0x7FFFFFFF;
}

uint32_t ByteSum(const std::vector<uint8_t>& bytes)
{
    uint32_t sum = 0;
    for (const uint8_t b : bytes)
        sum += b;
    return sum;
}
