#include "tools/vkar/VkarStreams.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiverErrors.h"
#include "platform/Exception.h"
#include "platform/HostPath.h"
#include "platform/PEFileResources.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define VKAR_FSEEK _fseeki64
#define VKAR_FTELL _ftelli64
#define VKAR_TRUNCATE(fd, size) (_chsize_s((fd), (size)) == 0 ? 0 : -1)
#define VKAR_FILENO _fileno
#else
#include <fcntl.h>
#include <unistd.h>
#define VKAR_FSEEK fseeko
#define VKAR_FTELL ftello
#define VKAR_TRUNCATE(fd, size) ::ftruncate((fd), static_cast<off_t>(size))
#define VKAR_FILENO fileno
#endif

namespace {

constexpr const char* SNotAnArchive = "not a VKAR archive";

bool IsRegularStream(std::FILE* file)
{
    struct stat st {};
    return ::fstat(VKAR_FILENO(file), &st) == 0 && S_ISREG(st.st_mode);
}

// Standard input as an archive: read in place when it is a file, which can
// seek; otherwise copied into a temporary file first.
std::unique_ptr<TStream> OpenStandardInput()
{
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    if (IsRegularStream(stdin))
        return std::make_unique<TVkarFileStream>(stdin, false);
    // What is no archive is told before anything is spooled.
    std::vector<char> buffer(64 * 1024);
    const size_t head = std::fread(buffer.data(), 1, ArchiveHeaderSize, stdin);
    const bool program = head >= 2 && buffer[0] == 'M' && buffer[1] == 'Z';
    if (!program && head < static_cast<size_t>(ArchiveHeaderSize) && !std::ferror(stdin))
        throw Exception(SNotAnArchive);
    if (!program && head == static_cast<size_t>(ArchiveHeaderSize) && std::memcmp(buffer.data(), "VKAR\x1A", 5) != 0)
        throw EInvalidHeader(SInvalidHeader);
    std::unique_ptr<TVkarFileStream> spool = VkarAnonymousFile();
    if (head > 0)
        spool->WriteBuffer(buffer.data(), static_cast<int32_t>(head));
    for (;;) {
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), stdin);
        if (n > 0)
            spool->WriteBuffer(buffer.data(), static_cast<int32_t>(n));
        if (n < buffer.size())
            break;
    }
    if (std::ferror(stdin))
        throw EReadError(std::string("Cannot read standard input: ") + std::strerror(errno));
    spool->Flush();
    spool->SetPosition(0);
    return spool;
}

#ifndef _WIN32
bool SameIdentity(const std::string& path, int fd)
{
    THostStat a {};
    struct stat b {};
    return StatHostFile(path, a) && ::fstat(fd, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
#endif

} // namespace

std::unique_ptr<TStream> VkarOpenArchive(TFileSystem& fileSystem, const std::string& path)
{
    std::unique_ptr<TStream> file = path == "-" ? OpenStandardInput() : fileSystem.OpenRead(path);
    uint8_t magic[2] = {0, 0};
    const int32_t got = file->Read(magic, 2);
    file->SetPosition(0);
    if (got == 2 && magic[0] == 'M' && magic[1] == 'Z') {
        const int64_t size = file->Size();
        if (size > 0x7FFFFFFF)
            throw EResNotFound("Resource DATA not found");
        std::vector<uint8_t> image(static_cast<size_t>(size));
        file->ReadBuffer(image.data(), static_cast<int32_t>(size));
        file = std::make_unique<TMemoryStream>(ReadPEResource(image, "ARCHIVE", "DATA"));
    }
    // The engine takes a stream too short for a header as an empty archive;
    // a file given to vkar as an archive is no archive then.
    if (file->Size() - file->Position() < ArchiveHeaderSize)
        throw Exception(SNotAnArchive);
    return file;
}

TVkarFileStream::TVkarFileStream(std::FILE* file, bool owned) : FFile(file), FOwned(owned), FBase(0)
{
    const int64_t here = VKAR_FTELL(FFile);
    FBase = here < 0 ? 0 : here;
}

TVkarFileStream::~TVkarFileStream()
{
    if (FOwned)
        std::fclose(FFile);
}

int32_t TVkarFileStream::Read(void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    const size_t n = std::fread(buffer, 1, static_cast<size_t>(count), FFile);
    if (n == 0 && std::ferror(FFile))
        throw EReadError(std::string("Stream read error: ") + std::strerror(errno));
    return static_cast<int32_t>(n);
}

int32_t TVkarFileStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    return static_cast<int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), FFile));
}

int64_t TVkarFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                       : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                          : SEEK_END;
    if (origin == TSeekOrigin::soBeginning)
        offset += FBase;
    if (VKAR_FSEEK(FFile, offset, whence) != 0)
        throw EStreamError(std::string("Stream seek error: ") + std::strerror(errno));
    return VKAR_FTELL(FFile) - FBase;
}

void TVkarFileStream::SetSize(int64_t size)
{
    const int64_t here = Position();
    Flush();
    if (VKAR_TRUNCATE(VKAR_FILENO(FFile), FBase + size) != 0)
        throw EWriteError(std::string("Stream write error: ") + std::strerror(errno));
    SetPosition(here < size ? here : size);
}

void TVkarFileStream::Flush()
{
    if (std::fflush(FFile) != 0 || std::ferror(FFile))
        throw EWriteError(std::string("Stream write error: ") + std::strerror(errno));
}

std::unique_ptr<TVkarFileStream> VkarAnonymousFile()
{
#ifdef _WIN32
    std::FILE* file = std::tmpfile();
#else
    // In TMPDIR, where the user keeps room for such files; gone once closed.
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/vkar-XXXXXX";
    const int fd = ::mkstemp(name.data());
    std::FILE* file = nullptr;
    if (fd >= 0) {
        ::unlink(name.c_str());
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        file = ::fdopen(fd, "w+b");
        if (file == nullptr)
            ::close(fd);
    }
#endif
    if (file == nullptr)
        throw EFCreateError(std::string("Cannot create a temporary file: ") + std::strerror(errno));
    return std::make_unique<TVkarFileStream>(file, true);
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

void VkarCopyToStdout(TStream& source)
{
    TVkarStdoutStream out;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const int32_t n = source.Read(buffer.data(), static_cast<int32_t>(buffer.size()));
        if (n <= 0)
            break;
        out.WriteBuffer(buffer.data(), n);
    }
    out.Flush();
}

bool VkarIsStandardOutput(const std::string& path)
{
#ifdef _WIN32
    return false;
#else
    return SameIdentity(path, STDOUT_FILENO);
#endif
}

bool VkarIsStandardInput(const std::string& path)
{
#ifdef _WIN32
    return false;
#else
    return SameIdentity(path, STDIN_FILENO);
#endif
}

bool VkarSameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(HostPath(a), HostPath(b), error);
}
