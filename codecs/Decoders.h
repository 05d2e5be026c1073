// The expand side of every method, each pulling its input through
// TCodecState::ReadByte and pushing its output through WriteByte.
#pragma once

#include <cstdint>

class TCodecState;

// Method 0, both directions: copies every input byte.
void CopyStored(TCodecState& codec);
// Method 1.
void ExpandRLE(TCodecState& codec);
// Method 2: adaptive-Huffman LZSS; writes exactly expandedSize bytes, unless
// its data runs out first: then it stops and sets FReadPastData.
void ExpandLZH(TCodecState& codec, int32_t expandedSize);
// Method 4: LZSS with static Huffman blocks; writes expandedSize bytes as
// method 2 does (stopping when its data runs out)
// and raises ELZHBadDecodeTable for a code that is not a complete prefix code.
void ExpandLH5(TCodecState& codec, int32_t expandedSize);
