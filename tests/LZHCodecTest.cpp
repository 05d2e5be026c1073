// Method 2 ("LZH"): reference streams, round trips through the real channel,
// the match search and the decoder's handling of short and hostile input.
//
// The token reader and writer below are a plain, bit-at-a-time rendering of
// the stream layout used as an oracle: they let the tests look at which
// symbols and positions the encoder chose, and craft streams the encoder
// would never produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "codecs/CodecErrors.h"
#include "codecs/CodecState.h"
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "codecs/LZHModel.h"
#include "tests/support/CodecHarness.h"

using namespace LZH;
using TBytes = std::vector<uint8_t>;

namespace {

struct TToken {
    int Symbol;            // < 256: literal byte; else length symbol
    unsigned Position = 0; // distance - 1, for a match
    int Length() const { return Symbol < FirstLength ? 1 : Symbol - LengthBias; }
};

TToken Literal(uint8_t b) { return {b}; }
TToken Match(int length, unsigned distance) { return {length + LengthBias, distance - 1}; }

struct TParsed {
    std::vector<TToken> Tokens;
    int LongestCode = 0;
};

// Reads tokens until they cover expandedSize bytes; bits past the end are 0.
TParsed ReadTokens(const TBytes& stream, int32_t expandedSize)
{
    size_t bit = 0;
    auto next = [&]() -> unsigned {
        const size_t byte = bit / 8;
        const unsigned v = byte < stream.size() ? (stream[byte] >> (7 - bit % 8)) & 1 : 0;
        ++bit;
        return v;
    };
    TLZHModel model;
    model.StartModel();
    TParsed parsed;
    for (int32_t done = 0; done < expandedSize;) {
        int k = model.FSon[Root];
        int depth = 1;
        for (; k < NodeCount; ++depth)
            k = model.FSon[k + next()];
        parsed.LongestCode = std::max(parsed.LongestCode, depth - 1);
        TToken token{k - NodeCount};
        model.UpdateModel(token.Symbol);
        if (token.Symbol >= FirstLength) {
            unsigned code = 0;
            unsigned u = 64;
            for (int length = 1; u == 64; ++length) {
                code = code * 2 + next();
                for (unsigned i = 0; i < 64; ++i)
                    if (PositionCodeTable[i].Length == length && PositionCodeTable[i].Code == code)
                        u = i;
            }
            unsigned low = 0;
            for (int i = 0; i < 6; ++i)
                low = low * 2 + next();
            token.Position = u * 64 + low;
        }
        done += token.Length();
        parsed.Tokens.push_back(token);
    }
    return parsed;
}

// Writes tokens as the encoder lays them out.
TBytes WriteTokens(const std::vector<TToken>& tokens)
{
    TBytes out;
    int used = 0;
    auto put = [&](unsigned v) {
        if (used % 8 == 0)
            out.push_back(0);
        out.back() |= static_cast<uint8_t>(v << (7 - used % 8));
        ++used;
    };
    TLZHModel model;
    model.StartModel();
    for (const TToken& token : tokens) {
        std::vector<unsigned> path;
        for (int k = model.FParent[token.Symbol + NodeCount]; k != Root; k = model.FParent[k])
            path.push_back(k & 1);
        for (auto it = path.rbegin(); it != path.rend(); ++it)
            put(*it);
        model.UpdateModel(token.Symbol);
        if (token.Symbol >= FirstLength) {
            const TPositionCode& c = PositionCodeTable[token.Position >> 6];
            for (int i = c.Length - 1; i >= 0; --i)
                put((c.Code >> i) & 1);
            for (int i = 5; i >= 0; --i)
                put((token.Position >> i) & 1);
        }
    }
    return out;
}

TBytes Bytes(const std::string& s) { return TBytes(s.begin(), s.end()); }

TBytes Compress(const TBytes& data)
{
    return RunCompress(CompressLZH, data, UnlimitedBudget).Output;
}

TBytes Expand(const TBytes& stream, int32_t size)
{
    return RunExpand(ExpandLZH, stream, size).Output;
}

// Words with punctuation and line breaks, drawn with a skewed frequency.
TBytes EnglishLike(size_t size, uint32_t seed)
{
    static const char* const words[] = {"the", "of", "and", "to", "in", "a", "is", "that", "for", "it",
        "as", "was", "with", "be", "by", "on", "not", "he", "this", "are", "or", "his", "from", "at",
        "which", "but", "have", "an", "had", "they", "you", "were", "their", "one", "all", "we",
        "archive", "expand", "window", "setup", "directory", "install", "program", "registry"};
    std::mt19937 rng(seed);
    std::geometric_distribution<int> pick(0.12);
    TBytes out;
    while (out.size() < size) {
        const std::string w = words[pick(rng) % std::size(words)];
        out.insert(out.end(), w.begin(), w.end());
        const unsigned r = rng() % 20;
        if (r == 0)
            out.push_back('.'), out.push_back('\n');
        else if (r == 1)
            out.push_back(',');
        out.push_back(' ');
    }
    out.resize(size);
    return out;
}

TBytes Random(size_t size, uint32_t seed)
{
    std::mt19937 rng(seed);
    TBytes out(size);
    for (auto& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

// Little-endian records of small counters and flags: typical binary content.
TBytes Records(size_t size, uint32_t seed)
{
    std::mt19937 rng(seed);
    TBytes out;
    for (uint32_t n = 0; out.size() < size; ++n) {
        const uint32_t fields[] = {n, n * 3 + 7, static_cast<uint32_t>(rng() % 16), 0x94949494u,
            static_cast<uint32_t>(rng() % 1000)};
        for (uint32_t f : fields)
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<uint8_t>(f >> (8 * i)));
    }
    out.resize(size);
    return out;
}

void ExpectRoundTrip(const TBytes& data)
{
    const TCodecRun packed = RunCompress(CompressLZH, data, UnlimitedBudget);
    const TCodecRun unpacked = RunExpand(ExpandLZH, packed.Output, static_cast<int32_t>(data.size()));
    ASSERT_EQ(unpacked.Output.size(), data.size());
    EXPECT_TRUE(unpacked.Output == data) << "size " << data.size();
    EXPECT_EQ(packed.ReadSum, ByteSum(data));
    EXPECT_EQ(unpacked.WriteSum, ByteSum(data));
    // The decoder sums the bytes it takes, which are the stream's up to at
    // most a word short of its end (it takes whole words where it can).
    const TBytes& stream = packed.Output;
    bool prefixSum = false;
    for (size_t n = stream.size() >= 9 ? stream.size() - 9 : 0; n <= stream.size(); ++n)
        prefixSum = prefixSum || unpacked.ReadSum == ByteSum(TBytes(stream.begin(), stream.begin() + static_cast<long>(n)));
    EXPECT_TRUE(prefixSum) << "size " << data.size();
}


// Copies of earlier window bytes, lengths 3..11 in Fibonacci proportion,
// each followed by a byte that no earlier occurrence of the copy is followed
// by, so that the encoder codes each copy as exactly one match. Ends when a
// replayed model, past three rebuilds (unused symbols back at count 1), is
// close to the next rebuild: the tree is then at its deepest. Ends with a few
// fresh literals, which sit at the bottom.
TBytes DeepTreeInput(uint32_t seed)
{
    static const unsigned weights[] = {1, 1, 2, 3, 5, 8, 13, 21, 34};
    std::mt19937 rng(seed);
    TBytes data = Random(400, seed);
    TLZHModel model;
    model.StartModel();
    for (uint8_t b : data)
        model.UpdateModel(b);
    // Whether the copy at [start, start + length) would run on into next.
    const auto extends = [&](size_t start, int length, uint8_t next) {
        const size_t from = start > 4036 ? start - 4036 : 0;
        for (size_t p = from; p < start; ++p)
            if (data[p + length] == next && std::equal(data.begin() + static_cast<long>(p),
                    data.begin() + static_cast<long>(p) + length, data.begin() + static_cast<long>(start)))
                return true;
        return false;
    };
    size_t start = 0;
    int length = 0;
    int rebuilds = 0;
    while (rebuilds < 3 || model.FFreq[Root] < 32400) {
        unsigned w = rng() % 88;
        int next = 3;
        while (w >= weights[next - 3])
            w -= weights[next++ - 3];
        // Copies reach back 64 to 4000 bytes, never before the start.
        const size_t reach = std::min<size_t>(4000, data.size());
        size_t distance = 0;
        for (int tries = 0; tries < 50 && distance == 0; ++tries) {
            distance = 64 + rng() % (reach - 63);
            if (length > 0 && extends(start, length, data[data.size() - distance]))
                distance = 0;
        }
        if (distance == 0)
            continue;
        start = data.size();
        length = next;
        for (int i = 0; i < length; ++i)
            data.push_back(data[data.size() - distance]);
        rebuilds += model.FFreq[Root] == MaxFreq;
        model.UpdateModel(length + LengthBias);
    }
    // The literal that currently has the longest code, unless it would
    // lengthen the copy before it.
    for (int i = 0; i < 4; ++i) {
        int deepest = -1;
        int depth = 0;
        for (int b = 0; b < 256; ++b) {
            int d = 0;
            for (int k = model.FParent[b + NodeCount]; k != Root; k = model.FParent[k])
                ++d;
            if (d > depth && !extends(start, length, static_cast<uint8_t>(b)))
                deepest = b, depth = d;
        }
        data.push_back(static_cast<uint8_t>(deepest));
        model.UpdateModel(deepest);
        start = data.size() - 1;
        length = 1;
    }
    return data;
}

} // namespace

TEST(LZHCodec, ReferenceStreamsBothWays)
{
    const std::pair<std::string, TBytes> cases[] = {
        {"abc", {0xF6, 0xFB, 0xBD, 0xE0}},
        {std::string(10, 'a'), {0xF6, 0xC9, 0x00, 0x00}},
        {"abcabcabcabc", {0xF6, 0xFB, 0xBD, 0xF2, 0x40, 0x20}},
    };
    for (const auto& [text, stream] : cases) {
        EXPECT_EQ(Compress(Bytes(text)), stream) << text;
        EXPECT_EQ(Expand(stream, static_cast<int32_t>(text.size())), Bytes(text)) << text;
        EXPECT_EQ(WriteTokens(ReadTokens(stream, static_cast<int32_t>(text.size())).Tokens), stream);
    }
    // Ten a's: one literal, then nine copies at distance 1.
    const auto tokens = ReadTokens({0xF6, 0xC9, 0x00, 0x00}, 10).Tokens;
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].Symbol, 9 + LengthBias);
    EXPECT_EQ(tokens[1].Position, 0u);
}

