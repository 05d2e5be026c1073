// Any bytes as an icon file: refused, or pictures that lie inside the file
// and a group that lists each of them once.
#include "fuzz/FuzzSupport.h"
#include "platform/IconFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> file(data, data + size);
    std::vector<TPEResourceItem> resources;
    try {
        resources = IconFileResources(file, "#1", 0x409);
    } catch (const EIconFileError&) {
        return 0;
    }
    FUZZ_CHECK(resources.size() >= 2);
    const TPEResourceItem& group = resources.back();
    FUZZ_CHECK(group.Type == "#14" && group.Bytes.size() == 6 + 14 * (resources.size() - 1));
    for (size_t i = 0; i + 1 < resources.size(); ++i)
        FUZZ_CHECK(!resources[i].Bytes.empty() && resources[i].Bytes.size() <= size);
    return 0;
}
