// Any bytes as a Windows program: looking up its archive resource finds
// bytes inside the image or refuses the image, and never reads outside it.
#include "fuzz/FuzzSupport.h"
#include "platform/Exception.h"
#include "platform/PEFileResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> image(data, data + size);
    for (const char* name : {"DATA", "data", "OTHER"}) {
        try {
            FUZZ_CHECK(ReadPEResource(image, "ARCHIVE", name).size() <= size);
        } catch (const EResNotFound&) {
        }
    }
    return 0;
}
