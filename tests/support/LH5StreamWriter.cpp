#include "tests/support/LH5StreamWriter.h"

#include <algorithm>
#include <queue>
#include <stdexcept>
#include <utility>

namespace {

// One entry of a C length list in T symbols: T symbol, then extra bits.
struct TTItem {
    int Symbol;
    int ExtraBits;
    uint32_t Extra;
};

std::vector<TTItem> CLengthItems(const std::vector<uint8_t>& lengths)
{
    std::vector<TTItem> items;
    const size_t n = lengths.size();
    for (size_t i = 0; i < n;) {
        if (lengths[i] != 0) {
            items.push_back({lengths[i] + 2, 0, 0});
            ++i;
            continue;
        }
        size_t run = 0;
        while (i + run < n && lengths[i + run] == 0)
            ++run;
        for (size_t left = run; left > 0;) {
            const size_t r = std::min<size_t>(left, 531);
            if (r <= 2) {
                for (size_t k = 0; k < r; ++k)
                    items.push_back({0, 0, 0});
            } else if (r <= 18) {
                items.push_back({1, 4, static_cast<uint32_t>(r - 3)});
            } else if (r == 19) {
                items.push_back({0, 0, 0});
                items.push_back({1, 4, 15});
            } else {
                items.push_back({2, 9, static_cast<uint32_t>(r - 20)});
            }
            left -= r;
        }
        i += run;
    }
    return items;
}

std::vector<uint8_t> TrimZeros(std::vector<uint8_t> lengths)
{
    while (!lengths.empty() && lengths.back() == 0)
        lengths.pop_back();
    return lengths;
}

} // namespace

TLH5Code MakeLH5Code(const std::vector<uint8_t>& lengths)
{
    TLH5Code code;
    code.Lengths = lengths;
    code.Codes.assign(lengths.size(), 0);
    uint32_t count[17] = {};
    for (const uint8_t len : lengths)
        if (len >= 1 && len <= 16)
            ++count[len];
    uint32_t start[18] = {};
    for (int i = 1; i <= 16; ++i)
        start[i + 1] = start[i] + (count[i] << (16 - i));
    for (size_t s = 0; s < lengths.size(); ++s) {
        const int len = lengths[s];
        if (len < 1 || len > 16)
            continue;
        code.Codes[s] = start[len] >> (16 - len);
        start[len] += 1u << (16 - len);
    }
    return code;
}

void TLH5StreamWriter::PutBits(int n, uint32_t value)
{
    for (int i = n - 1; i >= 0; --i) {
        FPending = (FPending << 1) | ((value >> i) & 1);
        if (++FPendingCount == 8) {
            FBytes.push_back(static_cast<uint8_t>(FPending));
            FPending = 0;
            FPendingCount = 0;
        }
    }
    FBitCount += static_cast<uint64_t>(n);
}

std::vector<uint8_t> TLH5StreamWriter::Finish()
{
    if (FPendingCount > 0)
        PutBits(8 - FPendingCount, 0);
    return FBytes;
}

void TLH5StreamWriter::PutCode(const TLH5Code& code, int symbol)
{
    if (code.Lengths.empty())
        return;
    if (symbol < 0 || static_cast<size_t>(symbol) >= code.Lengths.size() || code.Lengths[symbol] == 0
        || code.Lengths[symbol] > 16)
        throw std::logic_error("LH5 test writer: symbol without a code");
    PutBits(code.Lengths[symbol], code.Codes[symbol]);
}

void TLH5StreamWriter::PutPtLengths(const std::vector<uint8_t>& lengths, int nbit, int special)
{
    PutBits(nbit, static_cast<uint32_t>(lengths.size()));
    for (size_t i = 0; i < lengths.size();) {
        const int k = lengths[i++];
        if (k < 7) {
            PutBits(3, static_cast<uint32_t>(k));
        } else {
            PutBits(3, 7);
            for (int j = 7; j < k; ++j)
                PutBits(1, 1);
            PutBits(1, 0);
        }
        if (static_cast<int>(i) == special) {
            uint32_t zeros = 0;
            while (zeros < 3 && i < lengths.size() && lengths[i] == 0) {
                ++zeros;
                ++i;
            }
            PutBits(2, zeros);
        }
    }
}

