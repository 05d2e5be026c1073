// The byte channel: sums, budget, key transform, flush sizes; and the two
// simple methods, stored and run-length.
#include <gtest/gtest.h>

#include "codecs/CodecState.h"
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "platform/Stream.h"
#include "tests/support/ArchiveBuilder.h"

namespace {

// A destination that records the size of every write it is given.
struct TRecordingStream : TMemoryStream {
    std::vector<int32_t> Writes;
    int32_t Write(const void* buffer, int32_t count) override
    {
        Writes.push_back(count);
        return TMemoryStream::Write(buffer, count);
    }
};

struct TChannelRun {
    std::vector<uint8_t> Output;
    uint32_t ReadSum = 0, WriteSum = 0;
    int32_t WriteCount = 0;
};

TChannelRun RunChannel(void (*method)(TCodecState&), const std::vector<uint8_t>& input, bool compressing,
                uint32_t key = 0, bool lockOnWrite = false, bool unlockOnRead = false)
{
    TCodecState codec;
    TMemoryStream source(input), dest;
    codec.BeginChannel(source, dest, static_cast<int32_t>(input.size()), compressing);
    for (int i = 0; i < 4; ++i)
        codec.FKey[i] = static_cast<uint8_t>(key >> (8 * i));
    codec.FLockOnWrite = lockOnWrite;
    codec.FUnlockOnRead = unlockOnRead;
    method(codec);
    codec.FlushOutput();
    TChannelRun run{dest.Bytes(), codec.FReadSum, codec.FWriteSum, codec.FWriteCount};
    codec.EndChannel();
    return run;
}

std::vector<uint8_t> Rle(const std::vector<uint8_t>& in) { return RunChannel(&CompressRLE, in, false).Output; }
std::vector<uint8_t> UnRle(const std::vector<uint8_t>& in) { return RunChannel(&ExpandRLE, in, false).Output; }

TEST(CodecChannel, StoredCopyKeepsSumsAndCountsAcrossBuffers)
{
    std::vector<uint8_t> data(30000);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 131 + 7);
    const TChannelRun run = RunChannel(&CopyStored, data, true);
    EXPECT_EQ(run.Output, data);
    EXPECT_EQ(run.ReadSum, ByteSum(data.data(), data.size()));
    EXPECT_EQ(run.WriteSum, run.ReadSum);
    EXPECT_EQ(run.WriteCount, 30000);
    EXPECT_TRUE(RunChannel(&CopyStored, {}, true).Output.empty());
}

TEST(CodecChannel, KeyTransformLocksAndUnlocks)
{
    const uint32_t key = 0xA1B2C3D4;
    std::vector<uint8_t> data(20000, 0);
    data[4] = 0xFF;
    const TChannelRun locked = RunChannel(&CopyStored, data, true, key, true);
    ASSERT_EQ(locked.Output.size(), data.size());
    EXPECT_EQ(locked.Output[0], 0xD4);
    EXPECT_EQ(locked.Output[1], 0xC3);
    EXPECT_EQ(locked.Output[2], 0xB2);
    EXPECT_EQ(locked.Output[3], 0xA1);
    EXPECT_EQ(locked.Output[4], 0xFF ^ 0xD4);
    EXPECT_EQ(locked.Output[8195], 0xA1); // the key index runs on across flushes
    EXPECT_EQ(locked.ReadSum, ByteSum(data.data(), data.size()));
    EXPECT_EQ(locked.WriteSum, ByteSum(locked.Output.data(), locked.Output.size()));
    const TChannelRun unlocked = RunChannel(&CopyStored, locked.Output, false, key, false, true);
    EXPECT_EQ(unlocked.Output, data);
    EXPECT_EQ(unlocked.ReadSum, locked.WriteSum); // sums the bytes as stored
}

TEST(CodecChannel, BudgetRaisesOnTheFirstByteBeyondIt)
{
    // RLE of bytes 0x94 doubles them: the budget (the input size) runs out.
    const std::vector<uint8_t> data(10000, RLEEscape);
    TCodecState codec;
    TMemoryStream source(data);
    TRecordingStream dest;
    codec.BeginChannel(source, dest, 10000, true);
    try {
        CompressRLE(codec);
        ADD_FAILURE() << "no exception";
    } catch (const EUnableToCompress& e) {
        EXPECT_EQ(e.Message(), "Could not compress data, will store instead");
    }
    codec.SettleOutput();
    EXPECT_EQ(codec.FWriteCount, 10000);
    EXPECT_EQ(dest.Writes, std::vector<int32_t>{8192}); // whole blocks only
}

