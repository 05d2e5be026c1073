// Run-length decoding of any bytes ends cleanly; coding any bytes and
// decoding them gives them back.
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> input(data, data + size);
    RunExpand(&ExpandRLE, input);
    const auto coded = RunCompress(&CompressRLE, input, &UnlimitedBudget).Output;
    FUZZ_CHECK(RunExpand(&ExpandRLE, coded).Output == input);
    return 0;
}
