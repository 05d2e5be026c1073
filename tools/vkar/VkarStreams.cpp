#include "tools/vkar/VkarStreams.h"

#include <cstdio>
#include <vector>

#include "platform/Exception.h"
#include "platform/FileSystem.h"
#include "platform/PEFileResources.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

std::unique_ptr<TStream> VkarOpenArchive(TFileSystem& fileSystem, const std::string& path)
{
    std::unique_ptr<TStream> file = fileSystem.OpenRead(path);
    uint8_t magic[2] = {0, 0};
    const int32_t got = file->Read(magic, 2);
    file->SetPosition(0);
    if (got != 2 || magic[0] != 'M' || magic[1] != 'Z')
        return file;
    // A program without the resource is named, as a missing file would be.
    const std::string missing = path + ": Resource DATA not found";
    const int64_t size = file->Size();
    if (size > 0x7FFFFFFF)
        throw EResNotFound(missing);
    std::vector<uint8_t> image(static_cast<size_t>(size));
    file->ReadBuffer(image.data(), static_cast<int32_t>(size));
    try {
        return std::make_unique<TMemoryStream>(ReadPEResource(image, "ARCHIVE", "DATA"));
    } catch (const EResNotFound&) {
        throw EResNotFound(missing);
    }
}

int32_t TVkarNullStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    FPosition += count;
    if (FPosition > FSize)
        FSize = FPosition;
    return count;
}

int64_t TVkarNullStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : FSize;
    if (base + offset < 0)
        throw EStreamError("Stream seek error: before the start");
    FPosition = base + offset;
    return FPosition;
}

void TVkarNullStream::SetSize(int64_t size)
{
    FSize = size < 0 ? 0 : size;
    if (FPosition > FSize)
        FPosition = FSize;
}

TVkarStdoutStream::TVkarStdoutStream()
{
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

int32_t TVkarStdoutStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    const size_t written = std::fwrite(buffer, 1, static_cast<size_t>(count), stdout);
    FWritten += static_cast<int64_t>(written);
    return static_cast<int32_t>(written);
}

int64_t TVkarStdoutStream::Seek(int64_t offset, TSeekOrigin origin)
{
    if (offset == 0 && origin != TSeekOrigin::soBeginning)
        return FWritten;
    if (origin == TSeekOrigin::soBeginning && offset == FWritten)
        return FWritten;
    throw EStreamError("Stream seek error: standard output cannot seek");
}

void TVkarStdoutStream::SetSize(int64_t size)
{
    throw EWriteError("Stream write error: standard output cannot change its size");
}

void TVkarStdoutStream::Flush()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        throw EWriteError("Stream write error: cannot write to standard output");
}
