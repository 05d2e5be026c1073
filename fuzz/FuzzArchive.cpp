// Any byte string as an archive: listing and expanding it either succeed or
// raise one of the system's exceptions, never anything else.
#include "archive/Archiver.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/DiscardFileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDiscardFileSystem disk;
    TArchiver comp(disk);
    comp.MakeDirectories = true;
    comp.SetTargetPath("out");
    TStringList list;
    try {
        TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
        comp.ListArchiveContents(stream, list);
    } catch (const Exception&) {
    }
    // Claimed sizes cost nothing beyond what the data can really hold: a
    // decoder stops where its data ends.
    for (int32_t key : {0, 0x2A}) {
        comp.Key = key;
        try {
            TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
            comp.ExpandArchive(stream, nullptr);
        } catch (const Exception&) {
        }
    }
    return 0;
}
