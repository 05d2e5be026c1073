// Any bytes coded with every method and expanded again, through one archiver
// whose codec state serves every run, come back unchanged with matching byte
// sums; a coder that cannot shrink the bytes says so and leaves the state
// fit for the next run.
#include "archive/Archiver.h"
#include "codecs/Coders.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TArchiver archiver;
    archiver.Coders = &StandardCoders();
    // Every other input runs locked, with a key taken from its first bytes.
    archiver.Key = size >= 4 && (data[0] & 1) ? static_cast<int32_t>(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24) : 0;
    const auto length = static_cast<int32_t>(size);
    for (uint8_t method : {MethodStored, MethodRLE, MethodLZH, MethodLH5}) {
        TReadOnlyMemoryStream source(data, length);
        TMemoryStream coded;
        uint32_t readSum = 0;
        try {
            archiver.RunCodec(coded, source, length, length, method, readSum, TCodecDirection::cdCompress, false);
        } catch (const EUnableToCompress&) {
            FUZZ_CHECK(method != MethodStored);
            continue;
        }
        FUZZ_CHECK(coded.Size() <= length);
        coded.SetPosition(0);
        TMemoryStream expanded;
        uint32_t writeSum = 0;
        archiver.RunCodec(expanded, coded, static_cast<int32_t>(coded.Size()), length, method, writeSum,
                          TCodecDirection::cdExpand, archiver.Key != 0);
        FUZZ_CHECK(writeSum == readSum);
        FUZZ_CHECK(expanded.Bytes() == std::vector<uint8_t>(data, data + size));
    }
    return 0;
}
