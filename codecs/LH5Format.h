// The stream layout of method 4 ("LH5"), shared by its decoder and coder:
// an 8192-byte window, matches of 3 to 256 bytes, and per block three
// Huffman codes: C (literals and match lengths), P (position classes) and T
// (the code that sends the C code lengths).
#pragma once

namespace LH5 {

inline constexpr int WindowSize = 8192;
inline constexpr int MaxMatch = 256;
inline constexpr int Threshold = 3;
inline constexpr int NC = 256 + MaxMatch - Threshold + 1; // 510
inline constexpr int NP = 14;
inline constexpr int NT = 19;
// Widths of the list counts.
inline constexpr int TBit = 5;
inline constexpr int CBit = 9;
inline constexpr int PBit = 4;
inline constexpr int MaxCodeLength = 16;

} // namespace LH5
