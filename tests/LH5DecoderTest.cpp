// Method 4 decoding: round trips through the test stream writer, hand-made
// streams for the single-symbol and zero-run forms, damaged streams, and the
// channel's view of what the decoder reads.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "codecs/CodecErrors.h"
#include "codecs/CodecState.h"
#include "codecs/Decoders.h"
#include "platform/Stream.h"
#include "tests/support/CodecHarness.h"
#include "tests/support/LH5StreamWriter.h"
#include "tests/support/TestData.h"

namespace {

using TBytes = std::vector<uint8_t>;

TCodecRun Expand(const TBytes& stream, int32_t size, const TCodecSetup& setup = {})
{
    return RunExpand(ExpandLH5, stream, size, setup);
}

std::string Text(const TBytes& b)
{
    return std::string(b.begin(), b.end());
}

TBytes Periodic(size_t size, size_t period)
{
    TBytes out(size);
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<uint8_t>('a' + i % period);
    return out;
}

// C code: 'a', 'b', length 3 (256) and length 4 (257), two bits each; the
// C list needs T symbols 2 (long zero run) and 4 (length 2). The T list is
// 0, 0, 1, then the zero-run field skips index 3, then 1.
void PutSmallTC(TLH5StreamWriter& w)
{
    w.PutTLengths({0, 0, 1, 0, 1});
    TBytes c(258, 0);
    c['a'] = c['b'] = c[256] = c[257] = 2;
    w.PutCLengths(c);
}

// P code: classes 0 and 1, one bit each.
void PutSmallP(TLH5StreamWriter& w)
{
    w.PutPLengths({1, 1});
}

} // namespace

// ---- Round trips -------------------------------------------------------------

struct TRoundTripCase {
    const char* Name;
    std::function<TBytes(size_t)> Make;
};

void PrintTo(const TRoundTripCase& c, std::ostream* os)
{
    *os << c.Name;
}

class LH5RoundTrip : public ::testing::TestWithParam<TRoundTripCase> {};

