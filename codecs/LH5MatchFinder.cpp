#include "codecs/LH5MatchFinder.h"

#include <cstring>

#include "codecs/CodecState.h"

using namespace LH5;

void TLH5MatchFinder::InitSlide()
{
    for (int i = FirstRoot; i < FirstRoot + 256; ++i) {
        FLevel[i] = 1;
        FPosition[i] = 0;
    }
    for (int i = FirstRoot; i < 2 * WindowSize; ++i)
        FTrieParent[i] = NIL;
    FAvail = 1;
    for (int i = 1; i < WindowSize - 1; ++i)
        FTrieNext[i] = static_cast<int16_t>(i + 1);
    FTrieNext[WindowSize - 1] = NIL;
    for (int i = HashBase; i < HashEnd; ++i)
        FTrieNext[i] = NIL;
}

int TLH5MatchFinder::Child(int q, int c)
{
    int r = FTrieNext[Hash(q, c)];
    FTrieParent[NIL] = static_cast<int16_t>(q); // sentinel ends the chain walk
    while (FTrieParent[r] != q)
        r = FTrieNext[r];
    return r;
}

void TLH5MatchFinder::MakeChild(int q, int c, int r)
{
    const int h = Hash(q, c);
    const int t = FTrieNext[h];
    FTrieNext[h] = static_cast<int16_t>(r);
    FTrieNext[r] = static_cast<int16_t>(t);
    FTriePrev[t] = static_cast<int16_t>(r);
    FTriePrev[r] = static_cast<int16_t>(h);
    FTrieParent[r] = static_cast<int16_t>(q);
    ++FChildCount[q];
}

void TLH5MatchFinder::ReplaceInChain(int old, int n)
{
    const int prev = FTriePrev[old];
    FTriePrev[n] = static_cast<int16_t>(prev);
    FTrieNext[prev] = static_cast<int16_t>(n);
    const int next = FTrieNext[old];
    FTrieNext[n] = static_cast<int16_t>(next);
    FTriePrev[next] = static_cast<int16_t>(n);
}

void TLH5MatchFinder::Unlink(int r)
{
    const int prev = FTriePrev[r];
    const int next = FTrieNext[r];
    FTrieNext[prev] = static_cast<int16_t>(next);
    FTriePrev[next] = static_cast<int16_t>(prev);
}

void TLH5MatchFinder::Split(int old)
{
    const int n = FAvail;
    FAvail = FTrieNext[n];
    FChildCount[n] = 0;
    ReplaceInChain(old, n);
    FTrieParent[n] = FTrieParent[old];
    FLevel[n] = static_cast<uint8_t>(FMatchLen);
    FPosition[n] = FPos;
    MakeChild(n, FWindow[FMatchPos + FMatchLen], old);
    MakeChild(n, FWindow[FPos + FMatchLen], FPos);
}

