// The coder of each method index, for the compress direction of the codec
// driver. Kept apart from the decoders so that a program that only expands
// does not link any coder.
#pragma once

#include <array>

class TCodecState;

using TCoderRoutine = void (*)(TCodecState& codec);

// Indexed by method; a null entry (method 3, or one not built) runs no coder.
struct TCoderTable {
    std::array<TCoderRoutine, 5> Compress{};
};

// Stored, RLE, LZH and LH5 coders.
const TCoderTable& StandardCoders();