TEST_P(LH5RoundTrip, EverySizeDecodesBackExactly)
{
    for (const size_t size : {0, 1, 3, 255, 256, 257, 8191, 8192, 8193, 40000, 140000}) {
        const TBytes data = GetParam().Make(size);
        const TBytes stream = EncodeLH5ForTests(data);
        const TCodecRun run = Expand(stream, static_cast<int32_t>(data.size()));
        ASSERT_EQ(run.Output, data) << GetParam().Name << " size " << size;
        EXPECT_EQ(run.WriteSum, ByteSum(data));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Data, LH5RoundTrip,
    ::testing::Values(TRoundTripCase{"Text", [](size_t n) { return MakeText(n); }},
                      TRoundTripCase{"Binary", [](size_t n) { return MakeBinary(n); }},
                      TRoundTripCase{"Runs", [](size_t n) { return MakeRuns(n); }},
                      TRoundTripCase{"Random", [](size_t n) { return MakeRandom(n); }},
                      TRoundTripCase{"Period2", [](size_t n) { return Periodic(n, 2); }},
                      TRoundTripCase{"Period7", [](size_t n) { return Periodic(n, 7); }},
                      TRoundTripCase{"Period9", [](size_t n) { return Periodic(n, 9); }}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(LH5Decoder, ManyBlocksAndMoreThan65536Symbols)
{
    // Random bytes are nearly all literals: 150,000 of them need three full
    // blocks; small blocks switch tables thousands of times.
    const TBytes random = MakeRandom(150000);
    EXPECT_EQ(Expand(EncodeLH5ForTests(random), 150000).Output, random);
    const TBytes text = MakeText(100000, 9);
    EXPECT_EQ(Expand(EncodeLH5ForTests(text, 37), 100000).Output, text);
}

TEST(LH5Decoder, LockedStreamIsUnlockedWhileRead)
{
    const TBytes data = MakeText(30000, 5);
    TBytes stream = EncodeLH5ForTests(data);
    const uint8_t key[4] = {0x5A, 0x01, 0xC3, 0x77};
    for (size_t i = 0; i < stream.size(); ++i)
        stream[i] ^= key[i & 3];
    const TCodecRun run = Expand(stream, 30000, [&](TCodecState& codec) {
        codec.FUnlockOnRead = true;
        std::copy(key, key + 4, codec.FKey);
    });
    EXPECT_EQ(run.Output, data);
}

// ---- Hand-made streams ---------------------------------------------------------

TEST(LH5Decoder, SingleSymbolCListCostsNoBits)
{
    TLH5StreamWriter w;
    w.PutBlockCount(5);
    w.PutTSingle(0);
    w.PutCSingle('x');
    w.PutPSingle(0);
    EXPECT_EQ(w.BitCount(), 16u + 10 + 18 + 8); // nothing for the five symbols
    const TBytes stream = w.Finish();
    EXPECT_EQ(Text(Expand(stream, 5).Output), "xxxxx");
}

TEST(LH5Decoder, SingleSymbolTListGivesEveryCEntryThatLength)
{
    // T symbol 5 is length 3: eight C symbols 0..7 with 3-bit codes.
    TLH5StreamWriter w;
    w.PutBlockCount(4);
    w.PutTSingle(5);
    w.PutCLengths({3, 3, 3, 3, 3, 3, 3, 3});
    w.PutPSingle(0);
    for (const uint8_t b : {7, 0, 5, 2})
        w.PutSymbol(Lit(b));
    EXPECT_EQ(Expand(w.Finish(), 4).Output, (TBytes{7, 0, 5, 2}));
}

TEST(LH5Decoder, SingleSymbolPListSendsOnlyTheExtraBits)
{
    // Class 2 only: positions 2 and 3, one extra bit each.
    TLH5StreamWriter w;
    w.PutBlockCount(5);
    w.PutTLengths({0, 0, 1, 0, 1});
    TBytes c(258, 0);
    c['a'] = c['b'] = c['c'] = 2;
    c[257] = 2; // length 4
    w.PutCLengths(c);
    w.PutPSingle(2);
    for (const TLH5Symbol& s : {Lit('a'), Lit('b'), Lit('c'), Match(4, 2), Match(4, 3)})
        w.PutSymbol(s);
    EXPECT_EQ(Text(Expand(w.Finish(), 11).Output), "abcabcaabca");
}

TEST(LH5Decoder, PositionClassesZeroAndOneAreDistancesOneAndTwo)
{
    TLH5StreamWriter w;
    w.PutBlockCount(4);
    PutSmallTC(w);
    PutSmallP(w);
    for (const TLH5Symbol& s : {Lit('a'), Lit('b'), Match(3, 1), Match(4, 0)})
        w.PutSymbol(s);
    EXPECT_EQ(Text(Expand(w.Finish(), 9).Output), "ababaaaaa");
}

TEST(LH5Decoder, WindowStartsAsSpacesAndReachesBack8192)
{
    // A first match 8192 back copies the initial spaces; after 8192 bytes
    // the same position copies the first of them.
    std::vector<TLH5Symbol> symbols = {Match(5, 8191)};
    TBytes expected(5, ' ');
    const TBytes text = MakeText(8192 - 5, 3);
    for (const uint8_t b : text) {
        symbols.push_back(Lit(b));
        expected.push_back(b);
    }
    symbols.push_back(Match(256, 8191));
    expected.insert(expected.end(), expected.begin(), expected.begin() + 256);
    TLH5StreamWriter w;
    w.PutBlock(symbols);
    EXPECT_EQ(Expand(w.Finish(), static_cast<int32_t>(expected.size())).Output, expected);
}

TEST(LH5Decoder, BlockCountZeroMeans65536Symbols)
{
    TLH5StreamWriter w;
    w.PutBlockCount(0);
    w.PutTSingle(0);
    w.PutCSingle('A');
    w.PutPSingle(0);
    w.PutBlockCount(3);
    w.PutTSingle(0);
    w.PutCSingle('B');
    w.PutPSingle(0);
    TBytes expected(65536, 'A');
    expected.insert(expected.end(), 3, 'B');
    EXPECT_EQ(Expand(w.Finish(), 65539).Output, expected);
    // The same through the writer's own blocks of 65536 symbols.
    const TBytes random = MakeRandom(70000, 11);
    EXPECT_EQ(Expand(EncodeLH5ForTests(random, 65536), 70000).Output, random);
}

TEST(LH5Decoder, TZeroRunFieldFollowsTheThirdLengthEvenWhenNonzero)
{
    // T lengths 2, 2, 2, 3, 3: the field after the third length is 0.
    TLH5StreamWriter w;
    w.PutBlockCount(2);
    w.PutTLengths({2, 2, 2, 3, 3});
    w.PutCLengths({1, 1}); // T symbol 3 (length 1) twice
    w.PutPSingle(0);
    w.PutSymbol(Lit(1));
    w.PutSymbol(Lit(0));
    EXPECT_EQ(Expand(w.Finish(), 2).Output, (TBytes{1, 0}));
}

TEST(LH5Decoder, ZeroRunEndingExactlyAtTheLastCSymbolIsAccepted)
{
    TLH5StreamWriter w;
    w.PutBlockCount(2);
    w.PutTLengths({0, 0, 1, 1}); // T2 and T3, one bit each
    TBytes c(510, 0);
    c[0] = c[1] = 1; // then a run of 508 zeros to the end of the list
    w.PutCLengths(c);
    w.PutPSingle(0);
    w.PutSymbol(Lit(1));
    w.PutSymbol(Lit(1));
    EXPECT_EQ(Expand(w.Finish(), 2).Output, (TBytes{1, 1}));
}

TEST(LH5Decoder, OverLongLastMatchIsCut)
{
    for (const int32_t size : {3, 5, 6}) {
        TLH5StreamWriter w;
        w.PutBlockCount(3);
        PutSmallTC(w);
        PutSmallP(w);
        for (const TLH5Symbol& s : {Lit('a'), Lit('b'), Match(4, 1)})
            w.PutSymbol(s);
        const TCodecRun run = Expand(w.Finish(), size);
        EXPECT_EQ(Text(run.Output), std::string("ababab").substr(0, static_cast<size_t>(size)));
    }
    // A long match cut inside the output buffer's and the window's spans.
    const TBytes runs(100000, 'z');
    for (const int32_t size : {1, 8192, 9000, 99999})
        EXPECT_EQ(Expand(EncodeLH5ForTests(runs), size).Output, TBytes(static_cast<size_t>(size), 'z'));
}

// ---- Early end of input and the channel ---------------------------------------

TEST(LH5Decoder, NoInputAtAllStopsOnceItReadsPastTheData)
{
    // All zero bits are 65536-symbol blocks whose T, C and P lists are the
    // single symbol 0: every symbol the literal 0 at no cost. The decoder
    // stops within one stretch of its window instead of writing the size.
    for (const int32_t size : {1, 100, 65536, 70000, 0x7FFFFFFF}) {
        const TCodecRun run = Expand({}, size);
        EXPECT_EQ(run.Output, TBytes(run.Output.size(), 0));
        EXPECT_LT(run.Output.size(), 65536u);
        EXPECT_TRUE(run.ReadPastData);
    }
}

TEST(LH5Decoder, TruncatedStreamStopsAfterWhatItHolds)
{
    const TBytes data = MakeText(20000, 4);
    const TBytes stream = EncodeLH5ForTests(data);
    const TBytes half(stream.begin(), stream.begin() + static_cast<ptrdiff_t>(stream.size() / 2));
    // Zero bits never make a bad table: every list then takes its
    // single-symbol form.
    const TCodecRun run = Expand(half, 20000);
    EXPECT_TRUE(run.ReadPastData);
    ASSERT_GE(run.Output.size(), 5000u);
    EXPECT_LT(run.Output.size(), 20000u);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 5000, run.Output.begin()));
    // A whole stream never reads past itself.
    EXPECT_FALSE(Expand(stream, 20000).ReadPastData);
}

TEST(LH5Decoder, SizeZeroOrNegativeReadsAndWritesNothing)
{
    const TBytes stream = EncodeLH5ForTests(MakeText(1000));
    for (const int32_t size : {0, -1, -70000}) {
        const TCodecRun run = Expand(stream, size);
        EXPECT_TRUE(run.Output.empty());
        EXPECT_EQ(run.ReadSum, 0u);
    }
}

TEST(LH5Decoder, ReadsTheStreamPlusSixteenBitsAndNoMore)
{
    // What follows the stream in the entry is read only as far as the
    // 16-bit look-ahead reaches past the last symbol: two bytes here, since
    // every stream ends on a byte boundary.
    for (const size_t size : {1, 40, 3000, 8192, 20000, 100000}) {
        const TBytes data = MakeText(size, 7);
        TBytes stream = EncodeLH5ForTests(data);
        const uint32_t streamSum = ByteSum(stream);
        stream.insert(stream.end(), 40, 0xAB);
        const TCodecRun run = Expand(stream, static_cast<int32_t>(size));
        ASSERT_EQ(run.Output, data);
        EXPECT_EQ(run.ReadSum, streamSum + 2 * 0xAB) << "size " << size;
    }
}

TEST(LH5Decoder, KeyPositionFollowsTheBytesActuallyRead)
{
    const TBytes data = MakeText(5000, 8);
    TBytes stream = EncodeLH5ForTests(data);
    const size_t read = stream.size() + 2;
    stream.insert(stream.end(), 64, 0x11);
    TMemoryStream source(stream);
    TMemoryStream dest;
    TCodecState codec;
    codec.BeginChannel(source, dest, static_cast<int32_t>(stream.size()), false);
    codec.FUnlockOnRead = true; // key 0: bytes unchanged, index still advances
    ExpandLH5(codec, 5000);
    codec.FlushOutput();
    EXPECT_EQ(codec.FKeyIndex, read % 4);
    EXPECT_EQ(codec.FInPos - codec.FInBuf.get(), static_cast<ptrdiff_t>(read));
    codec.EndChannel();
    EXPECT_EQ(dest.Bytes(), data);
}

TEST(LH5Decoder, CancelledProgressEndsTheDataThere)
{
    // A cancel at the second refill is the same as a stream cut after its
    // first 8192 bytes; the bytes still buffered are not used.
    const TBytes data = MakeRandom(30000, 6);
    const TBytes stream = EncodeLH5ForTests(data);
    ASSERT_GT(stream.size(), 16384u);
    int calls = 0;
    const TCodecRun cancelled = Expand(stream, 30000, [&](TCodecState& codec) {
        codec.FOnShowProgress = [&](int32_t& percent) {
            if (++calls == 2)
                percent = -1;
        };
    });
    EXPECT_EQ(calls, 2);
    const TBytes cut(stream.begin(), stream.begin() + 8192);
    EXPECT_EQ(cancelled.Output, Expand(cut, 30000).Output);
    EXPECT_TRUE(cancelled.InputCut);
    EXPECT_LT(cancelled.Output.size(), 30000u);
}

// ---- Damaged streams -----------------------------------------------------------

namespace {

struct TDamageCase {
    const char* Name;
    std::function<void(TLH5StreamWriter&)> Build;
    int32_t Size;
    std::optional<std::string> Output; // none: the bad-table error
};

void ValidTC(TLH5StreamWriter& w)
{
    w.PutBlockCount(3);
    PutSmallTC(w);
}

const TDamageCase DamageCases[] = {
    // Codes that are not complete prefix codes.
    {"CSingleLengthOne", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTSingle(3); w.PutCLengths({1}); }, 1, {}},
    {"TSingleLengthOne", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTLengths({0, 1}); }, 1, {}},
    {"PSingleLengthOne", [](TLH5StreamWriter& w) { ValidTC(w); w.PutPLengths({1}); }, 1, {}},
    {"COverFullWrapsTo65536x2",
     [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTSingle(3); w.PutCLengths({1, 1, 1, 1}); }, 1, {}},
    {"COverFull", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTSingle(4); w.PutCLengths({2, 2, 2, 2, 2}); }, 1, {}},
    {"CIncomplete", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTSingle(4); w.PutCLengths({2, 2, 2}); }, 1, {}},
    {"TOverFullWraps", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTLengths({1, 1, 1, 1}); }, 1, {}},
    {"TIncomplete", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTLengths({1, 2}); }, 1, {}},
    {"POverFullWraps", [](TLH5StreamWriter& w) { ValidTC(w); w.PutPLengths({1, 1, 1, 1}); }, 1, {}},
    {"PIncomplete", [](TLH5StreamWriter& w) { ValidTC(w); w.PutPLengths({1, 2, 3}); }, 1, {}},
    // Counts beyond the symbol counts.
    {"TCount20", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutBits(5, 20); }, 1, {}},
    {"CCount511", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTSingle(0); w.PutBits(9, 511); }, 1, {}},
    {"PCount15", [](TLH5StreamWriter& w) { ValidTC(w); w.PutBits(4, 15); }, 1, {}},
    // A zero run past the last C symbol.
    {"CZeroRunPastEnd",
     [](TLH5StreamWriter& w) {
         w.PutBlockCount(1);
         w.PutTLengths({0, 0, 1, 1});
         w.PutBits(9, 510);
         w.PutTCode(3); // one length 1
         w.PutTCode(2); // then 20 + 490 = 510 zeros: one too many
         w.PutBits(9, 490);
     },
     1, {}},
    {"CShortZeroRunPastEnd",
     [](TLH5StreamWriter& w) {
         w.PutBlockCount(1);
         w.PutTLengths({0, 1, 1});
         w.PutBits(9, 510);
         w.PutTCode(2); // 20 + 485 = 505 zeros
         w.PutBits(9, 485);
         w.PutTCode(1); // then 3 + 3 = 6 more: one too many
         w.PutBits(4, 3);
     },
     1, {}},
    // Unary lengths above 16, with and without their closing zero.
    {"TLength17", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTLengths({17, 1, 1}); }, 1, {}},
    {"TLengthNoClosingZero", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutBits(5, 2); w.PutBits(16, 0xFFFF); }, 1, {}},
    {"PLength17", [](TLH5StreamWriter& w) { ValidTC(w); w.PutPLengths({17, 1, 1}); }, 1, {}},
    // Single-symbol forms naming a symbol beyond the list: like a list with
    // no code, refused once the block needs a symbol of it (every block
    // needs C symbols), and harmless until then.
    {"TSingle19UsedByC", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTSingle(19); w.PutBits(9, 1); }, 1, {}},
    {"TSingle19Unused",
     [](TLH5StreamWriter& w) {
         w.PutBlockCount(1);
         w.PutTSingle(19);
         w.PutCSingle('t');
         w.PutPSingle(0);
     },
     1, "t"},
    {"CSingle510", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTSingle(0); w.PutCSingle(510); }, 1, {}},
    {"PSingle14Used",
     [](TLH5StreamWriter& w) {
         ValidTC(w);
         w.PutPSingle(14);
         w.PutSymbol(Lit('a'));
         w.PutCCode(256);
     },
     4, {}},
    {"PSingle14Unused",
     [](TLH5StreamWriter& w) {
         ValidTC(w);
         w.PutPSingle(14);
         w.PutSymbol(Lit('a'));
         w.PutSymbol(Lit('b'));
         w.PutSymbol(Lit('a'));
     },
     3, "aba"},
    // Lists that give no code at all: fine until a symbol is needed.
    {"TNoCodeUsedByC", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTLengths({0, 0, 0, 0}); w.PutBits(9, 1); }, 1, {}},
    {"CNoCodeUsed", [](TLH5StreamWriter& w) { w.PutBlockCount(1); w.PutTSingle(0); w.PutBits(9, 5); w.PutPSingle(0); }, 1, {}},
    {"PNoCodeUsed",
     [](TLH5StreamWriter& w) {
         ValidTC(w);
         w.PutPLengths({0, 0, 0});
         w.PutSymbol(Lit('a'));
         w.PutCCode(256);
     },
     4, {}},
    {"PNoCodeUnused",
     [](TLH5StreamWriter& w) {
         ValidTC(w);
         w.PutPLengths({0, 0, 0});
         w.PutSymbol(Lit('a'));
         w.PutSymbol(Lit('b'));
         w.PutSymbol(Lit('a'));
     },
     3, "aba"},
    // A bad table in a later block: the earlier blocks' bytes are written.
    {"SecondBlockBad",
     [](TLH5StreamWriter& w) {
         w.PutBlock(std::vector<TLH5Symbol>{Lit('q'), Lit('r')});
         w.PutBlockCount(1);
         w.PutTLengths({1, 1, 1, 1});
     },
     3, {}},
};

