#include "codecs/LH5MatchFinder.h"

#include <algorithm>
#include <cstring>

#include "codecs/CodecState.h"

using namespace LH5;

void TLH5MatchFinder::InitSlide()
{
    std::memset(FLink, 0, sizeof FLink);
    std::memset(FPrev, 0, sizeof FPrev);
    std::memset(FInfo, 0, sizeof FInfo);
    for (int i = FirstRoot; i < FirstRoot + 256; ++i) {
        FInfo[i].Level = 1;
        FInfo[i].Position = 0;
    }
    for (int i = FirstRoot; i < 2 * WindowSize; ++i)
        FLink[i].Parent = NIL;
    FAvail = 1;
    for (int i = 1; i < WindowSize - 1; ++i)
        FLink[i].Next = static_cast<int16_t>(i + 1);
    FLink[WindowSize - 1].Next = NIL;
    for (int i = HashBase; i < HashEnd; ++i)
        FLink[i].Next = NIL;
}

int TLH5MatchFinder::Child(int q, int c)
{
    int r = FLink[Hash(q, c)].Next;
    FLink[NIL].Parent = static_cast<int16_t>(q); // sentinel ends the chain walk
    while (FLink[r].Parent != q)
        r = FLink[r].Next;
    return r;
}

void TLH5MatchFinder::MakeChild(int q, int c, int r)
{
    const int h = Hash(q, c);
    const int t = FLink[h].Next;
    FLink[h].Next = static_cast<int16_t>(r);
    FLink[r].Next = static_cast<int16_t>(t);
    FPrev[t] = static_cast<uint32_t>(r);
    FPrev[r] = static_cast<uint32_t>(h);
    FLink[r].Parent = static_cast<int16_t>(q);
    ++FInfo[q].ChildCount;
}

void TLH5MatchFinder::ReplaceInChain(int old, int n)
{
    const int prev = FPrev[old];
    FPrev[n] = static_cast<uint32_t>(prev);
    FLink[prev].Next = static_cast<int16_t>(n);
    const int next = FLink[old].Next;
    FLink[n].Next = static_cast<int16_t>(next);
    FPrev[next] = static_cast<uint32_t>(n);
}

void TLH5MatchFinder::Unlink(int r)
{
    const int prev = FPrev[r];
    const int next = FLink[r].Next;
    FLink[prev].Next = static_cast<int16_t>(next);
    FPrev[next] = static_cast<uint32_t>(prev);
}

void TLH5MatchFinder::Split(int old)
{
    const int n = FAvail;
    FAvail = FLink[n].Next;
    FInfo[n].ChildCount = 0;
    ReplaceInChain(old, n);
    FLink[n].Parent = FLink[old].Parent;
    FInfo[n].Level = static_cast<uint8_t>(FMatchLen);
    FInfo[n].Position = FPos;
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
        while (FLink[r].Parent == NIL)
            r = FLink[r].Next; // a replaced leaf forwards to its successor
        q = FLink[r].Parent;
        while (FInfo[q].Level >= matchLen) {
            r = q;
            q = FLink[q].Parent;
        }
        int t = q;
        while (FInfo[t].Position < 0) {
            FInfo[t].Position = static_cast<int16_t>(pos);
            t = FLink[t].Parent;
        }
        if (t < FirstRoot)
            FInfo[t].Position = static_cast<int16_t>(pos | RecentFlag);
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
            j = FInfo[r].Level;
            matchPos = FInfo[r].Position & PositionMask;
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
        FInfo[r].Position = static_cast<int16_t>(pos);
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
    FLink[pos].Parent = static_cast<int16_t>(q);
    FLink[r].Parent = NIL;
    FLink[r].Next = static_cast<int16_t>(pos);
}

void TLH5MatchFinder::DeleteTrie()
{
    const int pos = FPos;
    if (FLink[pos].Parent == NIL)
        return;
    Unlink(pos);
    const int r = FLink[pos].Parent;
    FLink[pos].Parent = NIL;
    if (r >= FirstRoot || --FInfo[r].ChildCount > 1)
        return;

    // r is left with one child and goes; the most recent position below
    // it, with any not yet carried up, moves to the ancestors first.
    int t = FInfo[r].Position & PositionMask;
    if (t >= pos)
        t -= WindowSize;
    int s = t;
    int q = FLink[r].Parent;
    int u;
    while ((u = FInfo[q].Position) < 0) {
        u &= PositionMask;
        if (u >= pos)
            u -= WindowSize;
        if (u > s)
            s = u;
        FInfo[q].Position = static_cast<int16_t>(s | WindowSize);
        q = FLink[q].Parent;
    }
    if (q < FirstRoot) {
        if (u >= pos)
            u -= WindowSize;
        if (u > s)
            s = u;
        FInfo[q].Position = static_cast<int16_t>(s | WindowSize | RecentFlag);
    }

    const int child = Child(r, FWindow[t + FInfo[r].Level]);
    Unlink(child);
    ReplaceInChain(r, child);
    FLink[child].Parent = FLink[r].Parent;
    FLink[r].Parent = NIL;
    FLink[r].Next = FAvail;
    FAvail = static_cast<int16_t>(r);
}

// Reads up to n bytes into to, as n calls of ReadByte would, and returns
// how many it got; the read that finds the end stores its 0 (when there is
// room). Whole spans of the channel's buffer are copied at once.
int TLH5MatchFinder::ReadInto(uint8_t* to, int n)
{
    TCodecState& c = FCodec;
    int got = 0;
    while (got < n) {
        const auto buffered = static_cast<int>(c.FInEnd - c.FInPos);
        if (buffered == 0 || c.FEndOfInput || c.FUnlockOnRead) {
            to[got] = c.ReadByte();
            if (c.FEndOfInput)
                return got;
            ++got;
            continue;
        }
        const int span = std::min(buffered, n - got);
        std::memcpy(to + got, c.FInPos, static_cast<size_t>(span));
        uint32_t sum = 0;
        for (int i = 0; i < span; ++i)
            sum += c.FInPos[i];
        c.FReadSum += sum;
        c.FInPos += span;
        got += span;
    }
    return got;
}

void TLH5MatchFinder::ReadFirstWindow()
{
    const int got = ReadInto(FWindow + FirstPosition, TextSize - FirstPosition);
    std::memset(FWindow + FirstPosition + got, 0x20, static_cast<size_t>(TextSize - FirstPosition - got));
    FRemainder = static_cast<int16_t>(got);
}

void TLH5MatchFinder::Slide()
{
    std::memmove(FWindow, FWindow + WindowSize, TextSize - WindowSize);
    const int count = ReadInto(FWindow + FirstPosition, TextSize - FirstPosition);
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
