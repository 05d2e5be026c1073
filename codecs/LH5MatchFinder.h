// The match finder of the LH5 coder: a sliding text buffer and a
// path-compressed trie of the strings that start at the last 8192 positions.
//
// Internal nodes carry the depth at which their children differ (FLevel) and
// the most recent position that passed through them (FPosition); leaves are
// text positions; the children of a node are found through a hash of the
// node and the next byte, chained through FLink and FPrev.
#pragma once

#include <cstdint>

#include "codecs/LH5Format.h"

class TCodecState;

namespace LH5 {

// Two windows and the longest match.
inline constexpr int TextSize = 2 * WindowSize + MaxMatch;
inline constexpr int FirstPosition = WindowSize + MaxMatch;
// When the current position reaches this, the buffer slides down a window.
inline constexpr int WrapPosition = 2 * WindowSize;
inline constexpr int NIL = 0;
// Roots, one per first byte, follow the internal nodes 1..8191.
inline constexpr int FirstRoot = WindowSize;
// Marks a node position that is still to be carried up to its parent.
inline constexpr int RecentFlag = 0x8000;
inline constexpr int PositionMask = RecentFlag - 1;

// Hash heads are numbered after the leaves, so that a chain element's
// predecessor can be a head; 65536 of them (four per trie element) keep
// most chains to one element, which a look-up then finds at once.
inline constexpr int HashBase = 2 * WindowSize;
inline constexpr int HashHeads = 65536;
inline constexpr int HashEnd = HashBase + HashHeads;
// Marks a node position that is still to be carried up to its parent.

// The chain of (node q, byte c). Node numbers are scattered over the heads;
// the byte goes into the low bits, so the children of one node never share
// a chain (a chain walk only checks the parent).
inline int Hash(int q, int c)
{
    return HashBase + static_cast<int>((((static_cast<unsigned>(q) * 0x9E3779B1u) >> 16) ^ static_cast<unsigned>(c)) & (HashHeads - 1));
}

} // namespace LH5

class TLH5MatchFinder {
public:
    explicit TLH5MatchFinder(TCodecState& codec) : FCodec(codec) {}

    // Empties the trie.
    void InitSlide();
    // Fills the first window after FirstPosition with up to 8192 input
    // bytes, counted in FRemainder; what the input leaves is blanks.
    void ReadFirstWindow();
    // Inserts the string at FPos; leaves the longest match in FMatchLen (1
    // or 2 when there is no real one) and its start in FMatchPos.
    void InsertTrie();
    // Advances FPos (sliding the buffer and reading input when needed),
    // drops the string that leaves the window and inserts the new one.
    void GetNextMatch();

    uint8_t FWindow[LH5::TextSize + 1];
    int16_t FPos = 0;
    int16_t FRemainder = 0;
    int16_t FMatchLen = 0;
    int16_t FMatchPos = 0;

private:
    int Child(int q, int c);
    void MakeChild(int q, int c, int r);
    void Split(int old);
    void DeleteTrie();
    // Puts node n into old's place in old's hash chain.
    void ReplaceInChain(int old, int n);
    void Unlink(int r);
    void Slide();
    int ReadInto(uint8_t* to, int n);

    TCodecState& FCodec;
    // A chain step reads an element's parent and its next link together;
    // a search step reads an internal node's depth and position together.
    // Element 0 (NIL) holds the sentinel parent of a chain walk; leaves are
    // numbered by text position (8192..16383), internal nodes 1..8191 and
    // roots 8192..8447 (which are never in a chain).
    struct TTrieLink {
        int16_t Parent;
        int16_t Next; // next in the hash chain; free list of internal nodes
    };
    struct TTrieInfo {
        int16_t Position; // most recent text position through the node (RecentFlag)
        uint8_t Level;
        uint8_t ChildCount;
    };
    // Entries from HashBase on are the hash heads (only Next is used), so
    // a chain element's predecessor is always an FLink entry.
    TTrieLink FLink[LH5::HashEnd];
    // Previous in the chain, a node or HashBase + head.
    uint32_t FPrev[2 * LH5::WindowSize + 1];
    TTrieInfo FInfo[LH5::FirstRoot + 256 + 1];
    int16_t FAvail = 0;
};