void PrintTo(const TDamageCase& c, std::ostream* os)
{
    *os << c.Name;
}

class LH5Damage : public ::testing::TestWithParam<TDamageCase> {};

} // namespace

TEST_P(LH5Damage, GivesTheExpectedOutcome)
{
    const TDamageCase& c = GetParam();
    TLH5StreamWriter w;
    c.Build(w);
    const TBytes stream = w.Finish();
    if (c.Output) {
        EXPECT_EQ(Text(Expand(stream, c.Size).Output), *c.Output);
        return;
    }
    try {
        Expand(stream, c.Size);
        FAIL() << "no error";
    } catch (const ELZHBadDecodeTable& e) {
        EXPECT_STREQ(e.what(), "Bad decode table in archive!");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LH5Damage, ::testing::ValuesIn(DamageCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LH5Decoder, BytesBeforeABadTableAreWritten)
{
    TLH5StreamWriter w;
    w.PutBlock(std::vector<TLH5Symbol>{Lit('q'), Lit('r')});
    w.PutBlockCount(1);
    w.PutTLengths({1, 1, 1, 1});
    TMemoryStream source(w.Finish());
    TMemoryStream dest;
    TCodecState codec;
    codec.BeginChannel(source, dest, static_cast<int32_t>(source.Bytes().size()), false);
    EXPECT_THROW(ExpandLH5(codec, 3), ELZHBadDecodeTable);
    codec.FlushOutput();
    codec.EndChannel();
    EXPECT_EQ(Text(dest.Bytes()), "qr");
}

TEST(LH5Decoder, RandomDamageNeverEscapesTheArrays)
{
    // Flipped bits anywhere: either a bad table or exactly the asked size.
    const TBytes data = MakeText(6000, 12);
    const TBytes stream = EncodeLH5ForTests(data, 700);
    uint32_t seed = 12345;
    int rejected = 0;
    for (int round = 0; round < 600; ++round) {
        TBytes damaged = stream;
        for (int k = 0; k < 1 + round % 4; ++k) {
            seed = seed * 1103515245u + 12345u;
            const size_t at = (seed >> 8) % std::min<size_t>(damaged.size(), round % 2 ? 64 : damaged.size());
            damaged[at] ^= static_cast<uint8_t>(1u << ((seed >> 4) & 7));
        }
        try {
            EXPECT_EQ(Expand(damaged, 6000).Output.size(), 6000u);
        } catch (const ELZHBadDecodeTable&) {
            ++rejected;
        }
    }
    EXPECT_GT(rejected, 0);
}
