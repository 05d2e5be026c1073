// Method 4 ("LH5") coding: streams derived by hand for small inputs, round
// trips through ExpandLH5 around every buffer boundary, the Huffman builder's
// length limit, and the match finder against a brute-force search.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <queue>
#include <random>
#include <string>
#include <vector>

#include "codecs/CodecState.h"
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "codecs/LH5Huffman.h"
#include "codecs/LH5MatchFinder.h"
#include "platform/Stream.h"
#include "tests/support/CodecHarness.h"
#include "tests/support/TestData.h"

using TBytes = std::vector<uint8_t>;

namespace {

// "0101 1..." -> bytes, most significant bit first, the last byte padded
// with zero bits; blanks only group the fields.
TBytes Bits(const std::string& text)
{
    TBytes bytes;
    int count = 0;
    for (char ch : text) {
        if (ch == ' ')
            continue;
        if (count % 8 == 0)
            bytes.push_back(0);
        if (ch == '1')
            bytes.back() |= static_cast<uint8_t>(0x80 >> (count % 8));
        ++count;
    }
    return bytes;
}

TBytes Encode(const TBytes& input)
{
    return RunCompress(CompressLH5, input, UnlimitedBudget).Output;
}

TBytes Expand(const TBytes& stream, size_t size)
{
    return RunExpand(ExpandLH5, stream, static_cast<int32_t>(size)).Output;
}

TBytes FromText(const std::string& text) { return TBytes(text.begin(), text.end()); }

} // namespace

// Each stream below follows the coder by hand: block count, T list, C list,
// P list, then the codes (see the field groups).
TEST(LH5EncoderStreams, SmallInputsGiveTheDerivedBits)
{
    EXPECT_TRUE(Encode({}).empty());

    // One symbol: C list and P list in their single-symbol forms, symbols
    // cost no bits.
    EXPECT_EQ(Encode(FromText("A")), Bits("0000000000000001  00000 00000 000000000 001000001  0000 0000"));

    // Two symbols of length 1: the T list in its single-symbol form (T 3).
    EXPECT_EQ(Encode({0x00, 0x01}), Bits("0000000000000010  00000 00011  000000010  0000 0000  0 1"));

    // a=10 b=0 c=11; T lengths 0 0 2 2 1 with no zero skip after the third;
    // C list: 97 zeros as T 2 + 77, then T 4, T 3, T 4.
    EXPECT_EQ(Encode(FromText("abc")), Bits("0000000000000011"
                                            "  00101 000 000 010 00 010 001"
                                            "  001100100 10 001001101 0 11 0"
                                            "  0000 0000"
                                            "  10 0 11"));

    // 300 equal bytes: a literal, then matches of 256 and 43 at distance 1
    // (position 0, class 0, no extra bits).
    EXPECT_EQ(Encode(TBytes(300, 'a')), Bits("0000000000000011"
                                             "  00101 000 000 001 00 010 010"
                                             "  111111110 0 001001101 11 0 010110010 10 0 011000000 11"
                                             "  0000 0000"
                                             "  10 11 0"));
}

TEST(LH5EncoderRoundTrip, SizesAroundEveryBoundary)
{
    // 7936 and 16128 bring the position to the slides; a block buffer holds
    // about 14,500 symbols, so the large sizes need several blocks.
    const size_t sizes[] = {1, 2, 3, 4, 255, 256, 257, 258, 7935, 7936, 7937, 8192, 8448, 16127, 16128,
                            16129, 16384, 24320, 24321, 40000, 180000};
    const TBytes kinds[] = {MakeText(180000), MakeBinary(180000, 7), MakeRandom(180000, 9), MakeRuns(180000, 11)};
    for (size_t k = 0; k < std::size(kinds); ++k) {
        for (size_t size : sizes) {
            const TBytes input(kinds[k].begin(), kinds[k].begin() + static_cast<ptrdiff_t>(size));
            const TCodecRun run = RunCompress(CompressLH5, input, UnlimitedBudget);
            ASSERT_EQ(Expand(run.Output, size), input) << "kind " << k << " size " << size;
            EXPECT_EQ(run.ReadSum, ByteSum(input));
        }
    }
}