TEST(LZHCodec, RoundTripsVariedData)
{
    for (size_t size : {1, 2, 3, 59, 60, 61, 4095, 4096, 4097, 20000})
        ExpectRoundTrip(EnglishLike(size, static_cast<uint32_t>(size)));
    ExpectRoundTrip(Random(30000, 1));
    ExpectRoundTrip(Records(50000, 2));
    ExpectRoundTrip(TBytes(5000, RLEEscape));
    ExpectRoundTrip(TBytes(70000, 0));
    TBytes runs;
    for (int i = 0; i < 400; ++i)
        runs.insert(runs.end(), static_cast<size_t>(i % 97 + 1), static_cast<uint8_t>(i * 37));
    ExpectRoundTrip(runs);
}

TEST(LZHCodec, LongInputsPassThroughModelRebuilds)
{
    TBytes data = EnglishLike(1 << 20, 7);
    const TBytes binary = Records(600000, 8);
    const TBytes noise = Random(400000, 9);
    data.insert(data.end(), binary.begin(), binary.end());
    data.insert(data.end(), noise.begin(), noise.end());
    const TBytes packed = Compress(data);
    // Well past the 0x8000 root count, so the model was rebuilt many times.
    EXPECT_GT(ReadTokens(packed, static_cast<int32_t>(data.size())).Tokens.size(), 8u * 32768u);
    EXPECT_TRUE(Expand(packed, static_cast<int32_t>(data.size())) == data);
}

