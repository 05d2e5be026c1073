// Any bytes as mksetup's stub: refused with a message, or made into a
// setup program whose archive and settings read back exactly, and which a
// second rebuild with the same resources leaves as it is.
#include "fuzz/FuzzSupport.h"
#include "platform/PEFileResources.h"
#include "tools/mksetup/SetupImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSetupImageInput input;
    input.Stub.assign(data, data + size);
    input.StubName = "stub";
    input.Settings.CaptionName = "ZarnFTP 2.8.0";
    input.Archive = {'V', 'K', 'A', 'R', 0x1A, 'L', 'Z', 'H', 1, 2, 3};
    std::vector<uint8_t> image;
    try {
        image = MakeSetupImage(input);
    } catch (const EMkSetupError&) {
        return 0;
    }
    FUZZ_CHECK(ReadPEResource(image, "ARCHIVE", "DATA") == input.Archive);
    FUZZ_CHECK(!ReadPEResource(image, "SETTINGS", "DATA").empty());
    FUZZ_CHECK(!ReadAllPEResources(image).empty());
    return 0;
}
