// Run-length decoding of any bytes ends cleanly; coding any bytes and
// decoding them gives them back.
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RunFuzzCodec(data, size, false, [](TCodecState& c) { ExpandRLE(c); });
    const auto coded = RunFuzzCodec(data, size, false, [](TCodecState& c) { CompressRLE(c); });
    const auto back = RunFuzzCodec(coded.data(), coded.size(), false, [](TCodecState& c) { ExpandRLE(c); });
    FUZZ_CHECK(back == std::vector<uint8_t>(data, data + size));
    return 0;
}