TEST(LZHCodec, EmptyAndDegenerateSizes)
{
    EXPECT_TRUE(RunCompress(CompressLZH, {}).Output.empty());
    int reports = 0;
    const auto count = [&](TCodecState& codec) {
        codec.FOnShowProgress = [&](int32_t&) { ++reports; };
    };
    const TBytes stream = {0xF6, 0xFB, 0xBD, 0xE0};
    const TCodecRun none = RunExpand(ExpandLZH, stream, 0, count);
    EXPECT_TRUE(none.Output.empty());
    EXPECT_EQ(none.ReadSum, 0u);
    EXPECT_EQ(reports, 0) << "a zero size must not read any input";
    EXPECT_TRUE(Expand(stream, -5).empty());
    // One byte: a literal and the padded partial byte.
    const TBytes one = Compress({'x'});
    EXPECT_LE(one.size(), 2u);
    EXPECT_EQ(Expand(one, 1), TBytes{'x'});
}

TEST(LZHCodec, CompressionGivesUpWhenOutputOutgrowsBudget)
{
    EXPECT_THROW(RunCompress(CompressLZH, Random(3000, 3)), EUnableToCompress);
    // Compressible data fits the default budget (the source size).
    const TBytes text = EnglishLike(3000, 4);
    EXPECT_LT(RunCompress(CompressLZH, text).Output.size(), text.size());
}