void TLH5StreamWriter::PutTLengths(const std::vector<uint8_t>& lengths)
{
    PutPtLengths(lengths, 5, 3);
    FT = MakeLH5Code(lengths);
}

void TLH5StreamWriter::PutTSingle(uint32_t symbol)
{
    PutBits(5, 0);
    PutBits(5, symbol);
    FT = {};
}

void TLH5StreamWriter::PutCLengths(const std::vector<uint8_t>& lengths)
{
    PutBits(9, static_cast<uint32_t>(lengths.size()));
    for (const TTItem& item : CLengthItems(lengths)) {
        PutTCode(item.Symbol);
        PutBits(item.ExtraBits, item.Extra);
    }
    FC = MakeLH5Code(lengths);
}

void TLH5StreamWriter::PutCSingle(uint32_t symbol)
{
    PutBits(9, 0);
    PutBits(9, symbol);
    FC = {};
}

void TLH5StreamWriter::PutPLengths(const std::vector<uint8_t>& lengths)
{
    PutPtLengths(lengths, 4, -1);
    FP = MakeLH5Code(lengths);
}

void TLH5StreamWriter::PutPSingle(uint32_t symbol)
{
    PutBits(4, 0);
    PutBits(4, symbol);
    FP = {};
}

int LH5PositionClass(int position)
{
    int bits = 0;
    while (position >> bits)
        ++bits;
    return bits;
}

void TLH5StreamWriter::PutSymbol(const TLH5Symbol& symbol)
{
    if (symbol.Length == 0) {
        PutCCode(symbol.Literal);
        return;
    }
    PutCCode(symbol.Length + 253);
    const int cls = LH5PositionClass(symbol.Position);
    PutPCode(cls);
    if (cls > 1)
        PutBits(cls - 1, static_cast<uint32_t>(symbol.Position));
}

std::vector<uint8_t> LimitedHuffmanLengths(const std::vector<uint32_t>& freq, int maxLength)
{
    std::vector<uint64_t> f(freq.begin(), freq.end());
    const size_t n = f.size();
    for (;;) {
        // Plain Huffman; if too deep, halve the frequencies and try again
        // (they flatten until the tree is balanced enough).
        using TItem = std::pair<uint64_t, size_t>;
        std::priority_queue<TItem, std::vector<TItem>, std::greater<>> heap;
        std::vector<size_t> parent(2 * n, 0);
        for (size_t s = 0; s < n; ++s)
            if (f[s] != 0)
                heap.push({f[s], s});
        if (heap.size() < 2)
            throw std::logic_error("LH5 test writer: fewer than two symbols");
        size_t next = n;
        while (heap.size() > 1) {
            const TItem a = heap.top();
            heap.pop();
            const TItem b = heap.top();
            heap.pop();
            parent[a.second] = parent[b.second] = next;
            heap.push({a.first + b.first, next++});
        }
        const size_t root = next - 1;
        std::vector<uint8_t> lengths(n, 0);
        int deepest = 0;
        for (size_t s = 0; s < n; ++s) {
            if (f[s] == 0)
                continue;
            int depth = 0;
            for (size_t x = s; x != root; x = parent[x])
                ++depth;
            lengths[s] = static_cast<uint8_t>(std::min(depth, 255));
            deepest = std::max(deepest, depth);
        }
        if (deepest <= maxLength)
            return lengths;
        for (uint64_t& v : f)
            if (v != 0)
                v = (v + 1) / 2;
    }
}