TEST(LH5EncoderRoundTrip, RepetitiveAndSkewedInputs)
{
    std::mt19937 random(5);
    std::vector<TBytes> inputs;
    inputs.push_back(TBytes(100000, 0x20)); // blanks, like the first window's fill
    inputs.push_back(TBytes(70000, 0));
    TBytes period(50000);
    for (size_t i = 0; i < period.size(); ++i)
        period[i] = static_cast<uint8_t>("abcdefgh"[i % 7]);
    inputs.push_back(period);
    // Strings repeating at distances just inside and outside the window.
    TBytes far = MakeRandom(8191, 21);
    far.insert(far.end(), far.begin(), far.begin() + 3000);
    const TBytes block = MakeRandom(8192, 22);
    far.insert(far.end(), block.begin(), block.end());
    far.insert(far.end(), block.begin(), block.end());
    inputs.push_back(far);
    // Byte values with Fibonacci frequencies: the unlimited code of a block
    // would be deeper than 16 bits.
    TBytes skewed;
    for (size_t v = 0, a = 1, b = 1; v < 24; ++v, b = a + b, a = b - a)
        skewed.insert(skewed.end(), a, static_cast<uint8_t>(v * 11));
    std::shuffle(skewed.begin(), skewed.end(), random);
    inputs.push_back(skewed);
    for (const TBytes& input : inputs)
        ASSERT_EQ(Expand(Encode(input), input.size()), input) << "size " << input.size();
}

TEST(LH5EncoderRoundTrip, KeysAndTheBudget)
{
    const TBytes text = MakeText(30000);
    const TCodecRun plain = RunCompress(CompressLH5, text);
    ASSERT_LT(plain.Output.size(), text.size() / 2);

    // A locked entry: every output byte goes through the key.
    const auto lock = [](TCodecState& codec) {
        codec.FLockOnWrite = true;
        const uint8_t key[4] = {0x12, 0x34, 0x56, 0x78};
        std::copy(key, key + 4, codec.FKey);
    };
    const TCodecRun locked = RunCompress(CompressLH5, text, lock);
    ASSERT_EQ(locked.Output.size(), plain.Output.size());
    EXPECT_NE(locked.Output, plain.Output);
    const auto unlock = [&](TCodecState& codec) {
        lock(codec);
        codec.FLockOnWrite = false;
        codec.FUnlockOnRead = true;
    };
    EXPECT_EQ(RunExpand(ExpandLH5, locked.Output, static_cast<int32_t>(text.size()), unlock).Output, text);

    // Random bytes grow, and the budget of the input size stops the coder.
    EXPECT_THROW(RunCompress(CompressLH5, MakeRandom(20000)), EUnableToCompress);
}

namespace {

// Optimal (unlimited) Huffman cost of the frequencies.
uint64_t HuffmanCost(const std::vector<uint16_t>& freq)
{
    std::priority_queue<uint64_t, std::vector<uint64_t>, std::greater<>> queue;
    for (uint16_t f : freq)
        if (f != 0)
            queue.push(f);
    uint64_t cost = 0;
    while (queue.size() > 1) {
        const uint64_t a = queue.top();
        queue.pop();
        const uint64_t b = queue.top();
        queue.pop();
        cost += a + b;
        queue.push(a + b);
    }
    return cost;
}

struct TBuiltCode {
    int Root;
    std::vector<uint8_t> Len;
    std::vector<uint16_t> Code;
};

TBuiltCode Build(std::vector<uint16_t> freq)
{
    const int n = static_cast<int>(freq.size());
    freq.resize(2 * freq.size());
    TBuiltCode built{0, std::vector<uint8_t>(n), std::vector<uint16_t>(n + 1)};
    auto huffman = std::make_unique<TLH5Huffman>();
    built.Root = huffman->MakeTree(n, freq.data(), built.Len.data(), built.Code.data());
    return built;
}

// The lengths form a complete prefix code with no length above 16, and the
// codes are the canonical ones of those lengths.
void ExpectCanonicalComplete(const TBuiltCode& built)
{
    uint32_t kraft = 0;
    for (uint8_t l : built.Len) {
        ASSERT_LE(l, 16);
        if (l != 0)
            kraft += 1u << (16 - l);
    }
    EXPECT_EQ(kraft, 1u << 16);
    uint32_t next = 0;
    for (int l = 1; l <= 16; ++l) {
        for (size_t s = 0; s < built.Len.size(); ++s) {
            if (built.Len[s] == l) {
                EXPECT_EQ(built.Code[s], next) << "symbol " << s;
                next += 1u << (16 - l);
            }
        }
    }
}

} // namespace

