// The coded bytes of methods 2 ("LZH") and 4 ("LH5") are fixed: a decoder of
// either reads any stream, so round trips cannot notice a coder that starts
// choosing differently. These digests were recorded from the coders as they
// stood before their speed work; any change to a match finder, tie rule,
// block cut or bit writer that alters one output bit fails here. The exact
// cases below pin the individual rules with small inputs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "codecs/LH5Huffman.h"
#include "tests/support/CodecHarness.h"
#include "tests/support/LH5StreamReader.h"
#include "tests/support/Sha256.h"

using TBytes = std::vector<uint8_t>;

namespace {

// A small generator of its own, so that the corpora never change with a
// library's random engines.
class TSequence {
public:
    explicit TSequence(uint64_t seed) : FState(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next()
    {
        FState = FState * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(FState >> 33);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }

private:
    uint64_t FState;
};

// Words of skewed frequency, punctuation and lines.
TBytes Text(size_t size)
{
    static const char* const words[] = {"the", "of", "and", "to", "in", "a", "is", "that", "for", "it", "as",
        "was", "with", "be", "by", "on", "not", "this", "are", "or", "from", "at", "which", "but", "have",
        "archive", "expand", "window", "setup", "directory", "install", "program", "registry", "option",
        "FILE", "NAME", "SYNOPSIS", "returns", "the value of", "--verbose"};
    TSequence rng(1);
    TBytes out;
    while (out.size() < size) {
        // Squaring a uniform pick favours the first words.
        const uint32_t u = rng.Below(200);
        const std::string w = words[(u * u) / (200 * 200 / std::size(words) + 1) % std::size(words)];
        out.insert(out.end(), w.begin(), w.end());
        const uint32_t r = rng.Below(24);
        out.push_back(r == 0 ? '\n' : r == 1 ? ',' : ' ');
    }
    out.resize(size);
    return out;
}

// Code-like bytes: a few opcodes, small immediates, addresses that repeat
// with small changes, and zero padding.
TBytes Binary(size_t size)
{
    static const uint8_t opcodes[] = {0x8B, 0x89, 0xE8, 0x83, 0xFF, 0x50, 0x55, 0xC3, 0x0F, 0x48, 0x74, 0x75};
    TSequence rng(2);
    TBytes out;
    uint32_t address = 0x401000;
    while (out.size() < size) {
        const uint32_t r = rng.Below(16);
        out.push_back(opcodes[rng.Below(std::size(opcodes))]);
        if (r < 6) {
            out.push_back(static_cast<uint8_t>(0x40 + rng.Below(8)));
            out.push_back(static_cast<uint8_t>(rng.Below(4) * 8));
        } else if (r < 10) {
            address += rng.Below(64);
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<uint8_t>(address >> (8 * i)));
        } else if (r == 10) {
            out.insert(out.end(), rng.Below(40), 0);
        }
    }
    out.resize(size);
    return out;
}

// Runs of a few values, short and long (past both coders' longest match).
TBytes Runs(size_t size)
{
    TSequence rng(3);
    TBytes out;
    while (out.size() < size) {
        const uint8_t value = static_cast<uint8_t>("\x00\x20\x94\xFF"[rng.Below(4)]);
        const uint32_t length = rng.Below(8) == 0 ? 100 + rng.Below(600) : 1 + rng.Below(12);
        out.insert(out.end(), length, value);
    }
    out.resize(size);
    return out;
}

TBytes Incompressible(size_t size)
{
    TSequence rng(4);
    TBytes out(size);
    for (auto& b : out)
        b = static_cast<uint8_t>(rng.Next() >> 8);
    return out;
}

using TCorpus = TBytes (*)(size_t);

// Sizes around the LZH window (4096) and look-ahead (60), the LH5 slides
// (7936, 16128), window (8192) and first block cut, and long inputs that
// pass LZH's model rebuilds and many LH5 blocks.
const std::vector<size_t> SmallSizes = {1, 2, 3, 59, 60, 61, 4095, 4096, 4097};
const std::vector<size_t> WindowSizes = {7935, 7936, 7937, 8192, 14544, 16128, 16129};
const std::vector<size_t> LargeSizes = {40000, 300000};

// One digest over the outputs for each size, each preceded by its length.
// Each output must also decode back to its input.
std::string DigestOf(TCodecRoutine coder, TExpandRoutine decoder, TCorpus corpus, const std::vector<size_t>& sizes)
{
    TBytes all;
    for (size_t size : sizes) {
        const TBytes input = corpus(size);
        const TBytes coded = RunCompress(coder, input, UnlimitedBudget).Output;
        EXPECT_TRUE(RunExpand(decoder, coded, static_cast<int32_t>(size)).Output == input) << size;
        for (int i = 0; i < 4; ++i)
            all.push_back(static_cast<uint8_t>(coded.size() >> (8 * i)));
        all.insert(all.end(), coded.begin(), coded.end());
    }
    return Sha256Hex(all);
}

struct TGolden {
    const char* Name;
    TCorpus Corpus;
    const std::vector<size_t>* Sizes;
    const char* LZH;
    const char* LH5;
};

const TGolden Goldens[] = {
    {"text/small", Text, &SmallSizes, "019ac4bdbb2b8c067e1d01f0736fe7f86238e1888934d60d7466ca36d5dd4534",
     "045eb298645cfde2e4665540486db926a0ba3e8464ea8c277e70297718149071"},
    {"text/window", Text, &WindowSizes, "b48331b47edab12436e49865a8fdc8a2c68dfcc24d6372f5881afe9b12c2aefd",
     "82c65e68726ed98dcf8004cce528eadb0f66e6de5a888e200fe7ff01c490ac70"},
    {"text/large", Text, &LargeSizes, "2cb1dbc12bd97d6cc8bf4999799869336c426a42090ed471dda1e2874a5abdca",
     "34b642cfc2bdb78c7a464cdb3b682bab22f2eacad5164d4ac14b163cc5956548"},
    {"binary/small", Binary, &SmallSizes, "00f9103fc64d3a3ce1243c76f075af342870e4a6b165f9903f2565ec53da3784",
     "417fe6dec68fef9e2a435c1cf41429a5a47d767f70f251b4828029eba0054902"},
    {"binary/window", Binary, &WindowSizes, "e9e304b78c70f74f138378a3a2d3215b3eac7c37a30ac42b56a1a8c927536a2c",
     "00dc60f65d776f728088005c909a645f6461a7eb46e5f4e89857f7e453d73341"},
    {"binary/large", Binary, &LargeSizes, "91d9d22ed9845cd271bb103c6421ff1ca4279e76c7a359484b2c22a6933a88f1",
     "366aac23bd9ac01ee6222a74a8ff6a917e30450d54bf0ebde673cd0bef3a3a05"},
    {"runs/small", Runs, &SmallSizes, "b2ed7011f301acd845bca6c77e9bb98a0bdc3fd962c712488f4c8b1b9e8e3cb2",
     "7592c151cb951bbf6ce528a697e6c3c5366ca7b16cbb42bdbef115dac3bec277"},
    {"runs/window", Runs, &WindowSizes, "88cc0ac1500195baece9c03773604996afcc7a1e63c810252a11891b35b9057c",
     "95d921c22ee19c4bc4f6f88f7c9e5c679c1b10d10d41a2963e5bac91f480236d"},
    {"runs/large", Runs, &LargeSizes, "f73ba8f4d58fe666c7c825b499d3c85d4db24d0792e52fb1994dc4dff971f9b9",
     "fa344f1019f8d1a0881060591e1d5b512f3c72732d009f46d24ad85059bbf735"},
    {"incompressible/small", Incompressible, &SmallSizes, "c6615afe39748449a011636999a6c4a2c1beaf05df98bbf85146ce469f82e031",
     "add4f58f945299479a78998bff9473581d23c7c626ebd2273239cd25ddc4ef54"},
    {"incompressible/window", Incompressible, &WindowSizes, "71aba8527b4aebf877a5fae1a098cdb287589f8d07cf1447d2902e016e77b596",
     "5564dcc9d70c0fb4f1b22208dec16337249889f245d047a40a12d256d62de75a"},
    {"incompressible/large", Incompressible, &LargeSizes, "0472530bc0f20ed794d738b422dcc069a4f695c6473e3a04cce5b80b532e8692",
     "c3a8809f687ca3dd2681e1eb830d963b120c7707f046f0c3ed52f743356ef2d5"},
};

} // namespace

