#include "tests/support/TestData.h"

#include <array>

namespace {

struct TRandom {
    uint64_t State;
    explicit TRandom(uint32_t seed) : State(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next()
    {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return static_cast<uint32_t>(State >> 16);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

} // namespace

std::vector<uint8_t> MakeText(size_t size, uint32_t seed)
{
    static const std::array<const char*, 64> words = {
        "the", "of", "and", "to", "in", "a", "is", "that", "for", "it", "as", "was", "with", "be", "by", "on",
        "not", "he", "this", "are", "or", "his", "from", "at", "which", "but", "have", "an", "had", "they", "you",
        "were", "their", "one", "all", "we", "can", "her", "has", "there", "been", "if", "more", "when", "will",
        "would", "who", "so", "no", "file", "server", "directory", "transfer", "connection", "install", "program",
        "settings", "window", "archive", "message", "user", "password", "option", "default"};
    TRandom rng(seed);
    std::vector<uint8_t> out;
    out.reserve(size + 16);
    size_t column = 0;
    bool capital = true;
    while (out.size() < size) {
        // Zipf-like choice: low indexes far more often.
        const uint32_t r = rng.Below(64 * 64);
        const char* w = words[(r * r) / (64u * 64u * 64u)];
        for (const char* p = w; *p != 0; ++p)
            out.push_back(static_cast<uint8_t>(capital && p == w ? *p - 32 : *p));
        capital = false;
        column += 1 + std::char_traits<char>::length(w);
        const uint32_t punct = rng.Below(100);
        if (punct < 8) {
            out.push_back('.');
            capital = true;
        } else if (punct < 14) {
            out.push_back(',');
        }
        if (column > 68) {
            out.push_back('\r');
            out.push_back('\n');
            column = 0;
        } else {
            out.push_back(' ');
        }
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> MakeBinary(size_t size, uint32_t seed)
{
    TRandom rng(seed);
    static const uint8_t opcodes[] = {0x55, 0x89, 0x8B, 0xE8, 0xC3, 0x83, 0x50, 0x51, 0x52, 0x53,
                                      0x5D, 0x74, 0x75, 0xEB, 0x33, 0xC0, 0x85, 0xFF, 0x6A, 0x68};
    std::vector<std::vector<uint8_t>> patterns;
    for (int i = 0; i < 40; ++i) {
        std::vector<uint8_t> p;
        const uint32_t n = 2 + rng.Below(10);
        for (uint32_t j = 0; j < n; ++j)
            p.push_back(opcodes[rng.Below(sizeof opcodes)]);
        patterns.push_back(p);
    }
    std::vector<uint8_t> out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const uint32_t kind = rng.Below(10);
        if (kind < 6) {
            const auto& p = patterns[rng.Below(static_cast<uint32_t>(patterns.size()))];
            out.insert(out.end(), p.begin(), p.end());
        } else if (kind < 8) {
            const uint32_t address = 0x00401000 + rng.Below(0x4000) * 4;
            for (int i = 0; i < 4; ++i)
                out.push_back(static_cast<uint8_t>(address >> (8 * i)));
        } else if (kind < 9) {
            out.push_back(static_cast<uint8_t>(rng.Below(16)));
        } else {
            out.insert(out.end(), rng.Below(12), 0);
        }
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> MakeRandom(size_t size, uint32_t seed)
{
    TRandom rng(seed);
    std::vector<uint8_t> out(size);
    for (auto& b : out)
        b = static_cast<uint8_t>(rng.Next());
    return out;
}

std::vector<uint8_t> MakeRuns(size_t size, uint32_t seed)
{
    TRandom rng(seed);
    static const uint8_t values[] = {0x00, 0x94, 0x20, 0xFF, 'a'};
    std::vector<uint8_t> out;
    while (out.size() < size)
        out.insert(out.end(), 1 + rng.Below(400), values[rng.Below(sizeof values)]);
    out.resize(size);
    return out;
}
