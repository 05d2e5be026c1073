// Run-length decoding of any bytes ends cleanly within its data, writing at
// most 254 bytes for every two it takes; coding any bytes and decoding them
// gives them back.
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "fuzz/GuardedDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    GuardedDecode(&ExpandRLE, data, size, 127 * static_cast<int64_t>(size) + 1);
    const std::vector<uint8_t> input(data, data + size);
    const auto coded = RunCompress(&CompressRLE, input, &UnlimitedBudget).Output;
    FUZZ_CHECK(RunExpand(&ExpandRLE, coded).Output == input);
    return 0;
}
