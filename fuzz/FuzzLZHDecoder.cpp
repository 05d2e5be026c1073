// Any byte string is an LZH stream: it decodes to exactly the size asked for.
// The same bytes coded and decoded again come back unchanged.
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t expandedSize = FuzzExpandedSize(data, size);
    const auto out = RunFuzzCodec(data, size, false, [&](TCodecState& c) { ExpandLZH(c, expandedSize); });
    FUZZ_CHECK(out.size() == static_cast<size_t>(expandedSize));

    const auto coded = RunFuzzCodec(data, size, false, [](TCodecState& c) { CompressLZH(c); });
    const auto back = RunFuzzCodec(coded.data(), coded.size(), false,
                                   [&](TCodecState& c) { ExpandLZH(c, static_cast<int32_t>(size)); });
    FUZZ_CHECK(back == std::vector<uint8_t>(data, data + size));
    return 0;
}