TEST(CoderGolden, DigestsOfCodedCorporaHold)
{
    for (const TGolden& g : Goldens) {
        EXPECT_EQ(DigestOf(CompressLZH, ExpandLZH, g.Corpus, *g.Sizes), g.LZH) << "LZH " << g.Name;
        EXPECT_EQ(DigestOf(CompressLH5, ExpandLH5, g.Corpus, *g.Sizes), g.LH5) << "LH5 " << g.Name;
    }
}

// The digests above must tell the corpora apart and not be fooled by a
// digest that ignores its input.
TEST(CoderGolden, DigestIsSha256)
{
    EXPECT_EQ(Sha256Hex({}), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    const std::string abc = "abc";
    EXPECT_EQ(Sha256Hex(TBytes(abc.begin(), abc.end())),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(Sha256Hex(TBytes(two.begin(), two.end())),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Sha256Hex(TBytes(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// ---- Rules the digests hold, one by one -------------------------------------

namespace {

TBytes EncodeLH5(const TBytes& input)
{
    return RunCompress(CompressLH5, input, UnlimitedBudget).Output;
}

TBytes FromText(const std::string& text) { return TBytes(text.begin(), text.end()); }

bool SameSymbols(const std::vector<TLH5Symbol>& a, const std::vector<TLH5Symbol>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].Literal != b[i].Literal || a[i].Length != b[i].Length || a[i].Position != b[i].Position)
            return false;
    return true;
}

// The start of the de Bruijn sequence of byte triples: no three bytes occur
// twice, so the coder finds no match and writes literals only.
void DeBruijn(int t, int p, int* a, TBytes& out, size_t limit)
{
    if (out.size() >= limit)
        return;
    if (t > 3) {
        if (3 % p == 0)
            out.insert(out.end(), a + 1, a + p + 1);
        return;
    }
    a[t] = a[t - p];
    DeBruijn(t + 1, p, a, out, limit);
    for (int j = a[t - p] + 1; j < 256; ++j) {
        a[t] = j;
        DeBruijn(t + 1, t, a, out, limit);
    }
}

TBytes NoRepeatedTriples(size_t size)
{
    int a[4] = {};
    TBytes out;
    DeBruijn(1, 1, a, out, size);
    out.resize(size);
    return out;
}

} // namespace

// Zero lengths in the C list: runs of 1 or 2 as that many T 0, 3..18 as
// T 1 and the run less 3, 19 as T 0 then T 1 with 15, 20 and more as T 2
// and the run less 20.
TEST(LH5CoderRules, ZeroRunsOfTheCListTakeTheirForms)
{
    // Literals 0x40 (after 64 zeros), then gaps of 1, 2, 3, 18, 19 and 20.
    const TBytes input = {0x40, 0x42, 0x45, 0x49, 0x5C, 0x70, 0x85};
    const auto blocks = ReadLH5Blocks(EncodeLH5(input), input.size());
    ASSERT_EQ(blocks.size(), 1u);
    const auto& b = blocks[0];
    const auto len = [&](int symbol) { return TLH5CListItem{b.CLengths[static_cast<size_t>(symbol)] + 2}; };
    const std::vector<TLH5CListItem> expected = {
        {2, 44}, len(0x40), {0}, len(0x42), {0}, {0}, len(0x45), {1, 0}, len(0x49),
        {1, 15}, len(0x5C), {0}, {1, 15}, len(0x70), {2, 0}, len(0x85)};
    EXPECT_EQ(b.CItems, expected);
    for (uint8_t c : input)
        EXPECT_GT(b.CLengths[c], 0);
}

// A block ends when a new flag byte would start at offset 16360 or later:
// with literals only, 1818 flag bytes of 8 symbols each (16362 bytes).
TEST(LH5CoderRules, BlocksAreCutAtTheFlushPoint)
{
    const std::vector<std::pair<size_t, std::vector<uint32_t>>> cases = {
        {14543, {14543}}, {14544, {14544}}, {14545, {14544, 1}}, {30000, {14544, 14544, 912}}};
    for (const auto& [size, counts] : cases) {
        const TBytes input = NoRepeatedTriples(size);
        const auto blocks = ReadLH5Blocks(EncodeLH5(input), size);
        std::vector<uint32_t> got;
        for (const auto& b : blocks) {
            got.push_back(b.Count);
            for (const auto& s : b.Symbols)
                ASSERT_EQ(s.Length, 0) << "a match in the literal-only input";
        }
        EXPECT_EQ(got, counts) << size;
    }
}

// Of equally long matches the nearest is coded; a match runs on into the
// blanks that follow the input, and is then cut to the bytes left, so the
// farther "abc " wins over the nearer "abcX" at the end.
TEST(LH5CoderRules, NearestOfEqualMatchesAndComparisonsPastTheEnd)
{
    const auto symbols = [](const std::string& text) {
        const auto blocks = ReadLH5Blocks(EncodeLH5(FromText(text)), text.size());
        return blocks.size() == 1 ? blocks[0].Symbols : std::vector<TLH5Symbol>{};
    };
    EXPECT_TRUE(SameSymbols(symbols("abcXabcYabcZ"), {Lit('a'), Lit('b'), Lit('c'), Lit('X'), Match(3, 3),
                                                       Lit('Y'), Match(3, 3), Lit('Z')}));
    EXPECT_TRUE(SameSymbols(symbols("abc abcXabc"),
                            {Lit('a'), Lit('b'), Lit('c'), Lit(' '), Match(3, 3), Lit('X'), Match(3, 7)}));
    // Without the blank the nearer copy is the longest.
    EXPECT_TRUE(SameSymbols(symbols("abc-abcXabc"),
                            {Lit('a'), Lit('b'), Lit('c'), Lit('-'), Match(3, 3), Lit('X'), Match(3, 3)}));
}

namespace {

struct TTree {
    std::vector<uint8_t> Len;
    std::vector<uint16_t> Code;
};

TTree BuildTree(std::vector<uint16_t> freq)
{
    const int n = static_cast<int>(freq.size());
    freq.resize(2 * freq.size());
    TTree t{std::vector<uint8_t>(static_cast<size_t>(n)), std::vector<uint16_t>(static_cast<size_t>(n))};
    TLH5Huffman huffman;
    huffman.MakeTree(n, freq.data(), t.Len.data(), t.Code.data());
    return t;
}

} // namespace

// Equal frequencies: the heap takes the left child on a tie, so of three
// equal symbols the middle one ends up alone near the root.
TEST(LH5CoderRules, HuffmanTiesAndTheLengthLimit)
{
    const TTree three = BuildTree({1, 1, 1});
    EXPECT_EQ(three.Len, (std::vector<uint8_t>{2, 1, 2}));
    EXPECT_EQ(three.Code, (std::vector<uint16_t>{0x8000, 0x0000, 0xC000}));

    // Fibonacci frequencies: leaves down to depth 19. Clamped to 16 the
    // code is over-full by 3; three times the longest length below 16 that
    // is in use gives one leaf up for two one level deeper (15, 14, 15).
    std::vector<uint16_t> fib(20);
    fib[0] = fib[1] = 1;
    for (size_t i = 2; i < fib.size(); ++i)
        fib[i] = static_cast<uint16_t>(fib[i - 1] + fib[i - 2]);
    const TTree limited = BuildTree(fib);
    std::vector<uint8_t> expected = {16, 16, 16, 16, 16, 16, 15};
    for (int l = 13; l >= 1; --l)
        expected.push_back(static_cast<uint8_t>(l));
    EXPECT_EQ(limited.Len, expected);
    // Canonical: the shortest code is all zeros; the six 16-bit codes go
    // out in symbol order and end with all ones.
    EXPECT_EQ(limited.Code[19], 0x0000);
    EXPECT_EQ(limited.Code[18], 0x8000);
    EXPECT_EQ(limited.Code[0], 0xFFFA);
    EXPECT_EQ(limited.Code[5], 0xFFFF);
}