void TLH5MatchFinder::InsertTrie()
{
    const int pos = FPos;
    int matchLen = FMatchLen;
    int q;
    int r;
    if (matchLen >= 4) {
        // The previous position matched at least 4 bytes, so this one
        // shares at least matchLen - 1 with the successor of that match:
        // start below the node where that successor's path reaches it.
        --matchLen;
        r = (FMatchPos + 1) | WindowSize;
        while (FTrieParent[r] == NIL)
            r = FTrieNext[r]; // a replaced leaf forwards to its successor
        q = FTrieParent[r];
        while (FLevel[q] >= matchLen) {
            r = q;
            q = FTrieParent[q];
        }
        int t = q;
        while (FPosition[t] < 0) {
            FPosition[t] = static_cast<int16_t>(pos);
            t = FTrieParent[t];
        }
        if (t < FirstRoot)
            FPosition[t] = static_cast<int16_t>(pos | RecentFlag);
    } else {
        q = FirstRoot + FWindow[pos];
        const int c = FWindow[pos + 1];
        r = Child(q, c);
        if (r == NIL) {
            MakeChild(q, c, pos);
            FMatchLen = 1;
            return;
        }
        matchLen = 2;
    }

    int matchPos;
    for (;;) {
        int j;
        if (r >= FirstRoot) {
            j = MaxMatch;
            matchPos = r;
        } else {
            j = FLevel[r];
            matchPos = FPosition[r] & PositionMask;
        }
        if (matchPos >= pos)
            matchPos -= WindowSize;
        const uint8_t* a = FWindow + pos;
        const uint8_t* b = FWindow + matchPos;
        while (matchLen < j) {
            if (a[matchLen] != b[matchLen]) {
                FMatchLen = static_cast<int16_t>(matchLen);
                FMatchPos = static_cast<int16_t>(matchPos);
                Split(r);
                return;
            }
            ++matchLen;
        }
        if (matchLen >= MaxMatch)
            break;
        FPosition[r] = static_cast<int16_t>(pos);
        q = r;
        const int c = a[matchLen];
        r = Child(q, c);
        if (r == NIL) {
            MakeChild(q, c, pos);
            FMatchLen = static_cast<int16_t>(matchLen);
            FMatchPos = static_cast<int16_t>(matchPos);
            return;
        }
        ++matchLen;
    }
    FMatchLen = static_cast<int16_t>(matchLen);
    FMatchPos = static_cast<int16_t>(matchPos);

    // A full-length match: the new position replaces the older leaf, which
    // forwards to it, so that each string is held once.
    ReplaceInChain(r, pos);
    FTrieParent[pos] = static_cast<int16_t>(q);
    FTrieParent[r] = NIL;
    FTrieNext[r] = static_cast<int16_t>(pos);
}

void TLH5MatchFinder::DeleteTrie()
{
    const int pos = FPos;
    if (FTrieParent[pos] == NIL)
        return;
    Unlink(pos);
    const int r = FTrieParent[pos];
    FTrieParent[pos] = NIL;
    if (r >= FirstRoot || --FChildCount[r] > 1)
        return;

    // r is left with one child and goes; the most recent position below
    // it, with any not yet carried up, moves to the ancestors first.
    int t = FPosition[r] & PositionMask;
    if (t >= pos)
        t -= WindowSize;
    int s = t;
    int q = FTrieParent[r];
    int u;
    while ((u = FPosition[q]) < 0) {
        u &= PositionMask;
        if (u >= pos)
            u -= WindowSize;
        if (u > s)
            s = u;
        FPosition[q] = static_cast<int16_t>(s | WindowSize);
        q = FTrieParent[q];
    }
    if (q < FirstRoot) {
        if (u >= pos)
            u -= WindowSize;
        if (u > s)
            s = u;
        FPosition[q] = static_cast<int16_t>(s | WindowSize | RecentFlag);
    }

    const int child = Child(r, FWindow[t + FLevel[r]]);
    Unlink(child);
    ReplaceInChain(r, child);
    FTrieParent[child] = FTrieParent[r];
    FTrieParent[r] = NIL;
    FTrieNext[r] = FAvail;
    FAvail = static_cast<int16_t>(r);
}

void TLH5MatchFinder::ReadFirstWindow()
{
    FRemainder = 0;
    for (int i = FirstPosition; i < TextSize; ++i) {
        uint8_t b = 0x20;
        if (!FCodec.FEndOfInput) {
            b = FCodec.ReadByte();
            if (FCodec.FEndOfInput)
                b = 0x20;
            else
                ++FRemainder;
        }
        FWindow[i] = b;
    }
}

void TLH5MatchFinder::Slide()
{
    std::memmove(FWindow, FWindow + WindowSize, TextSize - WindowSize);
    int count = 0;
    for (int i = FirstPosition; i < TextSize; ++i) {
        FWindow[i] = FCodec.ReadByte(); // the read that finds the end stores its 0
        if (FCodec.FEndOfInput)
            break;
        ++count;
    }
    FRemainder = static_cast<int16_t>(FRemainder + count);
    FPos = WindowSize;
}

void TLH5MatchFinder::GetNextMatch()
{
    --FRemainder;
    if (++FPos == WrapPosition)
        Slide();
    DeleteTrie();
    InsertTrie();
}
