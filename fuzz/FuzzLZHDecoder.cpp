// Any byte string is an LZH stream: it decodes to exactly the size asked for
// or stops short having read past its data, never taking a byte past its
// data nor writing past the size. The same bytes
// coded and decoded again come back unchanged.
#include "codecs/Decoders.h"
#include "codecs/Encoders.h"
#include "fuzz/GuardedDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t expandedSize = FuzzExpandedSize(data, size);
    const auto run = GuardedDecode([&](TCodecState& c) { ExpandLZH(c, expandedSize); }, data, size, expandedSize);
    FUZZ_CHECK(run.ReadPastData || run.Output.size() == static_cast<size_t>(expandedSize));

    const std::vector<uint8_t> input(data, data + size);
    const auto coded = RunCompress(&CompressLZH, input, &UnlimitedBudget).Output;
    FUZZ_CHECK(RunExpand(&ExpandLZH, coded, static_cast<int32_t>(size)).Output == input);
    return 0;
}
