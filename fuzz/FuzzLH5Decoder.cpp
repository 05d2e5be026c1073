// Any byte string fed to the LH5 decoder either decodes to exactly the size
// asked for or is refused as a bad decode table; nothing else may happen.
#include "codecs/CodecErrors.h"
#include "codecs/Decoders.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int32_t expandedSize = FuzzExpandedSize(data, size);
    try {
        const auto out = RunExpand(&ExpandLH5, std::vector<uint8_t>(data, data + size), expandedSize).Output;
        FUZZ_CHECK(out.size() == static_cast<size_t>(expandedSize));
    } catch (const ELZHBadDecodeTable&) {
    }
    return 0;
}