TEST(LZHCodec, LeadingSpacesMatchThePrefilledWindow)
{
    const TBytes spaces(100, ' ');
    const TBytes packed = Compress(spaces);
    EXPECT_LE(packed.size(), 5u);
    const auto tokens = ReadTokens(packed, 100).Tokens;
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].Length(), 60);
    EXPECT_EQ(tokens[1].Length(), 40);
    EXPECT_EQ(Expand(packed, 100), spaces);
}

TEST(LZHCodec, NearestOfEqualMatchesIsCoded)
{
    const TBytes data = Bytes("abcXabcYabcZ");
    const auto tokens = ReadTokens(Compress(data), 12).Tokens;
    // a b c X (abc) Y (abc) Z
    ASSERT_EQ(tokens.size(), 8u);
    EXPECT_EQ(tokens[4].Symbol, 3 + LengthBias);
    EXPECT_EQ(tokens[4].Position + 1, 4u);
    // The last "abc" stands 4 and 8 bytes back; the nearer one wins.
    EXPECT_EQ(tokens[6].Symbol, 3 + LengthBias);
    EXPECT_EQ(tokens[6].Position + 1, 4u);
    EXPECT_EQ(Expand(Compress(data), 12), data);
}

// The search compares on past the last input byte, into the window's zeros
// that follow a short input, and the coder then cuts the match to the bytes
// left: the final "abc" matches "abc\0" (4 bytes, 8 back) rather than the
// nearer "abcX" (3 bytes), and is coded as 3 bytes 8 back.
TEST(LZHCodec, SearchRunsPastTheEndOfInputThenCuts)
{
    const TBytes data = {'a', 'b', 'c', 0, 'a', 'b', 'c', 'X', 'a', 'b', 'c'};
    const auto tokens = ReadTokens(Compress(data), 11).Tokens;
    ASSERT_EQ(tokens.size(), 7u);
    EXPECT_EQ(tokens[4].Symbol, 3 + LengthBias);
    EXPECT_EQ(tokens[4].Position + 1, 4u);
    EXPECT_EQ(tokens[6].Symbol, 3 + LengthBias);
    EXPECT_EQ(tokens[6].Position + 1, 8u);
    EXPECT_EQ(Expand(Compress(data), 11), data);
}