TEST(LH5Huffman, OptimalWhenShortEnoughAndLimitedOtherwise)
{
    std::mt19937 random(3);
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<uint16_t> freq(510);
        for (auto& f : freq)
            f = random() % 3 == 0 ? 0 : static_cast<uint16_t>(1 + random() % 40);
        const TBuiltCode built = Build(freq);
        ASSERT_GE(built.Root, 510);
        ExpectCanonicalComplete(built);
        uint64_t cost = 0;
        for (size_t s = 0; s < freq.size(); ++s)
            cost += uint64_t{freq[s]} * built.Len[s];
        EXPECT_EQ(cost, HuffmanCost(freq));
    }

    // Fibonacci frequencies (as many symbols as a block can count) make a
    // tree 19 levels deep: the limit cuts it to 16, and the rarest symbols
    // take the longest codes.
    std::vector<uint16_t> fib(20);
    fib[0] = fib[1] = 1;
    for (size_t i = 2; i < fib.size(); ++i)
        fib[i] = static_cast<uint16_t>(fib[i - 1] + fib[i - 2]);
    const TBuiltCode limited = Build(fib);
    ExpectCanonicalComplete(limited);
    EXPECT_EQ(*std::max_element(limited.Len.begin(), limited.Len.end()), 16);
    EXPECT_TRUE(std::is_sorted(limited.Len.rbegin(), limited.Len.rend()));

    // One symbol or none: no lengths, the symbol is the root.
    std::vector<uint16_t> single(14, 0);
    single[5] = 9;
    const TBuiltCode one = Build(single);
    EXPECT_EQ(one.Root, 5);
    EXPECT_EQ(std::count(one.Len.begin(), one.Len.end(), 0), 14);
    EXPECT_EQ(Build(std::vector<uint16_t>(19, 0)).Root, 0);
}

namespace {

// Drives the match finder over an input as the coder does, without the
// coder's cuts, and checks every position against a brute-force search of
// the strings that entered the window before it.
void CheckMatchFinder(const TBytes& input)
{
    TReadOnlyMemoryStream source(input.data(), static_cast<int32_t>(input.size()));
    TMemoryStream sink;
    auto codec = std::make_unique<TCodecState>();
    codec->BeginChannel(source, sink, static_cast<int32_t>(input.size()), true);
    auto finder = std::make_unique<TLH5MatchFinder>(*codec);
    finder->InitSlide();
    finder->FPos = LH5::FirstPosition;
    finder->ReadFirstWindow();
    finder->FMatchLen = 0;
    finder->FMatchPos = 0;
    finder->InsertTrie();

    const uint8_t* w = finder->FWindow;
    for (int64_t step = 0; finder->FRemainder > 0; ++step) {
        const int pos = finder->FPos;
        const int64_t inserted = std::min<int64_t>(step, LH5::WindowSize - 1);
        int best = 0;
        for (int from = pos - static_cast<int>(inserted); from < pos && best < LH5::MaxMatch; ++from) {
            if (w[from + best] != w[pos + best])
                continue; // cannot be longer than the best so far
            int l = 0;
            while (l < LH5::MaxMatch && w[from + l] == w[pos + l])
                ++l;
            best = std::max(best, l);
        }
        if (best >= LH5::Threshold) {
            ASSERT_EQ(finder->FMatchLen, best) << "position " << step;
            const int at = finder->FMatchPos;
            ASSERT_TRUE(at < pos && at >= pos - inserted) << "position " << step;
            ASSERT_TRUE(std::equal(w + at, w + at + best, w + pos)) << "position " << step;
        } else {
            ASSERT_LT(finder->FMatchLen, LH5::Threshold) << "position " << step;
        }
        finder->GetNextMatch();
    }
    codec->EndChannel();
}

} // namespace

TEST(LH5MatchFinder, FindsTheLongestMatchInTheWindow)
{
    // Each input passes both slides.
    CheckMatchFinder(MakeRandom(17000, 31));
    // Few symbols: many long and full-length matches, leaves replaced.
    TBytes few = MakeRandom(17000, 32);
    for (auto& b : few)
        b = static_cast<uint8_t>('a' + b % 3);
    CheckMatchFinder(few);
    CheckMatchFinder(MakeText(17000, 33));
    CheckMatchFinder(MakeRuns(17000, 34));
    CheckMatchFinder(TBytes(17000, 'z'));
}