namespace {

std::vector<TLH5Symbol> GreedyParse(const std::vector<uint8_t>& data)
{
    constexpr int HashBits = 15;
    constexpr int MaxChain = 64;
    const int n = static_cast<int>(data.size());
    std::vector<int> head(1 << HashBits, -1);
    std::vector<int> prev(data.size(), -1);
    auto hashAt = [&](int i) {
        const uint32_t v = data[i] | (data[i + 1] << 8) | (data[i + 2] << 16);
        return (v * 2654435761u) >> (32 - HashBits);
    };
    auto insert = [&](int i) {
        if (i + 3 > n)
            return;
        const uint32_t h = hashAt(i);
        prev[i] = head[h];
        head[h] = i;
    };
    std::vector<TLH5Symbol> symbols;
    for (int i = 0; i < n;) {
        int bestLen = 0;
        int bestPos = 0;
        if (i + 3 <= n) {
            const int limit = std::min(256, n - i);
            int chain = MaxChain;
            for (int cand = head[hashAt(i)]; cand >= 0 && i - cand <= 8192 && chain-- > 0; cand = prev[cand]) {
                int len = 0;
                while (len < limit && data[cand + len] == data[i + len])
                    ++len;
                if (len > bestLen) {
                    bestLen = len;
                    bestPos = i - cand - 1;
                    if (len == limit)
                        break;
                }
            }
        }
        if (bestLen >= 3) {
            symbols.push_back(Match(bestLen, bestPos));
            for (int k = 0; k < bestLen; ++k)
                insert(i + k);
            i += bestLen;
        } else {
            symbols.push_back(Lit(data[i]));
            insert(i);
            ++i;
        }
    }
    return symbols;
}

int SingleSymbol(const std::vector<uint32_t>& freq)
{
    int found = -1;
    for (size_t s = 0; s < freq.size(); ++s) {
        if (freq[s] == 0)
            continue;
        if (found >= 0)
            return -1;
        found = static_cast<int>(s);
    }
    return found < 0 ? 0 : found;
}

} // namespace

void TLH5StreamWriter::PutBlock(const TLH5Symbol* first, const TLH5Symbol* last)
{
    std::vector<uint32_t> cFreq(510, 0);
    std::vector<uint32_t> pFreq(14, 0);
    for (const TLH5Symbol* s = first; s != last; ++s) {
        if (s->Length == 0) {
            ++cFreq[s->Literal];
        } else {
            ++cFreq[s->Length + 253];
            ++pFreq[LH5PositionClass(s->Position)];
        }
    }
    PutBlockCount(static_cast<uint32_t>(last - first));

    const int cSingle = SingleSymbol(cFreq);
    if (cSingle >= 0) {
        PutTSingle(0);
        PutCSingle(static_cast<uint32_t>(cSingle));
    } else {
        const std::vector<uint8_t> cLen = TrimZeros(LimitedHuffmanLengths(cFreq, 16));
        std::vector<uint32_t> tFreq(19, 0);
        for (const TTItem& item : CLengthItems(cLen))
            ++tFreq[item.Symbol];
        const int tSingle = SingleSymbol(tFreq);
        if (tSingle >= 0)
            PutTSingle(static_cast<uint32_t>(tSingle));
        else
            PutTLengths(TrimZeros(LimitedHuffmanLengths(tFreq, 16)));
        PutCLengths(cLen);
    }

    const int pSingle = SingleSymbol(pFreq);
    if (pSingle >= 0)
        PutPSingle(static_cast<uint32_t>(pSingle));
    else
        PutPLengths(TrimZeros(LimitedHuffmanLengths(pFreq, 16)));

    for (const TLH5Symbol* s = first; s != last; ++s)
        PutSymbol(*s);
}

std::vector<uint8_t> EncodeLH5ForTests(const std::vector<uint8_t>& data, int maxBlockSymbols)
{
    const std::vector<TLH5Symbol> symbols = GreedyParse(data);
    TLH5StreamWriter out;
    for (size_t at = 0; at < symbols.size();) {
        const size_t n = std::min<size_t>(static_cast<size_t>(maxBlockSymbols), symbols.size() - at);
        out.PutBlock(symbols.data() + at, symbols.data() + at + n);
        at += n;
    }
    return out.Finish();
}
