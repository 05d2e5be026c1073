// The compress side of the coded methods; each reads the source through
// TCodecState::ReadByte until FEndOfInput and writes through WriteByte.
// (Method 0 stores with CopyStored, Decoders.h.)
#pragma once

class TCodecState;

// Method 1.
void CompressRLE(TCodecState& codec);
// Method 2: output that ExpandLZH reads bit for bit.
void CompressLZH(TCodecState& codec);
// Method 4: output that ExpandLH5 reads bit for bit.
void CompressLH5(TCodecState& codec);