// Every match the encoder codes is the longest the window offers (the trees
// hold the last 4036 positions and the 60 spaces before the start), capped
// at 60 and at the bytes left; faults in the tree upkeep show up as misses.
TEST(LZHCodec, MatchesAreTheLongestAvailable)
{
    TBytes data = EnglishLike(9000, 11);
    const TBytes binary = Records(6000, 12);
    data.insert(data.end(), binary.begin(), binary.end());
    data.insert(data.end(), 200, 'q');
    data.insert(data.begin(), 70, ' ');
    const auto n = static_cast<int64_t>(data.size());
    const auto at = [&](int64_t i) { return i < 0 ? uint8_t{FillByte} : data[static_cast<size_t>(i)]; };
    int64_t t = 0;
    for (const TToken& token : ReadTokens(Compress(data), static_cast<int32_t>(n)).Tokens) {
        const int64_t cap = std::min<int64_t>(MaxMatch, n - t);
        int64_t best = 0;
        for (int64_t d = 1; d <= std::min<int64_t>(4036, t + MaxMatch); ++d) {
            int64_t l = 0;
            while (l < cap && at(t - d + l) == data[static_cast<size_t>(t + l)])
                ++l;
            best = std::max(best, l);
        }
        ASSERT_EQ(token.Length(), best > Threshold ? best : 1) << "at " << t;
        t += token.Length();
    }
    EXPECT_EQ(t, n);
}

TEST(LZHCodec, ShortInputReadsAsZeroBits)
{
    const TBytes data = EnglishLike(5000, 5);
    const TBytes packed = Compress(data);
    const TBytes cut(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2));
    const TCodecRun run = RunExpand(ExpandLZH, cut, 5000);
    const TBytes& out = run.Output;
    // It stops once it has used bits the stream does not hold; up to there
    // they read as zeros.
    EXPECT_TRUE(run.ReadPastData);
    ASSERT_LT(out.size(), 5000u);
    TBytes padded = cut;
    padded.resize(packed.size() + 64, 0);
    const TBytes full = Expand(padded, 5000);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), full.begin()));
    EXPECT_FALSE(RunExpand(ExpandLZH, packed, 5000).ReadPastData);
    // The part the cut stream still covers comes out right.
    const auto tokens = ReadTokens(packed, 5000).Tokens;
    size_t covered = 0;
    for (size_t i = 0; i < tokens.size() / 3; ++i)
        covered += static_cast<size_t>(tokens[i].Length());
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + static_cast<long>(covered), out.begin()));
    // No input at all: a claimed size is not written out of nothing.
    EXPECT_LT(Expand({}, 0x7FFFFFFF).size(), 64u);
}

TEST(LZHCodec, CancelledInputReadsAsZeroEvenWhenBuffered)
{
    const TBytes data = Records(200000, 6);
    const TBytes packed = Compress(data);
    ASSERT_GT(packed.size(), 2u * CodecBufferSize);
    const auto size = static_cast<int32_t>(data.size());
    // Cancelling at the first refill: that read yields 0, and the bytes left
    // in the buffer count as 0 too; the next refill clears the flag.
    bool first = true;
    const TCodecRun once = RunExpand(ExpandLZH, packed, size, [&](TCodecState& codec) {
        codec.FOnShowProgress = [&](int32_t& percent) {
            if (first)
                percent = -1;
            first = false;
        };
    });
    // That is: one zero for the cancelled read, the first chunk as zeros,
    // then the rest of the stream.
    // The decoder stops once it has used more of those zeros than it holds.
    TBytes equivalent = packed;
    std::fill(equivalent.begin(), equivalent.begin() + CodecBufferSize, 0);
    equivalent.insert(equivalent.begin(), 0);
    const TBytes full = Expand(equivalent, size);
    EXPECT_TRUE(once.InputCut);
    ASSERT_LT(once.Output.size(), full.size());
    EXPECT_TRUE(std::equal(once.Output.begin(), once.Output.end(), full.begin()));
    const TCodecRun always = RunExpand(ExpandLZH, packed, size, [](TCodecState& codec) {
        codec.FOnShowProgress = [](int32_t& percent) { percent = -1; };
    });
    EXPECT_TRUE(always.InputCut);
    EXPECT_TRUE(always.Output == Expand({}, size));
}

