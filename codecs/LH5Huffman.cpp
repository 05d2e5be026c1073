#include "codecs/LH5Huffman.h"

#include <algorithm>
#include <iterator>

// Sift-down in the heap ordered by frequency; on equal frequencies the left
// child is taken.
void TLH5Huffman::DownHeap(int i)
{
    const int k = FHeap[i];
    while (2 * i <= FHeapSize) {
        int j = 2 * i;
        if (j < FHeapSize && FTreeFreq[FHeap[j]] > FTreeFreq[FHeap[j + 1]])
            ++j;
        if (FTreeFreq[k] <= FTreeFreq[FHeap[j]])
            break;
        FHeap[i] = FHeap[j];
        i = j;
    }
    FHeap[i] = k;
}

int TLH5Huffman::MakeTree(int n, uint16_t* freq, uint8_t* len, uint16_t* code)
{
    FTreeSymbols = n;
    FTreeFreq = freq;
    FHeapSize = 0;
    FHeap[1] = 0;
    for (int i = 0; i < n; ++i) {
        len[i] = 0;
        if (freq[i] != 0)
            FHeap[++FHeapSize] = i;
    }
    if (FHeapSize < 2) {
        code[FHeap[1]] = 0;
        return FHeap[1];
    }
    for (int i = FHeapSize / 2; i >= 1; --i)
        DownHeap(i);

    FSortCount = 0;
    int avail = n;
    int k;
    do {
        const int i = FHeap[1];
        if (i < n)
            FSortList[FSortCount++] = i;
        FHeap[1] = FHeap[FHeapSize--];
        DownHeap(1);
        const int j = FHeap[1];
        if (j < n)
            FSortList[FSortCount++] = j;
        k = avail++;
        freq[k] = static_cast<uint16_t>(freq[i] + freq[j]);
        FHeap[1] = k;
        DownHeap(1);
        FLeft[k] = static_cast<uint16_t>(i);
        FRight[k] = static_cast<uint16_t>(j);
    } while (FHeapSize > 1);

    MakeLen(k);
    // Lengths along the sort list: the least frequent symbols get the
    // longest codes.
    const int* sorted = FSortList;
    for (int l = LH5MaxCodeLength; l >= 1; --l)
        for (int c = FLenCount[l]; c > 0; --c)
            len[*sorted++] = static_cast<uint8_t>(l);
    MakeCode(n, len, code);
    return k;
}

void TLH5Huffman::CountLen(int i)
{
    if (i < FTreeSymbols) {
        ++FLenCount[std::min<int>(FDepth, LH5MaxCodeLength)];
        return;
    }
    ++FDepth;
    CountLen(FLeft[i]);
    CountLen(FRight[i]);
    --FDepth;
}

void TLH5Huffman::MakeLen(int root)
{
    std::fill(std::begin(FLenCount), std::end(FLenCount), 0);
    FDepth = 0;
    CountLen(root);
    // Leaves deeper than 16 were counted at 16, which overfills the code;
    // move leaves down from shorter lengths until it is complete again.
    unsigned cum = 0;
    for (int i = LH5MaxCodeLength; i >= 1; --i)
        cum += static_cast<unsigned>(FLenCount[i]) << (LH5MaxCodeLength - i);
    cum &= 0xFFFF;
    if (cum != 0) {
        FLenCount[LH5MaxCodeLength] -= static_cast<int>(cum);
        for (; cum != 0; --cum) {
            for (int i = LH5MaxCodeLength - 1; i >= 1; --i) {
                if (FLenCount[i] != 0) {
                    --FLenCount[i];
                    FLenCount[i + 1] += 2;
                    break;
                }
            }
        }
    }
}

void TLH5Huffman::MakeCode(int n, const uint8_t* len, uint16_t* code)
{
    uint16_t start[LH5MaxCodeLength + 2];
    start[1] = 0;
    for (int i = 1; i <= LH5MaxCodeLength; ++i)
        start[i + 1] = static_cast<uint16_t>(start[i] + (FLenCount[i] << (LH5MaxCodeLength - i)));
    for (int s = 0; s < n; ++s) {
        const int l = len[s];
        if (l != 0) {
            code[s] = start[l];
            start[l] = static_cast<uint16_t>(start[l] + (1 << (LH5MaxCodeLength - l)));
        }
    }
}

