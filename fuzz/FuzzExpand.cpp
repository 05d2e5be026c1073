// Any byte string expanded onto the real disk, into a scratch directory:
// whatever it holds, every file and directory made lies below the target,
// and every file the engine reports as written exists there.
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "archive/Archiver.h"
#include "fuzz/FuzzSupport.h"
#include "platform/FileSystem.h"
#include "platform/Stream.h"

namespace fs = std::filesystem;

namespace {

// <scratch>/target receives the files; <scratch> itself must hold nothing
// else. It goes when the program ends.
struct TScratch {
    fs::path Path;
    TScratch()
    {
        std::string pattern = (fs::temp_directory_path() / "zarn-fuzz-XXXXXX").string();
        FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
        Path = pattern;
    }
    ~TScratch()
    {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

const fs::path& Scratch()
{
    static const TScratch scratch;
    return scratch.Path;
}

bool Below(const fs::path& path, const fs::path& root)
{
    const auto rel = path.lexically_normal().lexically_relative(root.lexically_normal());
    return !rel.empty() && *rel.begin() != "..";
}

int64_t ClaimedSize(const uint8_t* data, size_t size)
{
    TArchiver lister;
    TStringList list;
    int64_t claimed = 0;
    try {
        TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
        lister.ListArchiveContents(stream, list);
    } catch (const Exception&) {
    }
    for (int i = 0; i < list.Count(); ++i)
        claimed += static_cast<TCompressedFileInfo*>(list.Objects(i))->ExpandedSize;
    return claimed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Huge claimed sizes only cost disk and time; decoding them is the
    // decoder targets' work.
    if (ClaimedSize(data, size) > (4 << 20))
        return 0;
    const fs::path target = Scratch() / "target";
    fs::create_directory(target);

    TArchiver comp(NativeFileSystem());
    comp.MakeDirectories = true;
    comp.ExceptionOnFileError = size % 2 == 1;
    comp.CheckSpaceBeforeExpand = size % 3 == 1;
    comp.Key = size % 5 == 1 ? 0x2A : 0;
    comp.SetTargetPath(target.string());
    // A name beginning with "\" is the format's way of naming a path outside
    // the target; an extractor into a directory refuses it here, as vkar does.
    // Every other path is left to the engine, whose own checks are under test.
    const std::string prefix = comp.TargetPath();
    comp.OnCheckFile = [&](std::string& path, TCProcessMode) {
        if (path.compare(0, prefix.size(), prefix) != 0)
            path.clear();
    };
    TStringList written;
    try {
        TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
        comp.ExpandArchive(stream, &written);
        for (int i = 0; i < written.Count(); ++i)
            FUZZ_CHECK(Below(written[i], target) && fs::is_regular_file(written[i]));
    } catch (const Exception&) {
    }

    for (const auto& entry : fs::recursive_directory_iterator(Scratch()))
        if (!Below(entry.path(), target)) {
            std::fprintf(stderr, "written outside the target: %s\n", entry.path().c_str());
            std::abort();
        }
    fs::remove_all(target);
    return 0;
}