TEST(LZHCodec, MatchRunningPastTheSizeIsCut)
{
    const TBytes tenA = {0xF6, 0xC9, 0x00, 0x00};
    EXPECT_EQ(Expand(tenA, 5), TBytes(5, 'a'));
    EXPECT_EQ(Expand(tenA, 1), TBytes(1, 'a'));
    // A crafted last match of 60 that would overrun the size by 59 bytes.
    const TBytes stream = WriteTokens({Literal('x'), Literal('y'), Match(60, 2)});
    TBytes expected = {'x', 'y', 'x'};
    EXPECT_EQ(Expand(stream, 3), expected);
    expected.resize(62);
    for (size_t i = 2; i < 62; ++i)
        expected[i] = expected[i - 2];
    EXPECT_EQ(Expand(stream, 62), expected);
    // A match reaching back into the space-filled window.
    EXPECT_EQ(Expand(WriteTokens({Literal('z'), Match(4, 3)}), 5), Bytes("z  z "));
}

// The ring as plainly as it can be kept, one byte at a time.
TBytes RingExpand(const std::vector<TToken>& tokens)
{
    uint8_t ring[WindowSize];
    std::fill(ring, ring + StartPosition, FillByte);
    std::fill(ring + StartPosition, ring + WindowSize, 0);
    unsigned r = StartPosition;
    TBytes out;
    for (const TToken& token : tokens) {
        unsigned start = (r - token.Position - 1) & WindowMask;
        for (int i = 0; i < token.Length(); ++i) {
            const uint8_t b = token.Symbol < FirstLength ? static_cast<uint8_t>(token.Symbol) : ring[start];
            out.push_back(b);
            ring[r] = b;
            start = (start + 1) & WindowMask;
            r = (r + 1) & WindowMask;
        }
    }
    return out;
}

// Matches at every kind of distance: nearer than their length (repeating
// what they write), just past that, and as far back as the window goes,
// over enough output that the decoder's window moves many times.
TEST(LZHCodec, MatchesReachAnyDistanceAsTheWindowMoves)
{
    std::mt19937 rng(23);
    std::vector<TToken> tokens;
    size_t size = 0;
    while (size < 150000) {
        const unsigned kind = rng() % 8;
        if (kind < 2) {
            tokens.push_back(Literal(static_cast<uint8_t>(rng())));
        } else {
            const unsigned distance = kind < 5 ? 1 + rng() % 16 : kind < 6 ? 17 + rng() % 300 : WindowSize - rng() % 200;
            tokens.push_back(Match(3 + static_cast<int>(rng() % 58), distance));
        }
        size += static_cast<size_t>(tokens.back().Length());
    }
    const TBytes expected = RingExpand(tokens);
    EXPECT_TRUE(Expand(WriteTokens(tokens), static_cast<int32_t>(expected.size())) == expected);

    // Every symbol after a window of literals reaches back as far as it can,
    // whatever the output's length when it comes.
    std::vector<TToken> farthest;
    for (int i = 0; i < WindowSize; ++i)
        farthest.push_back(Literal(static_cast<uint8_t>(rng())));
    for (size = WindowSize; size < 100000; size += static_cast<size_t>(farthest.back().Length()))
        farthest.push_back(Match(3 + static_cast<int>(rng() % 58), WindowSize));
    const TBytes repeated = RingExpand(farthest);
    EXPECT_TRUE(Expand(WriteTokens(farthest), static_cast<int32_t>(repeated.size())) == repeated);
}

// The encoder's own symbol counts in Fibonacci proportion give the deepest
// tree there is, with codes longer than 16 bits; both sides must carry them
// whole, and the stream must be laid out as the token writer lays out the
// same tokens.
TEST(LZHCodec, CodesLongerThanSixteenBits)
{
    const TBytes data = DeepTreeInput(1);
    const auto size = static_cast<int32_t>(data.size());
    const TBytes packed = Compress(data);
    const TParsed parsed = ReadTokens(packed, size);
    ASSERT_GT(parsed.LongestCode, 16);
    EXPECT_EQ(WriteTokens(parsed.Tokens), packed);
    EXPECT_TRUE(Expand(packed, size) == data);
}

