#include "codecs/LZHModel.h"

#include <cstring>

namespace LZH {

void TLZHModel::StartModel()
{
    for (int i = 0; i < SymbolCount; ++i) {
        FFreq[i] = 1;
        FSon[i] = i + NodeCount;
        FParent[i + NodeCount] = i;
    }
    for (int i = 0, j = SymbolCount; j < NodeCount; i += 2, ++j) {
        FFreq[j] = FFreq[i] + FFreq[i + 1];
        FSon[j] = i;
        FParent[i] = FParent[i + 1] = j;
    }
    for (int i = NodeCount; i < FreqEntries; ++i)
        FFreq[i] = 0xFFFF;
    FParent[Root] = 0;
    SetAllGrandsons();
}

void TLZHModel::SetAllGrandsons()
{
    for (int n = 0; n < NodeCount; ++n)
        SetGrandsons(n);
}

// Node c has just grown to k and now outranks c + 1: exchange it with the
// last node still below k. Returns that node's index, where c now lives.
LZH_REGISTER_ARGUMENTS int TLZHModel::MoveUp(int c, unsigned k)
{
    // Nodes c + 1 .. l all hold k - 1. The run is short as a rule, but of
    // unpredictable length: its first eight places are counted without
    // branches (the counts are sorted, so the comparisons come out as ones,
    // then zeros; the padding above the sentinel ends them). Only a longer
    // run (every unused symbol holds 1) is searched, galloping then halving.
    const uint32_t* f = FFreq + c + 2;
    int l = c + 1 + (f[0] < k) + (f[1] < k) + (f[2] < k) + (f[3] < k) + (f[4] < k) + (f[5] < k) + (f[6] < k) + (f[7] < k);
    if (l == c + 9) {
        int lo = l;
        int step = 1;
        int hi;
        for (;;) {
            hi = lo + step > NodeCount ? NodeCount : lo + step;
            if (k <= FFreq[hi])
                break;
            lo = hi;
            step *= 2;
        }
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            if (k > FFreq[mid])
                lo = mid;
            else
                hi = mid;
        }
        l = lo;
    }
    FFreq[c] = FFreq[l];
    FFreq[l] = k;
    const int i = FSon[c];
    FParent[i] = l;
    if (i < NodeCount)
        FParent[i + 1] = l;
    const int j = FSon[l];
    FSon[l] = i;
    FParent[j] = c;
    if (j < NodeCount)
        FParent[j + 1] = c;
    FSon[c] = j;
    SonChanged(c);
    SonChanged(l);
    return l;
}

// Halves every count (rounding up, so no leaf drops to 0) and rebuilds the
// tree from the leaves in their present order.
void TLZHModel::RebuildModel()
{
    int j = 0;
    for (int i = 0; i < NodeCount; ++i) {
        if (FSon[i] >= NodeCount) {
            FFreq[j] = (FFreq[i] + 1) / 2;
            FSon[j] = FSon[i];
            ++j;
        }
    }
    for (int i = 0, j = SymbolCount; j < NodeCount; i += 2, ++j) {
        const unsigned f = FFreq[i] + FFreq[i + 1];
        // After every node of equal count, to keep the order stable.
        int k = j;
        while (f < FFreq[k - 1])
            --k;
        const size_t moved = static_cast<size_t>(j - k);
        std::memmove(&FFreq[k + 1], &FFreq[k], moved * sizeof(FFreq[0]));
        std::memmove(&FSon[k + 1], &FSon[k], moved * sizeof(FSon[0]));
        FFreq[k] = f;
        FSon[k] = i;
    }
    for (int i = 0; i < NodeCount; ++i) {
        const int k = FSon[i];
        FParent[k] = i;
        if (k < NodeCount)
            FParent[k + 1] = i;
    }
    SetAllGrandsons();
}

} // namespace LZH
