#include "codecs/Coders.h"

#include "codecs/Decoders.h"
#include "codecs/Encoders.h"

const TCoderTable& StandardCoders()
{
    static const TCoderTable table{{&CopyStored, &CompressRLE, &CompressLZH, nullptr, &CompressLH5}};
    return table;
}
