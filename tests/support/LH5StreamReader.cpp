#include "tests/support/LH5StreamReader.h"

#include <stdexcept>

namespace {

class TBitSource {
public:
    explicit TBitSource(const std::vector<uint8_t>& bytes) : FBytes(bytes) {}

    uint32_t Get(int n)
    {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i, ++FBit) {
            const size_t byte = FBit / 8;
            if (byte >= FBytes.size())
                throw std::runtime_error("LH5 stream ends early");
            v = v * 2 + ((FBytes[byte] >> (7 - FBit % 8)) & 1);
        }
        return v;
    }

    // One symbol of the canonical code of these lengths, bit by bit.
    int Decode(const std::vector<uint8_t>& lengths, int single)
    {
        if (single >= 0)
            return single;
        const TLH5Code code = MakeLH5Code(lengths);
        uint32_t v = 0;
        for (int len = 1; len <= 16; ++len) {
            v = v * 2 + Get(1);
            for (size_t s = 0; s < lengths.size(); ++s)
                if (lengths[s] == len && code.Codes[s] == v)
                    return static_cast<int>(s);
        }
        throw std::runtime_error("no LH5 code matches");
    }

private:
    const std::vector<uint8_t>& FBytes;
    size_t FBit = 0;
};

// A T or P list: the single-symbol form, or the lengths as sent.
void ReadPtList(TBitSource& in, int nbit, int special, int& single, std::vector<uint8_t>& lengths)
{
    const auto n = static_cast<int>(in.Get(nbit));
    if (n == 0) {
        single = static_cast<int>(in.Get(nbit));
        return;
    }
    while (static_cast<int>(lengths.size()) < n) {
        auto c = static_cast<int>(in.Get(3));
        if (c == 7)
            while (in.Get(1) == 1)
                ++c;
        lengths.push_back(static_cast<uint8_t>(c));
        if (static_cast<int>(lengths.size()) == special)
            for (auto z = in.Get(2); z > 0; --z)
                lengths.push_back(0);
    }
}

} // namespace

std::vector<TLH5ReadBlock> ReadLH5Blocks(const std::vector<uint8_t>& stream, size_t expandedSize)
{
    TBitSource in(stream);
    std::vector<TLH5ReadBlock> blocks;
    for (size_t done = 0; done < expandedSize;) {
        TLH5ReadBlock b;
        b.Count = in.Get(16);
        ReadPtList(in, 5, 3, b.TSingle, b.TLengths);
        std::vector<uint8_t> t = b.TLengths;
        t.resize(19, 0);
        const auto n = static_cast<int>(in.Get(9));
        if (n == 0) {
            b.CSingle = static_cast<int>(in.Get(9));
        } else {
            while (static_cast<int>(b.CLengths.size()) < n) {
                TLH5CListItem item{in.Decode(t, b.TSingle)};
                if (item.T == 1)
                    item.Extra = static_cast<int>(in.Get(4));
                else if (item.T == 2)
                    item.Extra = static_cast<int>(in.Get(9));
                const int zeros = item.T == 0 ? 1 : item.T == 1 ? item.Extra + 3 : item.T == 2 ? item.Extra + 20 : 0;
                b.CLengths.insert(b.CLengths.end(), static_cast<size_t>(zeros), 0);
                if (item.T > 2)
                    b.CLengths.push_back(static_cast<uint8_t>(item.T - 2));
                b.CItems.push_back(item);
            }
        }
        b.CLengths.resize(510, 0);
        ReadPtList(in, 4, -1, b.PSingle, b.PLengths);
        std::vector<uint8_t> p = b.PLengths;
        p.resize(14, 0);
        const uint32_t count = b.Count == 0 ? 65536 : b.Count;
        for (uint32_t i = 0; i < count && done < expandedSize; ++i) {
            const int c = in.Decode(b.CLengths, b.CSingle);
            if (c < 256) {
                b.Symbols.push_back(Lit(static_cast<uint8_t>(c)));
                ++done;
                continue;
            }
            const int cls = in.Decode(p, b.PSingle);
            const int position = cls <= 1 ? cls : (1 << (cls - 1)) + static_cast<int>(in.Get(cls - 1));
            b.Symbols.push_back(Match(c - 253, position));
            done += static_cast<size_t>(c - 253);
        }
        blocks.push_back(std::move(b));
    }
    return blocks;
}