TEST(CodecChannel, FlushesWholeBuffersThenTheRest)
{
    TCodecState codec;
    TMemoryStream source;
    TRecordingStream dest;
    codec.BeginChannel(source, dest, 0, false);
    for (int i = 0; i < 20000; ++i)
        codec.WriteByte(static_cast<uint8_t>(i));
    codec.FlushOutput();
    EXPECT_EQ(dest.Writes, (std::vector<int32_t>{8192, 8192, 3616}));
    EXPECT_EQ(codec.FWriteCount, 20001); // starts at 1 when expanding
}

TEST(CodecChannel, ShortStreamEndsInputEarly)
{
    // The channel asks for 8192 but the stream holds 100: that is the end.
    TCodecState codec;
    TMemoryStream source(std::vector<uint8_t>(100, 'x')), dest;
    codec.BeginChannel(source, dest, 5000, false);
    int n = 0;
    for (;;) {
        codec.ReadByte();
        if (codec.FEndOfInput)
            break;
        ++n;
    }
    EXPECT_EQ(n, 100);
    EXPECT_EQ(codec.ReadByte(), 0);
    EXPECT_TRUE(codec.FEndOfInput);
}

TEST(RunLength, EncodesRunsEscapesAndLimits)
{
    const uint8_t E = RLEEscape;
    EXPECT_EQ(Rle({}), std::vector<uint8_t>{});
    EXPECT_EQ(Rle({0, 0, 0}), (std::vector<uint8_t>{0, E, 3})); // the first byte is no run, even 0x00
    EXPECT_EQ(Rle({7, 7}), (std::vector<uint8_t>{7, 7}));
    EXPECT_EQ(Rle({7, 7, 7}), (std::vector<uint8_t>{7, E, 3}));
    EXPECT_EQ(Rle({E}), (std::vector<uint8_t>{E, 0}));
    EXPECT_EQ(Rle({E, E, E}), (std::vector<uint8_t>{E, 0, E, 0, E, 0}));
    EXPECT_EQ(Rle({5, 5, 5, E, 5}), (std::vector<uint8_t>{5, E, 3, E, 0, 5}));
    EXPECT_EQ(Rle(std::vector<uint8_t>(300, 'A')), (std::vector<uint8_t>{'A', E, 255, 'A', E, 45}));
    EXPECT_EQ(Rle(std::vector<uint8_t>(10000, 'z')).size(), 120u);
}

TEST(RunLength, DecodesIncludingACutEscape)
{
    const uint8_t E = RLEEscape;
    EXPECT_EQ(UnRle({'A', E, 255, 'A', E, 45}), std::vector<uint8_t>(300, 'A'));
    EXPECT_EQ(UnRle({'x', E}), (std::vector<uint8_t>{'x', E}));
    EXPECT_EQ(UnRle({E, 0}), (std::vector<uint8_t>{E}));
    EXPECT_TRUE(UnRle({}).empty());
}

TEST(RunLength, RoundTripsVariedData)
{
    std::vector<std::vector<uint8_t>> inputs;
    uint32_t seed = 12345;
    std::vector<uint8_t> mixed;
    for (int i = 0; i < 50000; ++i) {
        seed = seed * 1103515245 + 12345;
        const int runLength = (seed >> 16) % 7 == 0 ? static_cast<int>((seed >> 8) % 600) : 1;
        const uint8_t b = (seed >> 20) % 9 == 0 ? RLEEscape : static_cast<uint8_t>(seed >> 24);
        mixed.insert(mixed.end(), static_cast<size_t>(runLength), b);
    }
    inputs.push_back(mixed);
    inputs.push_back(std::vector<uint8_t>(255, 1));
    inputs.push_back(std::vector<uint8_t>(256, 1));
    inputs.push_back(std::vector<uint8_t>(511, 1));
    inputs.push_back({1});
    for (const auto& in : inputs) {
        const TChannelRun coded = RunChannel(&CompressRLE, in, false);
        const TChannelRun back = RunChannel(&ExpandRLE, coded.Output, false);
        EXPECT_EQ(back.Output, in) << in.size();
        EXPECT_EQ(back.WriteSum, coded.ReadSum);
    }
}

} // namespace
