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
    int64_t expanded = 0;
    try {
        TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
        comp.ListArchiveContents(stream, list);
        for (int i = 0; i < list.Count(); ++i)
            expanded += static_cast<TCompressedFileInfo*>(list.Objects(i))->ExpandedSize;
    } catch (const Exception&) {
    }
    // Huge claimed sizes only cost time: their decoding is the codec targets' work.
    if (expanded > (8 << 20))
        return 0;
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
