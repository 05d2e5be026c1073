// Any byte string fed to the LH5 decoder decodes to exactly the size asked
// for, or stops short having read past its data, or is refused as a bad
// decode table; it never takes a byte past its data nor writes past the size.
#include "codecs/CodecErrors.h"
#include "codecs/Decoders.h"
#include "fuzz/GuardedDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t expandedSize = FuzzExpandedSize(data, size);
    try {
        const auto run = GuardedDecode([&](TCodecState& c) { ExpandLH5(c, expandedSize); }, data, size, expandedSize);
        FUZZ_CHECK(run.ReadPastData || run.Output.size() == static_cast<size_t>(expandedSize));
    } catch (const ELZHBadDecodeTable&) {
    }
    return 0;
}