namespace {

// The model as plainly as it can be put: a linear search for the node to
// exchange with, a rebuild that shifts one entry at a time.
struct TPlainModel {
    unsigned Freq[NodeCount + 1];
    int Son[NodeCount];
    int Parent[NodeCount + SymbolCount];

    void Start()
    {
        for (int i = 0; i < SymbolCount; ++i)
            Freq[i] = 1, Son[i] = i + NodeCount, Parent[i + NodeCount] = i;
        for (int i = 0, j = SymbolCount; j < NodeCount; i += 2, ++j)
            Freq[j] = Freq[i] + Freq[i + 1], Son[j] = i, Parent[i] = Parent[i + 1] = j;
        Freq[NodeCount] = 0xFFFF;
        Parent[Root] = 0;
    }
    void Rebuild()
    {
        int j = 0;
        for (int i = 0; i < NodeCount; ++i)
            if (Son[i] >= NodeCount)
                Freq[j] = (Freq[i] + 1) / 2, Son[j] = Son[i], ++j;
        for (int i = 0, j = SymbolCount; j < NodeCount; i += 2, ++j) {
            const unsigned f = Freq[i] + Freq[i + 1];
            int k = j;
            while (f < Freq[k - 1])
                --k;
            for (int m = j; m > k; --m)
                Freq[m] = Freq[m - 1], Son[m] = Son[m - 1];
            Freq[k] = f;
            Son[k] = i;
        }
        for (int i = 0; i < NodeCount; ++i) {
            Parent[Son[i]] = i;
            if (Son[i] < NodeCount)
                Parent[Son[i] + 1] = i;
        }
    }
    void Update(int symbol)
    {
        if (Freq[Root] == MaxFreq)
            Rebuild();
        int c = Parent[symbol + NodeCount];
        do {
            const unsigned k = ++Freq[c];
            if (k > Freq[c + 1]) {
                int l = c + 1;
                while (k > Freq[l + 1])
                    ++l;
                Freq[c] = Freq[l];
                Freq[l] = k;
                const int i = Son[c];
                Parent[i] = l;
                if (i < NodeCount)
                    Parent[i + 1] = l;
                const int j = Son[l];
                Son[l] = i;
                Parent[j] = c;
                if (j < NodeCount)
                    Parent[j + 1] = c;
                Son[c] = j;
                c = l;
            }
            c = Parent[c];
        } while (c != 0);
    }
};

} // namespace

// The model both directions share: a fault there would still round-trip, so
// it is held against the plain form through many rebuilds.
TEST(LZHModel, AgreesWithPlainModelThroughRebuilds)
{
    TLZHModel model;
    TPlainModel plain;
    model.StartModel();
    plain.Start();
    std::mt19937 rng(17);
    int rebuilds = 0;
    for (int n = 0; n < 400000; ++n) {
        // Skewed, and shifting over time, so that counts of every size meet.
        const int symbol = static_cast<int>((rng() % 97) * (rng() % 4) + (n / 50000) * 13) % SymbolCount;
        rebuilds += plain.Freq[Root] == MaxFreq;
        model.UpdateModel(symbol);
        plain.Update(symbol);
        if (n % 997 == 0 || n > 399000) {
            for (int i = 0; i <= NodeCount; ++i)
                ASSERT_EQ(model.FFreq[i], plain.Freq[i]) << "node " << i << " after " << n;
            for (int i = 0; i < NodeCount; ++i)
                ASSERT_EQ(model.FSon[i], plain.Son[i]) << "node " << i << " after " << n;
            for (int i = 0; i < NodeCount + SymbolCount; ++i)
                ASSERT_EQ(model.FParent[i], plain.Parent[i]) << "entry " << i << " after " << n;
            // The decoder walks two levels per load through FGrandson; it
            // stops at a leaf before it would read a leaf's entries.
            for (int i = 0; i < NodeCount; ++i) {
                const int son = plain.Son[i];
                for (int b = 0; b < 2 && son < NodeCount; ++b)
                    ASSERT_EQ(model.FGrandson[2 * i + b], plain.Son[son + b]) << "node " << i << " bit " << b << " after " << n;
            }
        }
    }
    EXPECT_GE(rebuilds, 10);
}
